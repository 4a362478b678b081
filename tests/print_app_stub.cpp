// A print application for the print-command tests.
//   print_app_stub READY_EVENT MARKER: makes its message queue, sets the named event READY_EVENT,
//     waits for WM_QUIT, then writes to MARKER how it was shown ("flags <dwFlags> show
//     <wShowWindow>") and ends with exit code 0.
//   print_app_stub exit CODE: ends at once with CODE.
//   print_app_stub ignore READY_EVENT: like the first form, but never takes WM_QUIT (ends after 60 s).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
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
