// Stands in for folimar.exe in the port monitor's tests. Started with "--linger" it only runs
// (a batch's program is running) until the event "qv-recorder-stop" is set or a minute passes;
// otherwise it records its command line, as UTF-8, in "recorded\<pid>.txt" beside itself.
#include <windows.h>

#include <string>

int main()
{
    const std::wstring line = ::GetCommandLineW();
    if (line.find(L"--linger") != std::wstring::npos) {
        HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, L"qv-recorder-stop");
        ::WaitForSingleObject(stop, 60000);
        ::CloseHandle(stop);
        return 0;
    }
    wchar_t self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, n);
    folder = folder.substr(0, folder.find_last_of(L'\\') + 1) + L"recorded\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    // Written aside and renamed, so that the test never reads half a line.
    const std::wstring name = std::to_wstring(::GetCurrentProcessId());
    const std::wstring temp = folder + name + L".tmp";
    HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return ok && ::MoveFileW(temp.c_str(), (folder + name + L".txt").c_str()) ? 0 : 1;
}
