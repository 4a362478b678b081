// Rules of the settings dialog that need no window: when a setting counts as changed, what a
// close does with the "Save settings?" answer, the texts, and the browser's folder form.
#pragma once

#include "settings/name_pattern.h"
#include "settings/settings.h"

#include <string>

namespace folimar {

// The dialog's height with the printed documents' group.
inline constexpr int kSetupClientHeight = 474;

// Output-mode indexes of the radio group.
inline constexpr int kModeNewName = 0;
inline constexpr int kModeOverwrite = 1;

int ModeIndex(const TSettings& settings);

// The settings the dialog stands for: the folder as its text box shows it, "Overwrite" for any
// index but "New name".
TSettings SettingsFromDialog(const std::string& folderText, int modeIndex);

// FChanged after a browse: once set it stays set; otherwise the folder text must differ from the
// original other than in letter case.
bool ChangedByFolder(bool changed, const std::string& folderText, const std::string& origFolder);

// FChanged after a click on the radio group: once set it stays set; otherwise the index must differ.
bool ChangedByMode(bool changed, int modeIndex, int origMode);

// Whether closing with result (IDOK, IDCANCEL) must first ask "Save settings?".
bool AsksToSave(bool changed, int result);

// The result after the "Save settings?" answer (IDYES, IDNO, IDCANCEL): IDOK, IDCANCEL, or 0 when
// the dialog stays open.
int ResultAfterSaveAnswer(int answer);

inline constexpr char kSaveQuestion[] = "Settings has been changed, do you want to save the settings?";
inline constexpr char kSaveQuestionCaption[] = "Save settings?";

// The line under the pattern field: an example name for sampleFields, or why the pattern is
// refused (which OK then shows).
std::string PatternExampleText(const std::string& pattern, const std::string& folder, const TNameFields& sampleFields);

// The warning for a chosen folder in which no file can be created.
std::string PermissionWarning(const std::string& folder);

} // namespace folimar
