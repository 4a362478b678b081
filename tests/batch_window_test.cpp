// The batch window's rules: the idle rule, row colours and delete buttons, the pop-up menu, the
// open dialog's answer and the help file.
#include "tests/gtest_win.h"

#include "batch/rules/batch_window_rules.h"
#include "batch/rules/batch_status.h"

#include <string>
#include <vector>

using namespace folimar;

namespace {

TEST(BatchButtonStates, FollowTheBatchAndTheConvertibleEntries)
{
    struct Case {
        bool running;
        int convertible;
        TBatchButtonStates states; // add, setup, start enabled, start visible, stop visible
    } cases[] = {
        {false, 0, {true, true, false, true, false}}, // empty list: nothing to create
        {false, 1, {true, true, true, true, false}},   {false, -1, {true, true, false, true, false}},
        {true, 3, {false, false, true, false, true}}, // Stop in the place of Create PDF
        {true, 0, {false, false, false, false, true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatchButtonStates(c.running, c.convertible), c.states) << c.running << " " << c.convertible;
}

TEST(StatusImageAfter, FollowsTheBatchReport)
{
    struct Case {
        WPARAM status;
        int image;
    } cases[] = {
        {BATCH_ITEM_FAILED, 14}, {BATCH_ITEM_DONE, 5}, {BATCH_STOPPED, 1}, // pending again: the row was not finished
    };
    for (const Case& c : cases)
        EXPECT_EQ(StatusImageAfter(c.status), c.image) << c.status;
}

TEST(RowBackground, AlternatesFromTheTop)
{
    EXPECT_EQ(RowBackground(0), RGB(250, 230, 230));
    EXPECT_EQ(RowBackground(1), RGB(230, 230, 250));
    EXPECT_EQ(RowBackground(2), RGB(250, 230, 230));
    EXPECT_EQ(RowBackground(13), RGB(230, 230, 250));
}

TEST(RowButton, SitsInsideTheRowsLeftEnd)
{
    struct Case {
        RECT row;
        RECT button;
    } cases[] = {
        {{0, 20, 565, 38}, {1, 21, 19, 37}},      // an 18-pixel row: 16 high, 18 wide
        {{-30, 56, 535, 74}, {-29, 57, -11, 73}}, // scrolled to the right: follows the row
        {{4, 0, 100, 27}, {5, 1, 32, 26}},        // a taller row at 144 DPI
    };
    for (const Case& c : cases) {
        RECT r = RowButtonRect(c.row);
        EXPECT_EQ(r.left, c.button.left);
        EXPECT_EQ(r.top, c.button.top);
        EXPECT_EQ(r.right, c.button.right);
        EXPECT_EQ(r.bottom, c.button.bottom);
    }
}

TEST(RowButton, ShowsOnlyForRowsInTheItemArea)
{
    const RECT area{0, 20, 580, 300};
    struct Case {
        int top;
        bool shown;
    } cases[] = {
        {21, true},   {20, true}, {299, true}, // the last row, partly visible
        {19, false},                           // under the header
        {-15, false},                          // scrolled up out of view
        {300, false},                          // below the last visible row
    };
    for (const Case& c : cases)
        EXPECT_EQ(RowButtonShown({1, c.top, 19, c.top + 16}, area), c.shown) << c.top;
}

TEST(PopupStates, FollowTheListAndTheSelection)
{
    struct Case {
        int count, selected, image;
        bool pdfExists;
        TPopupStates states; // remove selected, remove all, open PDF
    } cases[] = {
        {0, 0, -1, false, {false, false, false}}, {3, 0, -1, true, {false, true, false}},
        {3, 1, 1, false, {true, true, false}},                                          // no PDF yet
        {3, 2, 1, true, {true, true, true}},      {3, 1, 0, true, {true, true, false}}, // not convertible
    };
    for (const Case& c : cases)
        EXPECT_EQ(PopupStates(c.count, c.selected, c.image, c.pdfExists), c.states) << c.count << " " << c.selected;
}

TEST(OpenDialogFiles, OnePathOrAFolderWithNames)
{
    using namespace std::string_literals;
    struct Case {
        std::string buffer;
        std::vector<std::string> files;
    } cases[] = {
        {"C:\\docs\\a.txt\0\0"s, {"C:\\docs\\a.txt"}},
        {"C:\\docs\0a.txt\0b c.ps\0\0"s, {"C:\\docs\\a.txt", "C:\\docs\\b c.ps"}},
        {"C:\\\0a.txt\0b.ps\0\0"s, {"C:\\a.txt", "C:\\b.ps"}}, // a drive root keeps one backslash
        {"\0\0"s, {}},
        {""s, {}},
        {"C:\\docs\0a.txt"s, {"C:\\docs\\a.txt"}}, // no final zeros: the end of the buffer ends it
    };
    for (const Case& c : cases)
        EXPECT_EQ(OpenDialogFiles(c.buffer), c.files) << c.buffer;
}

TEST(HelpFile, BesideTheProgram)
{
    EXPECT_EQ(HelpFilePath("C:\\Program Files\\Quorvel\\folimar.exe"), "C:\\Program Files\\Quorvel\\folimar.chm");
    EXPECT_EQ(HelpFilePath("Z:\\build\\folimar.exe.so"), "Z:\\build\\folimar.chm");
}

} // namespace
