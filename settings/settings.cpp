// Reading and writing the settings file through the system's profile functions.
#include "settings/settings.h"

#include "base/printer_constants.h"
#include "files/folders.h"
#include "files/text_rules.h"
#include "files/user_folders.h"
#include "settings/profile_number.h"

#include <windows.h>

#include <algorithm>

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

TSettings LoadSettings(const std::string& dataFolder)
{
    const std::string file = SettingsFilePath(dataFolder);
    auto read = [&file](const char* key) {
        char value[2048];
        DWORD length = ::GetPrivateProfileStringA(kSettingsSection, key, "", value, sizeof(value), file.c_str());
        return std::string(value, length);
    };
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
    // The data folder is otherwise made only with the spool folder: a first save would fail.
    if (!DirectoryExists(dataFolder) && !CreateFolderPath(dataFolder))
        return false;
    const std::string file = SettingsFilePath(dataFolder);
    if (!::WritePrivateProfileStringA(kSettingsSection, kOutputFolderKey, settings.outputFolder.c_str(),
                                      file.c_str()) ||
        !::WritePrivateProfileStringA(kSettingsSection, kOverwriteKey, settings.overwrite ? "1" : "0", file.c_str()))
        return false;
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str()); // flush
    return true;
}

std::string SaveSettingsFailedText(const std::string& dataFolder)
{
    return "Unable to write to " + SettingsFilePath(dataFolder);
}

} // namespace folimar
