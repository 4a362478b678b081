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
        bool examining;
        TBatchButtonStates states; // add, setup, start enabled, start visible, stop visible
    } cases[] = {
        {false, 0, false, {true, true, false, true, false}}, // empty list: nothing to create
        {false, 1, false, {true, true, true, true, false}},
        {false, -1, false, {true, true, false, true, false}},
        {true, 3, false, {false, false, true, false, true}}, // Stop in the place of Create PDF
        {true, 0, false, {false, false, false, false, true}},
        {false, 5, true, {false, false, false, true, false}}, // dropped files still being examined
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatchButtonStates(c.running, c.convertible, c.examining), c.states)
            << c.running << " " << c.convertible << " " << c.examining;
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
        bool pdfExists, running;
        TPopupStates states; // remove selected, remove all, open PDF, open containing folder
    } cases[] = {
        {0, 0, -1, false, false, {false, false, false, false}},
        {3, 0, -1, true, false, {false, true, false, false}},
        {3, 1, 1, false, false, {true, true, false, false}}, // no PDF yet
        {3, 2, 1, true, false, {true, true, true, true}},
        {3, 1, 0, true, false, {true, true, false, false}}, // not convertible
        {3, 1, 1, true, true, {false, false, true, true}},  // a batch runs: open, never remove
    };
    for (const Case& c : cases)
        EXPECT_EQ(PopupStates(c.count, c.selected, c.image, c.pdfExists, c.running), c.states)
            << c.count << " " << c.selected << " " << c.running;
}

TEST(StatusLine, CountsTheBatchAndSumsItUp)
{
    EXPECT_EQ(ProgressText(7, 30, "minutes.txt"), "Converting 7 of 30 \xE2\x80\x93 minutes.txt");
    struct Case {
        int made, failed;
        bool stopped;
        const char* text;
    } cases[] = {
        {28, 2, false, "28 PDFs made, 2 failed"},
        {1, 0, false, "1 PDF made"},
        {0, 3, false, "0 PDFs made, 3 failed"},
        {2, 0, true, "2 PDFs made, stopped"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatchSummaryText(c.made, c.failed, c.stopped), c.text);
}

TEST(RowReport, StatusAndTipNameThePdfOrTheReason)
{
    const TRowResult made{TRowFailure::None, {}, "C:\\Out\\a.txt1.pdf"};
    EXPECT_EQ(RowStatusText(made), "PDF made");
    EXPECT_EQ(RowTipText(made), "PDF made: C:\\Out\\a.txt1.pdf");
    const TRowResult gone{TRowFailure::FileNotFound, {}, {}};
    EXPECT_EQ(RowStatusText(gone), "file not found");
    EXPECT_EQ(RowTipText(gone), "file not found");
    const TRowResult type{TRowFailure::NoPrintCommand, ".docx", {}};
    EXPECT_EQ(RowTipText(type), "no program can print .docx files");
}

TEST(RefusedFilesText, NamesEachFileUpToTwenty)
{
    EXPECT_EQ(RefusedFilesText({"a.txt: already listed", "b.xyz: no program can print .xyz files"}),
              "Some files cannot be converted.\n\na.txt: already listed\nb.xyz: no program can print .xyz files");
    std::vector<std::string> many;
    for (int i = 0; i < 23; ++i)
        many.push_back("f" + std::to_string(i) + ": empty");
    const std::string text = RefusedFilesText(many);
    EXPECT_NE(text.find("\nf19: empty\n... and 3 more"), std::string::npos) << text;
    EXPECT_EQ(text.find("f20:"), std::string::npos);
}

TEST(OutputFolderRefusal, TheSpoolFolderAndEverythingInItButNotTheRestOfTheDataFolder)
{
    const char* spool = "C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\TEMP\\";
    struct Case {
        const char* folder;
        bool refused;
    } cases[] = {
        {"C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\TEMP\\", true},      // the spool folder
        {"c:\\Users\\ME\\appdata\\roaming\\quorpsfiles\\temp", true},        // by hand, other case
        {"C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\TEMP\\sub\\", true}, // inside it
        {"C:\\users\\me\\AppData\\Roaming\\QUORPSFILES", false},             // the data folder
        {"C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\PDF\\", false},      // beside the spool folder
        {"C:\\users\\me\\AppData\\Roaming\\QUORPSFILES\\TEMP2\\", false},
        {"C:\\users\\me\\AppData\\Roaming\\", false},
        {"C:\\users\\me\\Documents\\", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(!OutputFolderRefusal(c.folder, spool).empty(), c.refused) << c.folder;
    // Another spelling of the same folder (another drive letter, a short name) only the disk can tell.
    EXPECT_NE(OutputFolderRefusal("Z:\\home\\me\\", spool, true), "");
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
