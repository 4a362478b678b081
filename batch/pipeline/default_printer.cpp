// The default printer: the rules over profile strings and the user profile behind them.
#include "batch/pipeline/default_printer.h"

#include "files/text_rules.h"

#include <windows.h>

#include <optional>

namespace folimar {

std::string PrinterNameOfDevice(std::string_view deviceValue)
{
    const size_t comma = deviceValue.find(',');
    return comma == std::string_view::npos ? std::string() : std::string(deviceValue.substr(0, comma));
}

bool IsPrinterEntry(std::string_view devicesEntry)
{
    return !TrimControlAndSpace(devicesEntry).empty();
}

std::string DeviceValueFor(std::string_view name, std::string_view devicesEntry)
{
    std::string value(name);
    value += ',';
    value += devicesEntry;
    return value;
}

std::string GetDefaultPrinterNameIn(const TProfileStore& store)
{
    return PrinterNameOfDevice(store.read(kWindowsSection, kDeviceKey));
}

namespace {

// The printer's "Devices" entry as read; nothing when it names no installed printer. The empty
// key is no printer's, whatever a store answers for it.
std::optional<std::string> InstalledEntry(const TProfileStore& store, const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    std::string entry = store.read(kDevicesSection, name);
    if (!IsPrinterEntry(entry))
        return std::nullopt;
    return entry;
}

} // namespace

bool IsPrinterInstalledIn(const TProfileStore& store, const std::string& name)
{
    return InstalledEntry(store, name).has_value();
}

bool ClearDefaultPrinterIn(const TProfileStore& store)
{
    // The empty value is written, not the key deleted, until the value reads back empty.
    int tries = 0;
    while (!store.read(kWindowsSection, kDeviceKey).empty()) {
        if (tries++ == kDeviceClearTries)
            return false;
        store.write(kWindowsSection, kDeviceKey, "");
    }
    return true;
}

bool MakeDefaultPrinterIn(const TProfileStore& store, const std::string& name)
{
    const std::optional<std::string> entry = InstalledEntry(store, name);
    if (!entry)
        return false;
    return ClearDefaultPrinterIn(store) && store.write(kWindowsSection, kDeviceKey, DeviceValueFor(name, *entry));
}

namespace {

const TProfileStore& UserProfile()
{
    static const TProfileStore store{
        [](const char* section, const std::string& key) {
            char value[kProfileValueBytes] = {};
            const DWORD n = ::GetProfileStringA(section, key.c_str(), "", value, sizeof(value));
            return std::string(value, n < sizeof(value) ? n : sizeof(value) - 1);
        },
        [](const char* section, const std::string& key, const std::string& value) {
            return ::WriteProfileStringA(section, key.c_str(), value.c_str()) != FALSE;
        },
    };
    return store;
}

} // namespace

std::string GetDefaultPrinterName()
{
    return GetDefaultPrinterNameIn(UserProfile());
}

bool IsPrinterInstalled(const std::string& name)
{
    return IsPrinterInstalledIn(UserProfile(), name);
}

namespace {

// What the system sends when the default printer changes: WM_SETTINGCHANGE with "windows", the
// profile section that holds it. Programs that print to the default printer read it anew then.
void BroadcastPrinterChange()
{
    static const char kSection[] = "windows";
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kSection),
                          SMTO_ABORTIFHUNG | SMTO_NORMAL, kSettingChangeTimeoutMs, &answer);
}

} // namespace

bool MakeDefaultPrinter(const std::string& name)
{
    const bool made = MakeDefaultPrinterIn(UserProfile(), name);
    if (made)
        BroadcastPrinterChange();
    return made;
}

bool ClearDefaultPrinter()
{
    const bool cleared = ClearDefaultPrinterIn(UserProfile());
    BroadcastPrinterChange();
    return cleared;
}

} // namespace folimar
