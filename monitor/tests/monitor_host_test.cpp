// The port monitor DLL driven as the spooler drives it: jobs reach folimar.exe (a recorder here)
// or the batch, byte for byte, as the job's owner; failures leave nothing behind.
#include "monitor/tests/monitor_host.h"

#include "port/batch_job.h"

#include <psapi.h>

namespace {

using namespace monitor_test;

TEST_F(MonitorHost, AnOrdinaryJobStartsTheProgramWithTheEightArguments)
{
    const std::string job = Job(200000);
    const auto outcome = spooler_->PrintBytes(77, L"Quarterly report", job);
    ASSERT_TRUE(outcome.started && outcome.written && outcome.ended) << outcome.endError;
    const auto lines = Recorded(1);
    ASSERT_EQ(lines.size(), 1u);
    const auto args = QuotedArguments(lines[0]);
    ASSERT_EQ(args.size(), 8u) << lines[0];
    EXPECT_EQ(args[0].rfind(JobsFolder(), 0), 0u) << args[0];
    EXPECT_EQ(ReadFileBytes(args[0]), job) << "the job file is the job, byte for byte";
    EXPECT_EQ(args[1], "Quorvel Virtual Printer");
    const std::string companion = ReadFileBytes(args[2]);
    EXPECT_NE(companion.find("Document=Quarterly report\r\n"), std::string::npos) << companion;
    EXPECT_FALSE(args[3].empty()) << "an empty argument would not be counted by the program";
    EXPECT_EQ(args[4], std::to_string(job.size()));
    EXPECT_EQ(args[5].size(), 14u);
    EXPECT_EQ(args[6], "Quarterly report");
    EXPECT_EQ(args[7], "RAW");
}

TEST_F(MonitorHost, HostileDocumentNamesGiveASafeTitle)
{
    const std::wstring nonLatin = L"\x041E\x0442\x0447\x0451\x0442 \x65E5\x672C";
    const struct {
        std::wstring document;
        std::string title;
    } cases[] = {
        {L"say \"cheese\" \"", "say 'cheese' '"},
        {L"tab\there\x0001\x001f\x007f end\r\n", "tab here    end"},
        {std::wstring(300, L'x'), std::string(255, 'x')},
        {std::wstring(300, L'\x00e9'),
         [] {
             std::string s;
             for (int i = 0; i < 127; ++i)
                 s += "\xc3\xa9";
             return s;
         }()},
        {nonLatin, "\xd0\x9e\xd1\x82\xd1\x87\xd1\x91\xd1\x82 \xe6\x97\xa5\xe6\x9c\xac"},
        {L"", "From the header"},
    };
    std::set<std::string> seen;
    DWORD jobId = 100;
    for (const auto& c : cases) {
        const auto outcome = spooler_->PrintBytes(jobId++, c.document, Job(1000));
        ASSERT_TRUE(outcome.ended) << c.title;
        const auto lines = Recorded(seen.size() + 1);
        for (const std::string& line : lines) {
            if (!seen.insert(line).second)
                continue;
            const auto args = QuotedArguments(line);
            ASSERT_EQ(args.size(), 8u) << line;
            EXPECT_EQ(args[6], c.title);
        }
        ASSERT_EQ(seen.size(), static_cast<size_t>(jobId - 100)) << "one program per job";
    }
}

// A batch's program running as the same user: "folimar.exe" waiting until it is told to end.
class LingeringBatch {
public:
    explicit LingeringBatch(const std::string& program)
    {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::string command = "\"" + program + "\" --linger";
        if (::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process)) {
            ::CloseHandle(process.hThread);
            process_.reset(process.hProcess);
        }
    }
    ~LingeringBatch()
    {
        win::UniqueHandle stop(::OpenEventW(EVENT_MODIFY_STATE, FALSE, L"qv-recorder-stop"));
        if (stop)
            ::SetEvent(stop.get());
        if (process_ && ::WaitForSingleObject(process_.get(), 10000) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.get(), 1);
    }
    LingeringBatch(const LingeringBatch&) = delete;
    LingeringBatch& operator=(const LingeringBatch&) = delete;
    bool running() const { return process_.valid(); }

private:
    win::UniqueHandle process_;
};

