// The installer's helper: registers the port monitor, adds its port and installs "Quorvel Virtual
// Printer" on Windows' PostScript class driver, or takes all of that away again.
//
//   qvsetup.exe install PROGRAM_FOLDER     (the monitor DLL is in the system folder already)
//   qvsetup.exe uninstall
//
// Each step prints one line "step: done" or "step: FAILED: <system's text>", and after a failed
// one a line "  what to do: ..." in plain words; every line also goes, with the time, to
// %ProgramData%\Quorvel Folimar\setup.log. The exit code is 0 when every step was done, else the
// number of failed steps.
#include "base/printer_constants.h"
#include "monitor/monitor_names.h"
#include "monitor/wide_text.h"
#include "win/error_text.h"
#include "port/pending_job.h"
#include "win/handle.h"

#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

// In winspool.drv since Windows 7; MinGW-w64's import library has it, its header does not.
extern "C" HRESULT WINAPI InstallPrinterDriverFromPackageW(LPCWSTR server, LPCWSTR infPath, LPCWSTR driverName,
                                                           LPCWSTR environment, DWORD flags);

namespace {

// In the driver store of Windows 8 and later; it needs no file of ours.
constexpr wchar_t kClassDriver[] = L"Microsoft PS Class Driver";

// What a person can do about a failed step.
constexpr char kRetryAsAdmin[] = "run the setup again as an administrator.";
constexpr char kSpooler[] = "make sure the service \"Print Spooler\" runs (services.msc), then run the setup again.";
constexpr char kClassDriverHelp[] =
    "this needs Windows 10 or 11 with its built-in \"Microsoft PS Class Driver\"; run Windows Update, then run the "
    "setup again.";
constexpr char kPrinterHelp[] = "open Settings > Bluetooth & devices > Printers & scanners, remove any \"Quorvel "
                                "Virtual Printer\" there, then run the setup again.";

// Appends one line, with the time, to the setup log in the product's shared folder.
void LogLine(const std::string& text)
{
    wchar_t common[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)))
        return;
    const std::wstring folder = std::wstring(common) + L"\\" + qvmon::ToWide(porttool::kSharedFolderName);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    win::UniqueHandle file(::CreateFileW((folder + L"setup.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char time[32];
    std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u qvsetup: ", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    const std::string line = time + text + "\r\n";
    DWORD written = 0;
    if (file)
        ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Say(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    LogLine(text);
}

class Steps {
public:
    bool Report(const char* step, bool done, DWORD error = ::GetLastError(), const char* help = kRetryAsAdmin)
    {
        if (done) {
            Say(std::string(step) + ": done");
        } else {
            Say(std::string(step) + ": FAILED: " + win::SystemErrorText(error ? error : ERROR_GEN_FAILURE));
            Say(std::string("  what to do: ") + help);
        }
        failed_ += !done;
        return done;
    }
    int failed() const { return failed_; }

private:
    int failed_ = 0;
};

std::wstring XcvName()
{
    return std::wstring(L",XcvMonitor ") + qvmon::kMonitorName;
}

// Sends "AddPort" or "DeletePort" for our port through the monitor's configuration channel.
DWORD PortRequest(const wchar_t* request)
{
    PRINTER_DEFAULTSW access{nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    win::Printer xcv;
    std::wstring name = XcvName();
    if (!::OpenPrinterW(name.data(), xcv.put(), &access))
        return ::GetLastError();
    DWORD needed = 0;
    DWORD status = ERROR_GEN_FAILURE;
    if (!::XcvDataW(xcv.get(), request, reinterpret_cast<PBYTE>(const_cast<wchar_t*>(qvmon::kPortName)),
                    static_cast<DWORD>((std::wcslen(qvmon::kPortName) + 1) * sizeof(wchar_t)), nullptr, 0, &needed,
                    &status))
        return ::GetLastError();
    return status;
}

bool RecordProgram(const std::wstring& folder)
{
    win::RegKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, qvmon::kProductKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring program = folder + (folder.empty() || folder.back() == L'\\' ? L"" : L"\\") + L"folimar.exe";
    const LSTATUS status =
        ::RegSetValueExW(key.get(), qvmon::kProgramValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                         static_cast<DWORD>((program.size() + 1) * sizeof(wchar_t)));
    ::SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

// Wine has no driver store: its InstallPrinterDriverFromPackageW is a stub that ends the process.
bool UnderWine()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// The printer as the spooler now has it: on the class driver and our port (an older printer of
// the same name may sit on another driver or port).
bool CheckPrinter(const std::wstring& name)
{
    win::Printer printer;
    if (!::OpenPrinterW(const_cast<LPWSTR>(name.c_str()), printer.put(), nullptr))
        return false;
    DWORD needed = 0;
    ::GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!::GetPrinterW(printer.get(), 2, buffer.data(), needed, &needed))
        return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    const bool right = info->pDriverName && info->pPortName && std::wcscmp(info->pDriverName, kClassDriver) == 0 &&
                       ::lstrcmpiW(info->pPortName, qvmon::kPortName) == 0;
    if (!right) {
        Say(std::string("  the printer uses the driver \"") +
            qvmon::ToUtf8(info->pDriverName ? info->pDriverName : L"") + "\" on the port \"" +
            qvmon::ToUtf8(info->pPortName ? info->pPortName : L"") + "\"");
        ::SetLastError(ERROR_INVALID_PRINTER_NAME);
    }
    return right;
}

int Install(const std::wstring& folder)
{
    Steps steps;
    LogLine("install into " + qvmon::ToUtf8(folder));
    steps.Report("record the program's path", RecordProgram(folder));
    MONITOR_INFO_2W monitor{const_cast<LPWSTR>(qvmon::kMonitorName), nullptr, const_cast<LPWSTR>(qvmon::kMonitorDll)};
    const bool added = ::AddMonitorW(nullptr, 2, reinterpret_cast<LPBYTE>(&monitor)) ||
                       ::GetLastError() == ERROR_PRINT_MONITOR_ALREADY_INSTALLED;
    if (!steps.Report("register the port monitor", added, ::GetLastError(), kSpooler))
        return steps.failed() + 2; // no port and no printer without it
    const DWORD port = PortRequest(L"AddPort");
    steps.Report("add the port QUORVEL:", port == ERROR_SUCCESS || port == ERROR_ALREADY_EXISTS, port, kSpooler);
    const HRESULT driver = UnderWine() ? HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED)
                                       : ::InstallPrinterDriverFromPackageW(nullptr, nullptr, kClassDriver, nullptr, 0);
    if (!steps.Report("install the PostScript class driver", SUCCEEDED(driver), HRESULT_CODE(driver), kClassDriverHelp))
        return steps.failed() + 1;
    const std::wstring name = qvmon::ToWide(folimar::kPrinterName);
    PRINTER_INFO_2W printer{};
    printer.pPrinterName = const_cast<LPWSTR>(name.c_str());
    printer.pPortName = const_cast<LPWSTR>(qvmon::kPortName);
    printer.pDriverName = const_cast<LPWSTR>(kClassDriver);
    printer.pPrintProcessor = const_cast<LPWSTR>(L"winprint");
    printer.pDatatype = const_cast<LPWSTR>(L"RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    win::Printer made(::AddPrinterW(nullptr, 2, reinterpret_cast<LPBYTE>(&printer)));
    if (steps.Report("install the printer", made.valid() || ::GetLastError() == ERROR_PRINTER_ALREADY_EXISTS,
                     ::GetLastError(), kPrinterHelp))
        steps.Report("check the printer", CheckPrinter(name), ::GetLastError(), kPrinterHelp);
    return steps.failed();
}

int Uninstall()
{
    Steps steps;
    LogLine("uninstall");
    std::wstring name = qvmon::ToWide(folimar::kPrinterName);
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    win::Printer printer;
    if (::OpenPrinterW(name.data(), printer.put(), &access))
        steps.Report("remove the printer", ::DeletePrinter(printer.get()) != FALSE);
    else
        Say("remove the printer: not installed");
    printer.reset();
    const DWORD port = PortRequest(L"DeletePort");
    if (port != ERROR_SUCCESS)
        Say("remove the port QUORVEL:: not there (" + win::SystemErrorText(port) + ")");
    else
        steps.Report("remove the port QUORVEL:", true);
    steps.Report("remove the port monitor",
                 ::DeleteMonitorW(nullptr, nullptr, const_cast<LPWSTR>(qvmon::kMonitorName)) ||
                     ::GetLastError() == ERROR_UNKNOWN_PRINT_MONITOR);
    const LSTATUS key = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, qvmon::kProductKey);
    steps.Report("remove the program's path", key == ERROR_SUCCESS || key == ERROR_FILE_NOT_FOUND,
                 static_cast<DWORD>(key));
    return steps.failed();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        if (argc == 3 && std::wcscmp(argv[1], L"install") == 0)
            return Install(argv[2]);
        if (argc == 2 && std::wcscmp(argv[1], L"uninstall") == 0)
            return Uninstall();
        std::fprintf(stderr, "usage: qvsetup.exe install PROGRAM_FOLDER | uninstall\n");
    } catch (...) {
        std::fprintf(stderr, "qvsetup: out of memory\n");
    }
    return 100;
}
