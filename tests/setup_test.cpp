// The settings dialog's rules: when a setting counts as changed, the close question, the texts.
#include "tests/gtest_win.h"

#include "dialogs/setup_rules.h"

#include <string>

using namespace folimar;

namespace {

struct FolderCase {
    const char* name;
    bool changedBefore;
    const char* folderText;
    const char* origFolder;
    bool changed;
};

class ChangedByFolderRule : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ChangedByFolderRule, ComparesWithoutRegardToCaseAndNeverUnsets)
{
    const FolderCase& c = GetParam();
    EXPECT_EQ(ChangedByFolder(c.changedBefore, c.folderText, c.origFolder), c.changed);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChangedByFolderRule,
                         ::testing::Values(FolderCase{"same", false, "C:\\Out\\", "C:\\Out\\", false},
                                           FolderCase{"other_case", false, "c:\\OUT\\", "C:\\Out\\", false},
                                           FolderCase{"other_folder", false, "D:\\Out\\", "C:\\Out\\", true},
                                           FolderCase{"backslash_added", false, "C:\\Out\\", "C:\\Out", true},
                                           FolderCase{"longer", false, "C:\\Out\\Sub\\", "C:\\Out\\", true},
                                           FolderCase{"from_empty", false, "C:\\Out\\", "", true},
                                           FolderCase{"changed_stays_when_same", true, "C:\\Out\\", "C:\\Out\\", true},
                                           FolderCase{"changed_stays_when_other", true, "D:\\", "C:\\Out\\", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Text in the program's ANSI code page, whichever it is.
std::string Ansi(const wchar_t* text)
{
    char buf[256] = {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, text, -1, buf, sizeof buf, nullptr, nullptr);
    return std::string(buf, n > 0 ? n - 1 : 0);
}

TEST(ChangedByFolder, LettersBeyondAsciiCompareWithoutCase)
{
    EXPECT_FALSE(ChangedByFolder(false, Ansi(L"C:\\CAF\u00C9\\"), Ansi(L"C:\\caf\u00E9\\")));
    EXPECT_TRUE(ChangedByFolder(false, Ansi(L"C:\\caf\u00E8\\"), Ansi(L"C:\\caf\u00E9\\")));
}

struct ModeCase {
    const char* name;
    bool changedBefore;
    int mode;
    int origMode;
    bool changed;
};

class ChangedByModeRule : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ChangedByModeRule, DiffersFromTheOpeningIndexOrWasChangedBefore)
{
    const ModeCase& c = GetParam();
    EXPECT_EQ(ChangedByMode(c.changedBefore, c.mode, c.origMode), c.changed);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChangedByModeRule,
                         ::testing::Values(ModeCase{"same_new_name", false, kModeNewName, kModeNewName, false},
                                           ModeCase{"same_overwrite", false, kModeOverwrite, kModeOverwrite, false},
                                           ModeCase{"to_overwrite", false, kModeOverwrite, kModeNewName, true},
                                           ModeCase{"to_new_name", false, kModeNewName, kModeOverwrite, true},
                                           // Changed and changed back still counts as a change.
                                           ModeCase{"back_again", true, kModeNewName, kModeNewName, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CloseCase {
    const char* name;
    bool changed;
    int result;
    bool asks;
};

class CloseQuestion : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseQuestion, AskedOnlyForAChangeLeftWithoutOk)
{
    const CloseCase& c = GetParam();
    EXPECT_EQ(AsksToSave(c.changed, c.result), c.asks);
}

INSTANTIATE_TEST_SUITE_P(Cases, CloseQuestion,
                         ::testing::Values(CloseCase{"unchanged_cancel", false, IDCANCEL, false},
                                           CloseCase{"unchanged_ok", false, IDOK, false},
                                           CloseCase{"changed_ok", true, IDOK, false},
                                           CloseCase{"changed_cancel", true, IDCANCEL, true},
                                           CloseCase{"changed_other_result", true, IDABORT, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CloseQuestion, TheAnswerDecidesTheResult)
{
    const struct {
        int answer;
        int result;
    } cases[] = {
        {IDYES, IDOK},    // the values are taken over
        {IDNO, IDCANCEL}, // closes, nothing taken over
        {IDCANCEL, 0},    // stays open
        {0, 0},           // the box could not be shown: stays open rather than lose the change
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResultAfterSaveAnswer(c.answer), c.result) << c.answer;
}

TEST(CloseQuestion, TextsAreTheProductsOwn)
{
    EXPECT_STREQ(kSaveQuestion, "Settings has been changed, do you want to save the settings?");
    EXPECT_STREQ(kSaveQuestionCaption, "Save settings?");
}

TEST(PermissionWarning, QuotesTheFolder)
{
    EXPECT_EQ(PermissionWarning("C:\\Program Files\\"),
              "The permission is not enough for accessing \"C:\\Program Files\\\".");
}

TEST(DialogValues, ModeIndexAndSettingsRoundTrip)
{
    EXPECT_EQ(ModeIndex(TSettings{"C:\\", true}), kModeOverwrite);
    EXPECT_EQ(ModeIndex(TSettings{"C:\\", false}), kModeNewName);
    EXPECT_EQ(SettingsFromDialog("D:\\Pdf\\", kModeNewName), (TSettings{"D:\\Pdf\\", false}));
    EXPECT_EQ(SettingsFromDialog("D:\\Pdf\\", kModeOverwrite), (TSettings{"D:\\Pdf\\", true}));
    // A folder written by hand without its backslash is taken as it stands.
    EXPECT_EQ(SettingsFromDialog("D:\\Pdf", kModeOverwrite).outputFolder, "D:\\Pdf");
}

} // namespace
