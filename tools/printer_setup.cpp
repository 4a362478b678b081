// Defines "Quorvel Virtual Printer" in the current Wine prefix, printing into the project's port.
//
//   printer_setup.exe [--default] [--print-programs] PROGRAM
//
// The printer's port is "|folimar_port.exe PROGRAM": Wine pipes each job into the port (found
// beside this program), which starts PROGRAM for it. Running it again is harmless: a printer
// already set up this way is left as it is, one with another port or driver is defined anew.
// --default also makes it the default printer. --print-programs registers the print programs
// beside this one as the print verbs of ".txt" (print_text) and ".qdde" (print_dde, by DDE), in
// HKEY_CLASSES_ROOT itself: Wine does not show the user's own classes there.
#include "base/printer_constants.h"
#include "files/text_rules.h"
#include "render/library_path.h"
#include "port/port_job.h"
#include "tools/print_programs.h"
#include "tools/wine_paths.h"
#include "win/error_text.h"
#include "win/handle.h"
#include "win/program_path.h"

#include <winspool.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

// Wine's PostScript driver; "winprint" because with "wineps" as print processor EndDoc fails.
constexpr char kDriverName[] = "Wine PostScript Driver";
constexpr char kDriverFile[] = "wineps.drv";
constexpr char kPrintProcessor[] = "winprint";
constexpr char kDataType[] = "RAW";
constexpr char kPpdFileName[] = "quorvel-virtual-printer.ppd";
constexpr char kPortProgramName[] = "folimar_port.exe";
constexpr char kPrintTextName[] = "print_text";
constexpr char kPrintDdeName[] = "print_dde";
#ifdef __WINE__
// Wine starts a Winelib program by its .so; the launcher script beside it is for shells.
constexpr char kProgramSuffix[] = ".exe.so";
#else
constexpr char kProgramSuffix[] = ".exe";
#endif

int Fail(const std::string& what, DWORD error = ::GetLastError())
{
    std::fprintf(stderr, "printer_setup: %s: %s\n", what.c_str(), win::SystemErrorText(error).c_str());
    return 1;
}

// The port runs in another folder: it needs the program's full path.
std::string FullPath(const std::string& path)
{
    char full[MAX_PATH + 1] = {};
    DWORD n = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n <= MAX_PATH ? std::string(full, n) : std::string();
}

std::string ModuleFolder()
{
    return std::string(folimar::FolderPart(win::ProgramPath()));
}

// The port: the port program beside this one, by its Unix path since /bin/sh runs it.
std::string PortName(const std::string& program)
{
    std::optional<std::string> port = folimar::ToLibraryPath(ModuleFolder() + kPortProgramName);
    if (!port)
        return {};
    return "|" + porttool::ShellQuote(*port) + " " + porttool::ShellQuote(program);
}

// Wine's generic PPD, a resource of its spooler, written to a file: without a PPD the
// PostScript driver makes no device context.
bool WriteGenericPpd(const std::string& path)
{
    HMODULE spooler = ::GetModuleHandleA("winspool.drv");
    HRSRC resource = spooler ? ::FindResourceA(spooler, MAKEINTRESOURCEA(1), "PPDFILE") : nullptr;
    HGLOBAL loaded = resource ? ::LoadResource(spooler, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return false;
    DWORD size = ::SizeofResource(spooler, resource);
    win::UniqueHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), data, size, &written, nullptr) && written == size;
}

bool AddDriver()
{
    char temp[MAX_PATH + 1] = {};
    std::string ppd = std::string(temp, ::GetTempPathA(MAX_PATH, temp)) + kPpdFileName;
    if (!WriteGenericPpd(ppd))
        return false;
    DRIVER_INFO_3A driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriverName);
    driver.pDriverPath = const_cast<char*>(kDriverFile);
    driver.pConfigFile = const_cast<char*>(kDriverFile);
    driver.pDataFile = ppd.data();
    driver.pDefaultDataType = const_cast<char*>(kDataType);
    // The spooler copies the PPD into its driver folder.
    BOOL added = ::AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                                       APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY);
    DWORD error = ::GetLastError();
    ::DeleteFileA(ppd.c_str());
    ::SetLastError(error);
    return added;
}

