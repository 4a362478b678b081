// The batch window's two settings, kept in "folimar.ini" in the program's data folder.
#pragma once

#include <string>
#include <string_view>

namespace folimar {

inline constexpr char kSettingsSection[] = "Folimar";
inline constexpr char kOutputFolderKey[] = "OutputFolder";
inline constexpr char kOverwriteKey[] = "OverWrite";
// Seconds a batch row's printing may show no sign of life; only ever written by hand.
inline constexpr char kPrintLimitKey[] = "PrintLimitSeconds";

inline constexpr unsigned kDefaultPrintLimitSeconds = 120;
// A hand-edited limit is held to this range: shorter would end programs still starting, longer
// than a day would keep a hung program for good.
inline constexpr unsigned kMinPrintLimitSeconds = 10;
inline constexpr unsigned kMaxPrintLimitSeconds = 86400;

struct TSettings {
    std::string outputFolder; // joined to file names as stored
    bool overwrite = true;    // false: "New name", a numbered name beside an existing PDF
    unsigned printLimitSeconds = kDefaultPrintLimitSeconds;

    bool operator==(const TSettings&) const = default;
};

// "OverWrite" means "Overwrite" when its value is 1, and when it is missing or not a number.
bool OverwriteFromProfile(std::string_view value);

// "PrintLimitSeconds": a positive number of seconds, held to the range above; missing, not a
// number, zero or negative gives the default.
unsigned PrintLimitFromProfile(std::string_view value);

// dataFolder (ending in a backslash) + "folimar.ini".
std::string SettingsFilePath(const std::string& dataFolder);

// The settings in the file; a missing file, section or key gives the defaults: the user's
// documents folder (in memory only) and "Overwrite". The folder always ends in a backslash.
TSettings LoadSettings(const std::string& dataFolder);

// Writes the two keys the settings dialog sets (the print limit is left as it is), creating the data folder first when
// it is missing. False when the system refused a write; the caller shows SaveSettingsFailedText.
bool SaveSettings(const std::string& dataFolder, const TSettings& settings);

// "Unable to write to <the settings file's full path>".
std::string SaveSettingsFailedText(const std::string& dataFolder);

// What single-job mode does with a printed document, kept in the same file and section.
inline constexpr char kAutoSaveKey[] = "AutoSave";
inline constexpr char kAutoSaveFolderKey[] = "AutoSaveFolder";
inline constexpr char kAutoSaveNameKey[] = "AutoSaveName";
inline constexpr char kAutoSaveOverwriteKey[] = "AutoSaveOverwrite";
inline constexpr char kOpenPdfKey[] = "OpenPdf";

struct TAutoSaveSettings {
    bool autoSave = false;  // save at once to folder + pattern, without waiting for Convert
    std::string folder;     // ends in a backslash
    std::string pattern;    // see settings/name_pattern.h
    bool overwrite = false; // a taken name is replaced rather than numbered
    bool openPdf = true;    // open the PDF once it is made (in both single-job forms)

    bool operator==(const TAutoSaveSettings&) const = default;
};

// The auto-save keys; missing or unreadable ones give the defaults: off, the user's documents
// folder, "<Title>", "New name", open the PDF. A switch is on when its number is 1.
TAutoSaveSettings LoadAutoSaveSettings(const std::string& dataFolder);

// Writes the auto-save keys and leaves every other key as it is; false as SaveSettings.
bool SaveAutoSaveSettings(const std::string& dataFolder, const TAutoSaveSettings& settings);

} // namespace folimar
