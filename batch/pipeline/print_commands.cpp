// Print-command execution: the commands made from the templates, the hidden print process, the
// DDE execute conversation and the end of the process.
#include "batch/pipeline/print_commands.h"

#include "files/code_pages.h"

#include <ddeml.h>

#include <algorithm>
#include <vector>

namespace folimar {

namespace {

// How often a DDE server that does not answer yet is asked again.
constexpr DWORD kDdeConnectRetryMs = 100;

// The client asks for nothing the DDE library would report through a callback; one that answers
// nothing stands in for none, which some DDE libraries would call all the same.
HDDEDATA CALLBACK IgnoreDdeEvent(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

// A job object that ends its processes when its last handle goes; its processes cannot leave it.
win::UniqueHandle MakeKillOnCloseJob()
{
    win::UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.reset();
    return job;
}

} // namespace

std::optional<std::string> ExpandEnvironment(const std::string& text)
{
    char expanded[kExpandedCommandBytes];
    const DWORD length = ::ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof(expanded));
    // The length counts the terminating zero; a larger one than the buffer means nothing was
    // expanded into it.
    if (length == 0 || length > sizeof(expanded))
        return std::nullopt;
    return std::string(expanded);
}

TPrintCommands BuildPrintCommands(const std::string& commandTemplate, const std::string& ddeTemplate,
                                  const std::string& documentPath)
{
    return BuildPrintCommandsWith(commandTemplate, ddeTemplate, documentPath, ExpandEnvironment);
}

std::optional<std::string> NameForPrintProgram(const std::string& path)
{
    if (FitsLegacyAnsiCodePage(path))
        return path;
    std::string shortName(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetShortPathNameA(path.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
        if (length == 0)
            return std::nullopt;
        const bool fitted = length < shortName.size();
        shortName.resize(length);
        if (fitted)
            break;
    }
    if (shortName == path || !FitsLegacyAnsiCodePage(shortName))
        return std::nullopt;
    return shortName;
}

uint64_t ProcessorTimeMs(const TPrintProcess& process)
{
    auto ms = [](const FILETIME& kernel, const FILETIME& user) {
        const auto units = [](const FILETIME& t) {
            return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        return (units(kernel) + units(user)) / 10000; // 100 ns units
    };
    uint64_t most = 0;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (process.job && ::QueryInformationJobObject(process.job.get(), JobObjectBasicAccountingInformation, &accounting,
                                                   sizeof accounting, nullptr))
        most = static_cast<uint64_t>(accounting.TotalKernelTime.QuadPart + accounting.TotalUserTime.QuadPart) / 10000;
    FILETIME created, ended, kernel, user;
    if (process.process && ::GetProcessTimes(process.process.get(), &created, &ended, &kernel, &user))
        most = std::max(most, ms(kernel, user));
    if (process.thread && ::GetThreadTimes(process.thread.get(), &created, &ended, &kernel, &user))
        most = std::max(most, ms(kernel, user));
    return most;
}

bool StartPrintCommand(const std::string& commandLine, TPrintProcess& process)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0'); // CreateProcessA may write to it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    // Suspended until it is in its job, so that nothing it starts escapes.
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                          &info))
        return false;
    process.process.reset(info.hProcess);
    process.thread.reset(info.hThread);
    process.threadId = info.dwThreadId;
    process.processId = info.dwProcessId;
    FILETIME exited, kernel, user;
    ::GetProcessTimes(info.hProcess, &process.created, &exited, &kernel, &user);
    // A program that runs inside a job that forbids a second one still prints, without it.
    process.job = MakeKillOnCloseJob();
    if (process.job && !::AssignProcessToJobObject(process.job.get(), info.hProcess))
        process.job.reset();
    if (::ResumeThread(info.hThread) == static_cast<DWORD>(-1)) {
        const DWORD error = ::GetLastError();
        ::TerminateProcess(info.hProcess, 1);
        process = TPrintProcess{};
        ::SetLastError(error);
        return false;
    }
    return true;
}

bool EndProcessIfSame(DWORD processId, const FILETIME& created)
{
    win::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, processId));
    FILETIME started, exited, kernel, user;
    if (!process || !::GetProcessTimes(process.get(), &started, &exited, &kernel, &user) ||
        ::CompareFileTime(&started, &created) != 0)
        return false;
    return ::TerminateProcess(process.get(), 1) != FALSE;
}

bool ExecuteDdeCommand(const std::string& application, const std::string& topic, const std::string& command,
                       DWORD connectWaitMs, HANDLE stop)
{
    // Declared in the reverse order of their release: the instance goes last.
    win::DdeInstance instance;
    win::DdeString topicName;
    win::DdeString service;
    win::DdeConversation conversation;
    if (::DdeInitializeA(instance.put(), IgnoreDdeEvent, 0, 0) != DMLERR_NO_ERROR) {
        instance.release(); // not an instance to uninitialise
        return false;
    }
    service = win::CreateDdeString(instance.get(), application.c_str());
    topicName = win::CreateDdeString(instance.get(), topic.c_str());
    if (!service || !topicName)
        return false;
    CONVCONTEXT context{};
    context.cb = sizeof context;
    context.iCodePage = CP_WINANSI;
    const DWORD start = ::GetTickCount();
    for (;;) {
        conversation.reset(::DdeConnect(instance.get(), service.get().hsz, topicName.get().hsz, &context));
        if (conversation)
            break;
        if (::GetTickCount() - start >= connectWaitMs)
            return false;
        // A stop ends the tries at once.
        if (!stop)
            ::Sleep(kDdeConnectRetryMs);
        else if (::WaitForSingleObject(stop, kDdeConnectRetryMs) != WAIT_TIMEOUT)
            return false;
    }
    win::DdeData data(::DdeCreateDataHandle(instance.get(), reinterpret_cast<BYTE*>(const_cast<char*>(command.c_str())),
                                            static_cast<DWORD>(command.size() + 1), 0, nullptr, CF_TEXT, 0));
    if (!data)
        return false;
    // The data handle belongs to DDE once the transaction has it.
    const HDDEDATA result = ::DdeClientTransaction(reinterpret_cast<BYTE*>(data.release()), static_cast<DWORD>(-1),
                                                   conversation.get(), nullptr, CF_TEXT, XTYP_EXECUTE, 5000, nullptr);
    return result != nullptr;
}

void EndPrintCommand(TPrintProcess& process, bool kill, DWORD quitWait)
{
    if (process.process) {
        if (kill)
            ::TerminateProcess(process.process.get(), 1);
        if (::WaitForSingleObject(process.process.get(), 0) != WAIT_OBJECT_0) {
            ::PostThreadMessageA(process.threadId, WM_QUIT, 0, 0);
            // An application that ignores the request would stay for ever, hidden.
            if (::WaitForSingleObject(process.process.get(), quitWait) == WAIT_TIMEOUT)
                ::TerminateProcess(process.process.get(), 1);
        }
    }
    // What the application started and left behind goes with it.
    if (process.job)
        ::TerminateJobObject(process.job.get(), 1);
    process.job.reset();
    process.processId = 0;
    process.process.reset();
    process.thread.reset();
    process.threadId = 0;
}

} // namespace folimar
