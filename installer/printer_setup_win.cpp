// The installer's helper: registers the port monitor, adds its port and installs "Quorvel Virtual
// Printer" on Windows' PostScript class driver, or takes all of that away again.
//
//   qvsetup.exe install PROGRAM_FOLDER     (the monitor DLL is in the system folder already)
//   qvsetup.exe uninstall
//
// Each step prints one line "step: done" or "step: FAILED: <system's text>"; the exit code is 0
// when every step was done, else the number of failed steps.
#include "base/printer_constants.h"
#include "monitor/monitor_names.h"
#include "monitor/wide_text.h"
#include "win/error_text.h"
#include "win/handle.h"

#include <cstdio>
#include <cwchar>
#include <string>

// In winspool.drv since Windows 7; MinGW-w64's import library has it, its header does not.
extern "C" HRESULT WINAPI InstallPrinterDriverFromPackageW(LPCWSTR server, LPCWSTR infPath, LPCWSTR driverName,
                                                           LPCWSTR environment, DWORD flags);

namespace {

// In the driver store of Windows 8 and later; it needs no file of ours.
constexpr wchar_t kClassDriver[] = L"Microsoft PS Class Driver";

class Steps {
public:
    bool Report(const char* step, bool done, DWORD error = ::GetLastError())
    {
        if (done)
            std::printf("%s: done\n", step);
        else
            std::printf("%s: FAILED: %s\n", step, win::SystemErrorText(error ? error : ERROR_GEN_FAILURE).c_str());
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

int Install(const std::wstring& folder)
{
    Steps steps;
    steps.Report("record the program's path", RecordProgram(folder));
    MONITOR_INFO_2W monitor{const_cast<LPWSTR>(qvmon::kMonitorName), nullptr, const_cast<LPWSTR>(qvmon::kMonitorDll)};
    const bool added = ::AddMonitorW(nullptr, 2, reinterpret_cast<LPBYTE>(&monitor)) ||
                       ::GetLastError() == ERROR_PRINT_MONITOR_ALREADY_INSTALLED;
    if (!steps.Report("register the port monitor", added))
        return steps.failed() + 2; // no port and no printer without it
    const DWORD port = PortRequest(L"AddPort");
    steps.Report("add the port QUORVEL:", port == ERROR_SUCCESS || port == ERROR_ALREADY_EXISTS, port);
    const HRESULT driver = UnderWine() ? HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED)
                                       : ::InstallPrinterDriverFromPackageW(nullptr, nullptr, kClassDriver, nullptr, 0);
    if (!steps.Report("install the PostScript class driver", SUCCEEDED(driver), HRESULT_CODE(driver)))
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
    steps.Report("install the printer", made.valid() || ::GetLastError() == ERROR_PRINTER_ALREADY_EXISTS);
    return steps.failed();
}

int Uninstall()
{
    Steps steps;
    std::wstring name = qvmon::ToWide(folimar::kPrinterName);
    PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    win::Printer printer;
    if (::OpenPrinterW(name.data(), printer.put(), &access))
        steps.Report("remove the printer", ::DeletePrinter(printer.get()) != FALSE);
    else
        std::printf("remove the printer: not installed\n");
    printer.reset();
    const DWORD port = PortRequest(L"DeletePort");
    if (port != ERROR_SUCCESS)
        std::printf("remove the port QUORVEL:: not there (%s)\n", win::SystemErrorText(port).c_str());
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
