// The test driver's process-level helpers.
#include "tools/driver_process.h"

#include "tools/driver_wait.h"
#include "win/handle.h"

#include <tlhelp32.h>

#include <cstdint>

namespace driver {

namespace {

constexpr DWORD kDdeTimeoutMs = 5000;

uint64_t CreationTimeOf(DWORD threadId)
{
    win::UniqueHandle thread(::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId));
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!thread || !::GetThreadTimes(thread.get(), &created, &exited, &kernel, &user))
        return UINT64_MAX;
    return (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

// A client gets no transactions of its own to serve.
HDDEDATA CALLBACK IgnoreDde(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

} // namespace

std::string EnvironmentValue(const char* name)
{
    char value[MAX_PATH + 1] = {};
    DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

bool AppendLine(const std::string& path, const std::string& line)
{
    win::UniqueHandle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string data = line + "\n";
    DWORD written = 0;
    return file && ::WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
           written == data.size();
}

int Record(const std::string& recordFile)
{
    if (!AppendLine(recordFile, ::GetCommandLineA()))
        return 1;
    std::string hold = EnvironmentValue("FOLIMAR_TESTDRIVER_HOLD");
    if (hold.empty())
        return 0;
    constexpr int kHoldMs = 60000;
    bool released = WaitFor(kHoldMs, [&] { return ::GetFileAttributesA(hold.c_str()) != INVALID_FILE_ATTRIBUTES; });
    return AppendLine(recordFile, released ? "released" : "not released") ? 0 : 1;
}

DWORD PrimaryThreadOf(DWORD pid)
{
    win::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot)
        return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD primary = 0;
    uint64_t earliest = UINT64_MAX;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry)) {
        if (entry.th32OwnerProcessID != pid)
            continue;
        // The snapshot's order is not the creation order everywhere: ask each thread.
        uint64_t created = CreationTimeOf(entry.th32ThreadID);
        if (!primary || created < earliest) {
            primary = entry.th32ThreadID;
            earliest = created;
        }
    }
    if (!primary)
        ::SetLastError(ERROR_INVALID_PARAMETER);
    return primary;
}

bool DdeExecute(const std::string& service, const std::string& topic, const std::string& command, int timeoutMs,
                std::string& error)
{
    DWORD id = 0;
    if (::DdeInitializeA(&id, IgnoreDde, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
        error = "DdeInitializeA failed";
        return false;
    }
    win::DdeInstance instance(id);
    win::DdeString serviceName = win::CreateDdeString(id, service.c_str());
    win::DdeString topicName = win::CreateDdeString(id, topic.c_str());
    if (!serviceName || !topicName) {
        error = "cannot make the DDE names";
        return false;
    }
    win::DdeConversation conversation = WaitFor(timeoutMs, [&] {
        return win::DdeConversation(::DdeConnect(id, serviceName.get().hsz, topicName.get().hsz, nullptr));
    });
    if (!conversation) {
        error = "no DDE server answers " + service + "|" + topic;
        return false;
    }
    // A synchronous execute answers TRUE, not a data handle: nothing to free.
    DWORD result = 0;
    if (!::DdeClientTransaction(reinterpret_cast<BYTE*>(const_cast<char*>(command.c_str())),
                                static_cast<DWORD>(command.size() + 1), conversation.get(), nullptr, 0, XTYP_EXECUTE,
                                kDdeTimeoutMs, &result)) {
        UINT code = ::DdeGetLastError(id);
        error = code == DMLERR_NOTPROCESSED ? "the server did not process the command"
                                            : "the DDE transaction failed (DDE error " + std::to_string(code) + ")";
        return false;
    }
    return true;
}

} // namespace driver