// While a batch prints a row, only a job named after the row's document goes to the batch, with
// the row's token; any other program's job is an ordinary print that starts the program.
TEST_F(MonitorHost, OnlyAJobNamedAfterTheRowsDocumentGoesToTheBatch)
{
    const std::string token = "FOLIMAR_BATCH_1c_2f/3";
    // The document "Ωmega letter.txt", handed to its print program by its short name.
    PlantBatchNotes(token + "\n\xCE\xA9mega letter.txt\nOMEGAL~1.TXT");
    LingeringBatch batch(bin_ + "folimar.exe");
    ASSERT_TRUE(batch.running());
    ASSERT_EQ(ProcessesNamed(L"folimar.exe"), 1);
    const struct {
        const wchar_t* document;
        bool batch;
    } cases[] = {
        {L"\x03A9mega letter - Notepad", true}, {L"C:\\docs\\OMEGAL~1.TXT", true},
        {L"\x03A9MEGA LETTER.TXT", true},       {L"Private letter", false},
        {L"Untitled - Notepad", false},         {L"", false},
    };
    DWORD jobId = 4240;
    size_t ordinary = 0;
    for (const auto& c : cases) {
        const std::string what = monitor_test::Narrow(c.document);
        const std::string job = Job(100000, "From " + what);
        const auto outcome = spooler_->PrintBytes(++jobId, c.document, job);
        ASSERT_TRUE(outcome.started && outcome.written && outcome.ended) << what << ": " << outcome.endError;
        const std::string idFile = SpoolFolder() + std::to_string(jobId);
        if (c.batch) {
            const porttool::TJobIdRecord record = porttool::ParseJobIdFile(ReadFileBytes(idFile));
            EXPECT_EQ(record.token, token) << what;
            EXPECT_EQ(record.psPath.rfind(SpoolFolder(), 0), 0u) << what << ": " << record.psPath;
            EXPECT_EQ(ReadFileBytes(record.psPath), job) << what;
            EXPECT_EQ(ProcessesNamed(L"folimar.exe"), 1) << what << ": a batch job starts no program";
        } else {
            EXPECT_EQ(::GetFileAttributesA(idFile.c_str()), INVALID_FILE_ATTRIBUTES) << what << ": not the batch's";
            const auto lines = Recorded(++ordinary);
            ASSERT_EQ(lines.size(), ordinary) << what << ": the program is started for it";
            bool found = false;
            for (const std::string& line : lines) {
                const auto args = QuotedArguments(line);
                found |= args.size() == 8u && args[0].rfind(JobsFolder(), 0) == 0 && ReadFileBytes(args[0]) == job;
            }
            EXPECT_TRUE(found) << what << ": the job reaches the program whole";
        }
    }
    EXPECT_EQ(Recorded(ordinary).size(), ordinary) << "the batch's jobs start nothing";
}

TEST_F(MonitorHost, NotesOfAKilledBatchDoNotSwallowJobs)
{
    PlantBatchNotes("FOLIMAR_BATCH_1c_2f/0\nletter.txt");
    ASSERT_EQ(ProcessesNamed(L"folimar.exe"), 0);
    const auto outcome = spooler_->PrintBytes(5, L"letter.txt - Notepad", Job(5000));
    ASSERT_TRUE(outcome.ended) << outcome.endError;
    EXPECT_EQ(Recorded(1).size(), 1u);
    auto left = FilesIn(SpoolFolder());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"~dest.tmp", "~row.tmp"})) << "nothing of the job goes there";
}

TEST_F(MonitorHost, TwoJobsOnTwoHandlesAtOnceStayApart)
{
    const std::string jobs[2] = {Job(3000000, "first"), Job(2000000, "second")};
    SpoolerStandIn::Outcome outcomes[2];
    std::thread threads[2];
    for (int i = 0; i < 2; ++i)
        threads[i] = std::thread([&, i] { outcomes[i] = spooler_->PrintBytes(31 + i, L"", jobs[i], 1000 + 7 * i); });
    for (auto& t : threads)
        t.join();
    for (const auto& o : outcomes)
        ASSERT_TRUE(o.started && o.written && o.ended) << o.endError;
    const auto lines = Recorded(2);
    ASSERT_EQ(lines.size(), 2u);
    std::set<std::string> titles;
    for (const std::string& line : lines) {
        const auto args = QuotedArguments(line);
        ASSERT_EQ(args.size(), 8u);
        titles.insert(args[6]);
        EXPECT_EQ(ReadFileBytes(args[0]), args[6] == "first" ? jobs[0] : jobs[1]);
    }
    EXPECT_EQ(titles, (std::set<std::string>{"first", "second"}));
}

