// What the monitor does when a job cannot go the usual way: the job is kept whole for the
// program's next start, the port call succeeds so the queue moves on, the failure is logged; the
// session lookup runs as the spooler; a stale or twice-closed handle is refused, not followed.
#include "monitor/tests/monitor_host.h"

#include "app/pending_jobs.h"
#include "port/pending_job.h"

#include <sddl.h>

namespace {

using namespace monitor_test;

std::string OwnSid()
{
    win::UniqueHandle token;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put());
    BYTE buffer[256];
    DWORD size = 0;
    win::Scoped<win::LocalMemoryTraits<LPSTR>> text;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, text.put()))
        return {};
    return text.get();
}

std::string Hex(DWORD id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lx", static_cast<unsigned long>(id));
    return text;
}

// The one pending job of jobId in folder: its job file's path; empty when there is none.
std::string PendingJobOf(const std::string& folder, DWORD jobId)
{
    for (const std::string& stem : porttool::PendingJobStems(FilesIn(folder)))
        if (stem.size() > Hex(jobId).size() && stem.substr(stem.size() - Hex(jobId).size() - 1) == "-" + Hex(jobId))
            return folder + stem + ".ps";
    return {};
}

class MonitorFailures : public MonitorHost {
protected:
    std::string PendingFolder() const { return appData_ + "QUORPSFILES\\PENDING\\"; }
    std::string SharedPending() const { return SharedFolder() + "pending\\" + OwnSid() + "\\"; }
    std::string Log() const { return ReadFileBytes(SharedFolder() + "monitor.log"); }
};

// Each of the faults a retry cannot mend: the job waits whole in the user's pending folder (or the
// shared one when the user's folders cannot be reached), and nothing is started.
TEST_F(MonitorFailures, AJobThatCannotBeHandedOverWaitsWholeAndIsLogged)
{
    enum class Fault { NoProgramValue, ProgramGone, OwnerLoggedOff, NoAppData };
    const struct {
        Fault fault;
        const char* step;
        bool shared;
    } cases[] = {
        {Fault::NoProgramValue, "read the program's path", false},
        {Fault::ProgramGone, "start the program", false},
        {Fault::OwnerLoggedOff, "find the job owner's session", true},
        {Fault::NoAppData, "find the user's application-data folder", true},
    };
    DWORD jobId = 700;
    for (const auto& c : cases) {
        ++jobId;
        SCOPED_TRACE(c.step);
        win::RegKey product;
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel Folimar", 0, KEY_SET_VALUE, product.put());
        win::RegKey shell;
        ::RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, shell.put());
        SECURITY_IMPERSONATION_LEVEL level = SecurityImpersonation;
        switch (c.fault) {
        case Fault::NoProgramValue:
            ::RegDeleteValueA(product.get(), "Program");
            break;
        case Fault::ProgramGone:
            SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel Folimar", "Program", bin_ + "gone\\folimar.exe");
            break;
        case Fault::OwnerLoggedOff:
            // A client token that cannot act sends the monitor to the session list, which is empty.
            level = SecurityIdentification;
            ::SetEnvironmentVariableA("QV_WTS_NO_SESSIONS", "1");
            break;
        case Fault::NoAppData:
            ::RegDeleteValueA(shell.get(), "AppData");
            break;
        }
        const std::string job = Job(300000, "Kept safe");
        const auto outcome = spooler_->PrintBytes(jobId, L"Quarterly \x00e9tat", job, 4093, level);
        EXPECT_TRUE(outcome.started && outcome.written && outcome.ended)
            << "the queue must move on: " << outcome.endError;

        const std::string kept = PendingJobOf(c.shared ? SharedPending() : PendingFolder(), jobId);
        ASSERT_FALSE(kept.empty()) << "no pending job in " << (c.shared ? SharedPending() : PendingFolder());
        EXPECT_EQ(ReadFileBytes(kept), job) << "the job is kept byte for byte";
        const auto companion = porttool::ParseCompanion(ReadFileBytes(kept.substr(0, kept.size() - 3) + ".inf"));
        ASSERT_TRUE(companion);
        EXPECT_EQ(companion->jobFile, kept);
        EXPECT_EQ(companion->title, "Quarterly \xc3\xa9tat");
        EXPECT_EQ(companion->size, job.size());

        const std::string log = Log();
        const std::string mark = "job " + std::to_string(jobId) + " of ";
        const size_t line = log.find(mark);
        ASSERT_NE(line, std::string::npos) << log;
        const std::string entry = log.substr(line, log.find('\n', line) - line);
        EXPECT_NE(entry.find(c.step), std::string::npos) << entry;
        EXPECT_NE(entry.find(kept), std::string::npos) << entry;
        EXPECT_EQ(log[line - 1], ' ') << "a time leads the line";
        EXPECT_TRUE(FilesIn(RecordedFolder()).empty()) << "nothing was started";
        // The next case starts from the setup's state.
        SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel Folimar", "Program", bin_ + "folimar.exe");
        SetString(HKEY_CURRENT_USER, kShellFolders, "AppData", appData_);
        ::SetEnvironmentVariableA("QV_WTS_NO_SESSIONS", nullptr);
    }
}

