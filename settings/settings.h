// The batch window's two settings, kept in "folimar.ini" in the program's data folder.
#pragma once

#include <string>
#include <string_view>

namespace folimar {

inline constexpr char kSettingsSection[] = "Folimar";
inline constexpr char kOutputFolderKey[] = "OutputFolder";
inline constexpr char kOverwriteKey[] = "OverWrite";

struct TSettings {
    std::string outputFolder; // joined to file names as stored
    bool overwrite = true;    // false: "New name", a numbered name beside an existing PDF

    bool operator==(const TSettings&) const = default;
};

// "OverWrite" means "Overwrite" when its value is 1, and when it is missing or not a number.
bool OverwriteFromProfile(std::string_view value);

// dataFolder (ending in a backslash) + "folimar.ini".
std::string SettingsFilePath(const std::string& dataFolder);

// The settings in the file; a missing file, section or key gives the defaults: the user's
// documents folder (in memory only) and "Overwrite". The folder always ends in a backslash.
TSettings LoadSettings(const std::string& dataFolder);

// Writes both keys, creating the data folder first when it is missing. False when the system
// refused a write; the caller shows SaveSettingsFailedText.
bool SaveSettings(const std::string& dataFolder, const TSettings& settings);

// "Unable to write to <the settings file's full path>".
std::string SaveSettingsFailedText(const std::string& dataFolder);

} // namespace folimar
