// A print application for the print-command tests.
//   print_app_stub READY_EVENT MARKER: makes its message queue, sets the named event READY_EVENT,
//     waits for WM_QUIT, then writes to MARKER how it was shown ("flags <dwFlags> show
//     <wShowWindow>") and ends with exit code 0.
//   print_app_stub exit CODE: ends at once with CODE.
//   print_app_stub ignore READY_EVENT: like the first form, but never takes WM_QUIT (ends after 60 s).
//   print_app_stub hold MUTEX [ANY...]: owns the named mutex MUTEX for 60 s and ends; the mutex is
//     left abandoned when the process is ended before.
//   print_app_stub spawn MUTEX STUB: starts "STUB hold MUTEX" (STUB: this program's path), waits
//     until the mutex exists and ends: a print program that leaves a child running.
//   print_app_stub busy MS MARKER [ANY...]: keeps the processor busy for MS, then writes MARKER and
//     ends: a print program that takes long to print.
//   print_app_stub grow FILE MS [ANY...]: adds a byte to FILE every 200 ms for MS, idle between, then
//     writes FILE.done and ends: a job being captured slowly.
//   "JOB" "PRINTER" ... (a single-job command line, eight quoted arguments): writes the whole
//     command line into JOB.args and ends: the program single-job mode runs in.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kHoldMs = 60000;

int Hold(const char* mutexName)
{
    HANDLE mutex = ::CreateMutexA(nullptr, TRUE, mutexName);
    if (!mutex)
        return 3;
    ::Sleep(kHoldMs);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    return 0;
}

int Spawn(const char* self, const char* mutexName)
{
    char line[1024];
    std::snprintf(line, sizeof line, "\"%s\" hold %s", self, mutexName);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 3;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    for (int i = 0; i < 300; ++i) {
        HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, mutexName);
        if (mutex) {
            ::CloseHandle(mutex);
            return 0;
        }
        ::Sleep(100);
    }
    return 4;
}

bool WriteWhole(const std::string& path, const std::string& text, DWORD disposition = CREATE_ALWAYS)
{
    // Through Windows' file calls: the path is a Windows path in both builds.
    HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return ::CloseHandle(file) && ok && written == text.size();
}

int Busy(DWORD ms, const char* marker)
{
    const DWORD start = ::GetTickCount();
    volatile unsigned long spin = 0;
    while (::GetTickCount() - start < ms)
        for (int i = 0; i < 100000; ++i)
            spin = spin + 1;
    return WriteWhole(marker, "printed") ? 0 : 4;
}

int Grow(const char* file, DWORD ms)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        if (!WriteWhole(file, "x", OPEN_ALWAYS))
            return 4;
        ::Sleep(200);
    }
    return WriteWhole(std::string(file) + ".done", "grown") ? 0 : 4;
}

// The single-job command line begins with the job file in quotes.
int RecordSingleJob()
{
    const std::string line = ::GetCommandLineA();
    const size_t end = line.find('"', 1);
    if (line.empty() || line[0] != '"' || end == std::string::npos)
        return 2;
    return WriteWhole(line.substr(1, end - 1) + ".args", line) ? 0 : 4;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "hold") == 0)
        return Hold(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "spawn") == 0)
        return Spawn(argv[3], argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "busy") == 0)
        return Busy(static_cast<DWORD>(std::atol(argv[2])), argv[3]);
    if (argc >= 4 && std::strcmp(argv[1], "grow") == 0)
        return Grow(argv[2], static_cast<DWORD>(std::atol(argv[3])));
    if (std::strstr(::GetCommandLineA(), "\"Quorvel Virtual Printer\""))
        return RecordSingleJob();
    if (argc != 3)
        return 2;
    const bool ignore = std::strcmp(argv[1], "ignore") == 0;
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists from here on
    HANDLE ready = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, ignore ? argv[2] : argv[1]);
    if (!ready || !::SetEvent(ready))
        return 3;
    ::CloseHandle(ready);
    if (ignore) {
        ::Sleep(60000);
        return 0;
    }
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoA(&startup);
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "flags %lu show %u", static_cast<unsigned long>(startup.dwFlags),
                      static_cast<unsigned>(startup.wShowWindow));
    // Through Windows' file calls: the path is a Windows path in both builds.
    HANDLE marker = ::CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE)
        return 4;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(marker, text, static_cast<DWORD>(length), &written, nullptr);
    return ::CloseHandle(marker) && ok && written == static_cast<DWORD>(length) ? 0 : 4;
}