// The program's next start offers every kept job, from both folders, and empties them.
TEST_F(MonitorFailures, ALaterStartOffersTheKeptJobs)
{
    const std::string jobs[2] = {Job(5000, "first"), Job(7000, "second")};
    ::SetEnvironmentVariableA("QV_WTS_NO_SESSIONS", "1");
    ASSERT_TRUE(spooler_->PrintBytes(801, L"first", jobs[0], 4093, SecurityIdentification).ended);
    ::SetEnvironmentVariableA("QV_WTS_NO_SESSIONS", nullptr);
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quorvel Folimar", "Program", bin_ + "gone.exe");
    ASSERT_TRUE(spooler_->PrintBytes(802, L"second", jobs[1]).ended);
    ASSERT_FALSE(PendingJobOf(SharedPending(), 801).empty());
    ASSERT_FALSE(PendingJobOf(PendingFolder(), 802).empty());

    EXPECT_EQ(folimar::OfferPendingJobs(bin_ + "folimar.exe"), 2);
    const auto lines = Recorded(2);
    ASSERT_EQ(lines.size(), 2u);
    std::set<std::string> titles;
    for (const std::string& line : lines) {
        const auto args = QuotedArguments(line);
        ASSERT_EQ(args.size(), 8u) << line;
        titles.insert(args[6]);
        EXPECT_EQ(args[0].rfind(JobsFolder(), 0), 0u) << args[0];
        EXPECT_EQ(ReadFileBytes(args[0]), args[6] == "first" ? jobs[0] : jobs[1]);
        EXPECT_EQ(args[2], args[0].substr(0, args[0].size() - 3) + ".inf");
    }
    EXPECT_EQ(titles, (std::set<std::string>{"first", "second"}));
    EXPECT_TRUE(FilesIn(PendingFolder()).empty());
    EXPECT_TRUE(FilesIn(SharedPending()).empty());
    EXPECT_EQ(folimar::OfferPendingJobs(bin_ + "folimar.exe"), 0) << "a job is offered once";
}

// WTSQueryUserToken is LocalSystem's: the stand-in refuses it to an impersonating thread, as
// Windows does. The monitor must ask as the spooler and give the client's token back after.
TEST_F(MonitorFailures, TheSessionIsLookedUpAsTheSpoolerAndTheClientsTokenComesBack)
{
    const std::string job = Job(20000, "Through the session");
    const auto outcome = spooler_->PrintBytes(901, L"Via session", job, 4093, SecurityIdentification);
    ASSERT_TRUE(outcome.started && outcome.ended) << outcome.endError;
    EXPECT_TRUE(outcome.tokenKept) << "the spooler's thread must keep its client's token";
    const std::string calls = ReadFileBytes(dir_ / "wts.txt");
    EXPECT_NE(calls.find("WTSQueryUserToken"), std::string::npos) << calls;
    EXPECT_EQ(calls.find("impersonating=1"), std::string::npos) << calls;
    const auto lines = Recorded(1);
    ASSERT_EQ(lines.size(), 1u) << "the program is started in the owner's session";
    EXPECT_EQ(ReadFileBytes(QuotedArguments(lines[0]).at(0)), job);
}

TEST_F(MonitorFailures, StaleAndTwiceClosedHandlesAreRefusedCleanly)
{
    const MONITOR2* t = spooler_->table();
    HANDLE port = spooler_->OpenPort(L"QUORVEL:");
    ASSERT_NE(port, nullptr);
    HANDLE xcv = nullptr;
    ASSERT_TRUE(t->pfnXcvOpenPort(spooler_->monitor(), nullptr, SERVER_ACCESS_ADMINISTER, &xcv));
    // A port closed in the middle of a job, then closed again and used again.
    ::ImpersonateSelf(SecurityImpersonation);
    DOC_INFO_1W doc{const_cast<LPWSTR>(L"Closed twice"), nullptr, const_cast<LPWSTR>(L"RAW")};
    ASSERT_TRUE(t->pfnStartDocPort(port, const_cast<LPWSTR>(kPrinter), 950, 1, reinterpret_cast<LPBYTE>(&doc)));
    ::RevertToSelf();
    EXPECT_TRUE(t->pfnClosePort(port));
    BYTE data[] = "%!PS\n";
    DWORD written = 99;
    const HANDLE foreign = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));
    const struct {
        const char* call;
        std::function<BOOL()> run;
    } calls[] = {
        {"ClosePort twice", [&] { return t->pfnClosePort(port); }},
        {"WritePort after close", [&] { return t->pfnWritePort(port, data, sizeof data, &written); }},
        {"EndDocPort after close", [&] { return t->pfnEndDocPort(port); }},
        {"StartDocPort after close",
         [&] {
             return t->pfnStartDocPort(port, const_cast<LPWSTR>(kPrinter), 951, 1, reinterpret_cast<LPBYTE>(&doc));
         }},
        {"an Xcv handle as a port", [&] { return t->pfnWritePort(xcv, data, sizeof data, &written); }},
        {"a handle never given", [&] { return t->pfnClosePort(foreign); }},
        {"no handle", [&] { return t->pfnEndDocPort(nullptr); }},
    };
    for (const auto& c : calls) {
        ::SetLastError(0);
        EXPECT_FALSE(c.run()) << c.call;
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << c.call;
    }
    EXPECT_EQ(written, 0u);
    DWORD needed = 0;
    EXPECT_EQ(t->pfnXcvDataPort(port, L"PortIsValid", nullptr, 0, nullptr, 0, &needed),
              static_cast<DWORD>(ERROR_INVALID_HANDLE))
        << "a port handle as an Xcv one";
    EXPECT_TRUE(t->pfnXcvClosePort(xcv));
    EXPECT_FALSE(t->pfnXcvClosePort(xcv));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(FilesIn(JobsFolder()).empty()) << "the job of the port closed in its middle is gone";
    EXPECT_TRUE(spooler_->PrintBytes(952, L"After", Job(1000)).ended) << "the monitor still works";
}

} // namespace
