// Holds a DLL loaded, as the spooler holds its port monitor, until the event
// "qv-dll-holder-stop" is set or two minutes pass: dll_holder.exe PATH
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
        return 2;
    HMODULE dll = ::LoadLibraryW(argv[1]);
    if (!dll) {
        std::fprintf(stderr, "dll_holder: cannot load the DLL (error %lu)\n", ::GetLastError());
        return 1;
    }
    HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, L"qv-dll-holder-stop");
    std::printf("holding\n");
    std::fflush(stdout);
    ::WaitForSingleObject(stop, 120000);
    ::CloseHandle(stop);
    ::FreeLibrary(dll);
    return 0;
}
