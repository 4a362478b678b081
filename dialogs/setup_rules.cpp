// The settings dialog's rules.
#include "dialogs/setup_rules.h"

#include <windows.h>

namespace folimar {

int ModeIndex(const TSettings& settings)
{
    return settings.overwrite ? kModeOverwrite : kModeNewName;
}

TSettings SettingsFromDialog(const std::string& folderText, int modeIndex)
{
    return TSettings{folderText, modeIndex != kModeNewName};
}

bool ChangedByFolder(bool changed, const std::string& folderText, const std::string& origFolder)
{
    if (changed)
        return true;
    // The user's locale decides which letters are the same in another case, as the file system does
    // for names in the ANSI code page.
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, folderText.data(),
                            static_cast<int>(folderText.size()), origFolder.data(),
                            static_cast<int>(origFolder.size())) != CSTR_EQUAL;
}

bool ChangedByMode(bool changed, int modeIndex, int origMode)
{
    return changed || modeIndex != origMode;
}

bool AsksToSave(bool changed, int result)
{
    return changed && result != IDOK;
}

int ResultAfterSaveAnswer(int answer)
{
    switch (answer) {
    case IDYES:
        return IDOK;
    case IDNO:
        return IDCANCEL;
    default:
        return 0;
    }
}

std::string PatternExampleText(const std::string& pattern, const std::string& folder, const TNameFields& sampleFields)
{
    const std::string problem = NamePatternProblem(pattern, folder, sampleFields.user);
    if (!problem.empty())
        return "Not usable: " + problem;
    return "Example: " + ExpandNamePattern(pattern, sampleFields, 1) + ".pdf";
}

std::string PermissionWarning(const std::string& folder)
{
    return "The permission is not enough for accessing \"" + folder + "\".";
}

} // namespace folimar