struct Existing {
    bool found = false;
    bool same = false; // same port and driver
    bool isDefault = false;
};

Existing Examine(const std::string& port)
{
    Existing existing;
    win::Printer printer;
    if (!::OpenPrinterA(const_cast<char*>(folimar::kPrinterName), printer.put(), nullptr))
        return existing;
    existing.found = true;
    DWORD needed = 0;
    ::GetPrinterA(printer.get(), 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed && ::GetPrinterA(printer.get(), 2, buffer.data(), needed, &needed)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        existing.same = info->pPortName && port == info->pPortName && info->pDriverName &&
                        std::string(kDriverName) == info->pDriverName;
    }
    char name[MAX_PATH + 1] = {};
    DWORD size = sizeof name;
    existing.isDefault = ::GetDefaultPrinterA(name, &size) && std::string(name) == folimar::kPrinterName;
    return existing;
}

bool DeleteExisting()
{
    PRINTER_DEFAULTSA access{nullptr, nullptr, PRINTER_ALL_ACCESS};
    win::Printer printer;
    return ::OpenPrinterA(const_cast<char*>(folimar::kPrinterName), printer.put(), &access) &&
           ::DeletePrinter(printer.get());
}

bool AddVirtualPrinter(const std::string& port)
{
    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<char*>(folimar::kPrinterName);
    info.pPortName = const_cast<char*>(port.c_str());
    info.pDriverName = const_cast<char*>(kDriverName);
    info.pPrintProcessor = const_cast<char*>(kPrintProcessor);
    info.pDatatype = const_cast<char*>(kDataType);
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    win::Printer printer(::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
    return printer.valid();
}

// Writes one value below HKEY_CLASSES_ROOT, creating its key; false with the last error set.
bool WriteClassValue(const porttool::RegistryValue& value)
{
    win::RegKey key;
    LSTATUS status = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, value.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status == ERROR_SUCCESS)
        status = ::RegSetValueExA(key.get(), value.name.empty() ? nullptr : value.name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.data.c_str()),
                                  static_cast<DWORD>(value.data.size() + 1));
    ::SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

int RegisterPrintPrograms()
{
    const std::string folder = ModuleFolder();
    for (const porttool::RegistryValue& value : porttool::PrintProgramEntries(
             folder + kPrintTextName + kProgramSuffix, folder + kPrintDdeName + kProgramSuffix)) {
        if (!WriteClassValue(value))
            return Fail("cannot write HKEY_CLASSES_ROOT\\" + value.key);
        std::printf("registered=%s=%s\n", value.key.c_str(), value.data.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    bool makeDefault = false;
    bool printPrograms = false;
    while (!args.empty() && (args.front() == "--default" || args.front() == "--print-programs")) {
        (args.front() == "--default" ? makeDefault : printPrograms) = true;
        args.erase(args.begin());
    }
    if (args.size() != 1 || args[0].rfind("--", 0) == 0) {
        std::fprintf(stderr, "usage: printer_setup.exe [--default] [--print-programs] PROGRAM\n");
        return 1;
    }
    const std::string program = FullPath(porttool::WindowsPathOf(args[0]));
    const std::string port = PortName(program);
    if (program.empty() || port.empty())
        return Fail("cannot map the paths of " + args[0] + " and " + kPortProgramName, ERROR_BAD_PATHNAME);

    Existing existing = Examine(port);
    const char* state = "unchanged";
    if (!existing.same) {
        if (!AddDriver())
            return Fail("cannot add the driver \"" + std::string(kDriverName) + "\"");
        if (existing.found && !DeleteExisting())
            return Fail("cannot replace the printer");
        if (!AddVirtualPrinter(port))
            return Fail("cannot add the printer");
        state = existing.found ? "replaced" : "added";
    }
    // Deleting a printer also drops it as the default.
    if ((makeDefault || (existing.isDefault && !existing.same)) && !::SetDefaultPrinterA(folimar::kPrinterName))
        return Fail("cannot make the printer the default");

    char device[1024] = {};
    ::GetProfileStringA("Devices", folimar::kPrinterName, "", device, sizeof device);
    std::printf("printer=%s\nstate=%s\ndevices=%s\n", folimar::kPrinterName, state, device);
    return printPrograms ? RegisterPrintPrograms() : 0;
}
