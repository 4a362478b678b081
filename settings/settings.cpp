// Reading and writing the settings file through the system's profile functions.
#include "settings/settings.h"

#include "base/printer_constants.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "files/user_folders.h"
#include "settings/name_pattern.h"
#include "settings/profile_number.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace folimar {

bool OverwriteFromProfile(std::string_view value)
{
    return ParseProfileNumber(value).value_or(1) == 1;
}

unsigned PrintLimitFromProfile(std::string_view value)
{
    const std::optional<int32_t> seconds = ParseProfileNumber(value);
    if (!seconds || *seconds <= 0)
        return kDefaultPrintLimitSeconds;
    return std::clamp(static_cast<unsigned>(*seconds), kMinPrintLimitSeconds, kMaxPrintLimitSeconds);
}

std::string SettingsFilePath(const std::string& dataFolder)
{
    return dataFolder + kSettingsFileName;
}

namespace {

std::string ReadKey(const std::string& file, const char* key)
{
    char value[2048];
    DWORD length = ::GetPrivateProfileStringA(kSettingsSection, key, "", value, sizeof(value), file.c_str());
    return std::string(value, length);
}

bool WriteKeys(const std::string& dataFolder, std::initializer_list<std::pair<const char*, std::string>> keys)
{
    // The data folder is otherwise made only with the spool folder: a first save would fail.
    if (!DirectoryExists(dataFolder) && !CreateFolderPath(dataFolder))
        return false;
    const std::string file = SettingsFilePath(dataFolder);
    for (const auto& [key, value] : keys)
        if (!::WritePrivateProfileStringA(kSettingsSection, key, value.c_str(), file.c_str()))
            return false;
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str()); // flush
    return true;
}

bool SwitchFromProfile(std::string_view value, bool missing)
{
    const std::optional<int32_t> number = ParseProfileNumber(value);
    return number ? *number == 1 : missing;
}

} // namespace

TSettings LoadSettings(const std::string& dataFolder)
{
    const std::string file = SettingsFilePath(dataFolder);
    auto read = [&file](const char* key) { return ReadKey(file, key); };
    TSettings settings;
    settings.outputFolder = read(kOutputFolderKey);
    settings.overwrite = OverwriteFromProfile(read(kOverwriteKey));
    settings.printLimitSeconds = PrintLimitFromProfile(read(kPrintLimitKey));
    if (settings.outputFolder.empty())
        settings.outputFolder = GetMyDocumentsFolder();
    // A folder edited by hand without its backslash would put the PDFs beside it.
    settings.outputFolder = WithTrailingBackslash(std::move(settings.outputFolder));
    return settings;
}

bool SaveSettings(const std::string& dataFolder, const TSettings& settings)
{
    return WriteKeys(dataFolder,
                     {{kOutputFolderKey, settings.outputFolder}, {kOverwriteKey, settings.overwrite ? "1" : "0"}});
}

TAutoSaveSettings LoadAutoSaveSettings(const std::string& dataFolder)
{
    const std::string file = SettingsFilePath(dataFolder);
    TAutoSaveSettings settings;
    settings.autoSave = SwitchFromProfile(ReadKey(file, kAutoSaveKey), false);
    settings.folder = ReadKey(file, kAutoSaveFolderKey);
    if (settings.folder.empty())
        settings.folder = GetMyDocumentsFolder();
    settings.folder = WithTrailingBackslash(std::move(settings.folder));
    settings.pattern = ReadKey(file, kAutoSaveNameKey);
    if (settings.pattern.empty())
        settings.pattern = kDefaultNamePattern;
    settings.overwrite = SwitchFromProfile(ReadKey(file, kAutoSaveOverwriteKey), false);
    settings.openPdf = SwitchFromProfile(ReadKey(file, kOpenPdfKey), true);
    return settings;
}

bool SaveAutoSaveSettings(const std::string& dataFolder, const TAutoSaveSettings& settings)
{
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    return WriteKeys(dataFolder, {{kAutoSaveKey, flag(settings.autoSave)},
                                  {kAutoSaveFolderKey, settings.folder},
                                  {kAutoSaveNameKey, settings.pattern},
                                  {kAutoSaveOverwriteKey, flag(settings.overwrite)},
                                  {kOpenPdfKey, flag(settings.openPdf)}});
}

std::string SaveSettingsFailedText(const std::string& dataFolder)
{
    return "Unable to write to " + SettingsFilePath(dataFolder);
}

} // namespace folimar
