// The default printer as the user profile's printer entries record it: read, test and switch.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace folimar {

// The default printer's name; empty when there is none.
std::string GetDefaultPrinterName();

// Whether the profile's printer list holds a non-blank entry for name.
bool IsPrinterInstalled(const std::string& name);

// Makes name the default printer; false, with nothing changed, when it is not installed. After a
// change every top-level window is told, as the system tells them, so that other programs print
// to the new default.
bool MakeDefaultPrinter(const std::string& name);

// Leaves the user with no default printer, as before a batch that found none; told as above.
bool ClearDefaultPrinter();

// How long one window may take to answer the settings-change broadcast; a hung one is skipped.
inline constexpr unsigned kSettingChangeTimeoutMs = 1000;

// The rules below work on any store of profile strings; the routines above use the user profile.

inline constexpr char kWindowsSection[] = "Windows";
inline constexpr char kDeviceKey[] = "Device";
inline constexpr char kDevicesSection[] = "Devices";

// Every profile read uses a buffer of this many bytes: at most one less is read.
inline constexpr size_t kProfileValueBytes = 260;

// How often the old "Device" value is cleared before the switch gives up: a store that keeps the
// value after this many writes of the empty string will not take the new one either.
inline constexpr int kDeviceClearTries = 10;

// The two profile operations: a read with the empty default (the characters read), a write of a
// value (false when the store refused it).
struct TProfileStore {
    std::function<std::string(const char* section, const std::string& key)> read;
    std::function<bool(const char* section, const std::string& key, const std::string& value)> write;
};

// The printer name of a "Device" value: the text before its first comma, untrimmed; empty when
// the value has no comma.
std::string PrinterNameOfDevice(std::string_view deviceValue);

// A "Devices" entry names an installed printer when it holds more than blanks and control
// characters.
bool IsPrinterEntry(std::string_view devicesEntry);

// The "Device" value that makes name the default printer: the name, a comma, then its "Devices"
// entry exactly as read.
std::string DeviceValueFor(std::string_view name, std::string_view devicesEntry);

std::string GetDefaultPrinterNameIn(const TProfileStore& store);
bool IsPrinterInstalledIn(const TProfileStore& store, const std::string& name);
// False, without writing the new value, also when the old value cannot be cleared within
// kDeviceClearTries writes or the new value cannot be written.
bool MakeDefaultPrinterIn(const TProfileStore& store, const std::string& name);
// Clears "Device" as the switch does; false when it cannot be cleared within kDeviceClearTries.
bool ClearDefaultPrinterIn(const TProfileStore& store);

} // namespace folimar