TEST_F(MonitorHost, WrongPortsAndXcvRequestsAreRefused)
{
    const MONITOR2* t = spooler_->table();
    EXPECT_EQ(spooler_->OpenPort(L"LPT1:"), nullptr);
    BYTE buffer[512];
    DWORD needed = 0, returned = 0;
    ASSERT_TRUE(t->pfnEnumPorts(spooler_->monitor(), nullptr, 2, buffer, sizeof buffer, &needed, &returned));
    ASSERT_EQ(returned, 1u);
    EXPECT_STREQ(reinterpret_cast<PORT_INFO_2W*>(buffer)->pPortName, L"QUORVEL:");
    EXPECT_STREQ(reinterpret_cast<PORT_INFO_2W*>(buffer)->pMonitorName, qvmon::kMonitorName);
    EXPECT_FALSE(t->pfnEnumPorts(spooler_->monitor(), nullptr, 1, buffer, 4, &needed, &returned));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    const struct {
        ACCESS_MASK access;
        const wchar_t* request;
        const wchar_t* port;
        DWORD status;
    } cases[] = {
        {SERVER_ACCESS_ADMINISTER, L"AddPort", L"QUORVEL:", ERROR_SUCCESS},
        {SERVER_ACCESS_ADMINISTER, L"AddPort", L"COM9:", ERROR_INVALID_PARAMETER},
        {SERVER_ACCESS_ENUMERATE, L"AddPort", L"QUORVEL:", ERROR_ACCESS_DENIED},
        {SERVER_ACCESS_ADMINISTER, L"DeletePort", L"quorvel:", ERROR_SUCCESS},
        {SERVER_ACCESS_ENUMERATE, L"PortIsValid", L"QUORVEL:", ERROR_SUCCESS},
        {SERVER_ACCESS_ADMINISTER, L"MonitorUI", L"", ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        HANDLE xcv = nullptr;
        ASSERT_TRUE(t->pfnXcvOpenPort(spooler_->monitor(), nullptr, c.access, &xcv));
        DWORD out = 0;
        EXPECT_EQ(t->pfnXcvDataPort(xcv, c.request, reinterpret_cast<PBYTE>(const_cast<wchar_t*>(c.port)),
                                    static_cast<DWORD>((::lstrlenW(c.port) + 1) * sizeof(wchar_t)), nullptr, 0, &out),
                  c.status)
            << monitor_test::Narrow(c.request);
        EXPECT_TRUE(t->pfnXcvClosePort(xcv));
    }
}

TEST_F(MonitorHost, AFullDiskFailsTheJobAndLeavesNothing)
{
    const char* smallDisk = std::getenv("FOLIMAR_SMALL_DISK");
    if (!smallDisk || !*smallDisk)
        GTEST_SKIP() << "FOLIMAR_SMALL_DISK (a folder on a 1 MiB file system) is not set";
    const std::string folder = std::string(smallDisk) + "\\";
    SetString(HKEY_CURRENT_USER, kShellFolders, "AppData", folder);
    const auto outcome = spooler_->PrintBytes(66, L"Too big", Job(4 << 20), 65536);
    EXPECT_TRUE(outcome.started);
    EXPECT_FALSE(outcome.written && outcome.ended) << "a job larger than the disk cannot succeed";
    EXPECT_FALSE(outcome.ended);
    EXPECT_TRUE(FilesIn(folder + "QUORPSFILES\\JOBS\\").empty()) << "no partial job file is left";
    ::Sleep(500);
    EXPECT_TRUE(FilesIn(RecordedFolder()).empty()) << "nothing is started for a lost job";
}

TEST_F(MonitorHost, AGigabyteJobStreamsInFlatMemory)
{
    constexpr size_t kChunk = 1 << 16;
    constexpr uint64_t kTotal = 1ull << 30;
    std::string chunk = Job(kChunk);
    chunk.resize(kChunk);
    PROCESS_MEMORY_COUNTERS before{}, after{};
    ASSERT_TRUE(::K32GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before));
    HANDLE port = spooler_->OpenPort(L"QUORVEL:");
    const auto outcome = spooler_->Print(port, 1024, L"Big", [&](const auto& sink) {
        for (uint64_t sent = 0; sent < kTotal; sent += kChunk)
            if (!sink(chunk))
                return;
    });
    spooler_->table()->pfnClosePort(port);
    ASSERT_TRUE(::K32GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof after));
    ASSERT_TRUE(outcome.started && outcome.written && outcome.ended) << outcome.endError;
    const auto args = QuotedArguments(Recorded(1).at(0));
    ASSERT_EQ(args.size(), 8u);
    EXPECT_EQ(args[4], std::to_string(kTotal));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExA(args[0].c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ((uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow, kTotal);
    ::DeleteFileA(args[0].c_str());
    const double grownMiB = (double(after.PeakWorkingSetSize) - double(before.PeakWorkingSetSize)) / (1 << 20);
    std::printf("1 GiB job: peak working set %.1f MiB before, %.1f MiB after (+%.1f MiB)\n",
                double(before.PeakWorkingSetSize) / (1 << 20), double(after.PeakWorkingSetSize) / (1 << 20), grownMiB);
    EXPECT_GT(after.PeakWorkingSetSize, 0u) << "no memory figure to judge by";
    EXPECT_LT(grownMiB, 32.0) << "the job must stream, not gather in memory";
}

} // namespace
