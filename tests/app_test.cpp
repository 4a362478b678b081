// Mode choice, the port's command line, the proposed PDF path and the paths the converter's messages name.
#include "tests/gtest_win.h"

#include "app/arg_count.h"
#include "jobprep/text_rules.h"
#include "single/job_cmdline.h"
#include "win/user_paths.h"

#include <string>
#include <vector>

using namespace folimar;

namespace {

struct CountCase {
    const char* line;
    int count;
};

class ArgumentCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(ArgumentCount, CountsArgumentsAfterTheFirst)
{
    EXPECT_EQ(CountArguments(GetParam().line), GetParam().count) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ArgumentCount,
    ::testing::Values(
        CountCase{"", 0}, CountCase{"   ", 0}, CountCase{"\"C:\\Program Files\\folimar.exe\"", 0},
        CountCase{"folimar.exe", 0}, CountCase{"folimar.exe a b c", 3},
        // The port's line: the job file stands where the program name would.
        CountCase{"\"C:\\spool\\job.ps\" \"a2\" \"C:\\spool\\job.inf\" \"a4\" \"a5\" \"a6\" \"Report\" \"a8\"", 7},
        CountCase{"\"job.ps\" \"a\" \"b\" \"c\" \"d\" \"e\" \"f\"", 6},
        CountCase{"\"job.ps\" \"a\" \"b\" \"c\" \"d\" \"e\"", 5},
        // Two empty arguments are not counted: the batch window opens.
        CountCase{"\"job.ps\" \"\" \"b\" \"c\" \"d\" \"\" \"f\" \"g\"", 5},
        // Quotes group spaces; tabs and control characters separate.
        CountCase{"p \"a b c\"\t\"d e\"\x01x", 3}, CountCase{"p a\"b c\"d", 1},
        // An unclosed quote runs to the end of the line.
        CountCase{"p \"a b", 1}, CountCase{"p \"\" a", 1}));

TEST(ModeChoice, SixArgumentsMeanSingleJob)
{
    EXPECT_TRUE(IsSingleJobCommandLine("\"j\" \"1\" \"2\" \"3\" \"4\" \"5\" \"6\""));
    EXPECT_FALSE(IsSingleJobCommandLine("\"j\" \"1\" \"2\" \"3\" \"4\" \"5\""));
}

TEST(ExtractQuotedArg, ReturnsTheNextQuotedStretchWithItsQuotes)
{
    EXPECT_EQ(ExtractQuotedArg("\"a b\" \"c\"", 0), "\"a b\"");
    EXPECT_EQ(ExtractQuotedArg("\"a b\" \"c\"", 6), "\"c\"");
    EXPECT_EQ(ExtractQuotedArg("x  \"c\"", 0), "\"c\"");
    EXPECT_EQ(ExtractQuotedArg("\"unclosed", 0), "\"unclosed\"");
    EXPECT_EQ(ExtractQuotedArg("no quotes", 0), "\"\"");
    EXPECT_EQ(ExtractQuotedArg("\"a\"", 10), "\"\"");
}

constexpr char kProgram[] = "C:\\Program Files\\Folimar\\folimar.exe";

struct SplitCase {
    const char* name;
    const char* line;
    const char* job;
    const char* companion;
    const char* title;
};

class JobCommandLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(JobCommandLine, Splits)
{
    const SplitCase& c = GetParam();
    TJobCommandLine cmd = SplitJobCommandLine(c.line, kProgram);
    EXPECT_EQ(cmd.FJobFile, c.job);
    EXPECT_EQ(cmd.FCompanionFile, c.companion);
    EXPECT_EQ(cmd.FDocTitle, c.title);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, JobCommandLine,
    ::testing::Values(
        SplitCase{"port",
                  "\"C:\\spool\\job.ps\" \"2\" \"C:\\spool\\job.inf\" \"4\" \"5\" \"6\" \"Report: Q1/Q2\" \"8\"",
                  "\"C:\\spool\\job.ps\"", "C:\\spool\\job.inf", "Report: Q1/Q2"},
        SplitCase{"trimmed", "  \t\"j.ps\" \"2\" \"c.inf\" \"4\" \"5\" \"6\" \"T\" \"8\" \r\n", "\"j.ps\"", "c.inf",
                  "T"},
        // The skip finds the next quote past two spaces; the offset then lags one behind.
        SplitCase{"two spaces", "\"j.ps\"  \"2\" \"c.inf\" \"4\" \"5\" \"6\" \"T\" \"8\"", "\"j.ps\"", "c.inf", "T"},
        SplitCase{"short", "\"j.ps\" \"2\" \"c.inf\" \"4\"", "\"j.ps\"", "c.inf", ""},
        SplitCase{"job only", "\"j.ps\"", "\"j.ps\"", "", ""},
        SplitCase{"own path quoted", "\"C:\\Program Files\\Folimar\\folimar.exe\"", "\"\"", "", ""},
        SplitCase{"own path bare", "C:\\Program Files\\Folimar\\folimar.exe  ", "\"\"", "", ""},
        SplitCase{"empty", "", "\"\"", "", ""}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

struct NameCase {
    const char* title;
    const char* fileName;
};

class TitleFileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(TitleFileName, ReplacesAndCuts)
{
    EXPECT_EQ(TitleToFileName(GetParam().title), GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, TitleFileName,
    ::testing::Values(NameCase{"Report: Q1/Q2", "Report_ Q1-Q2"},
                      NameCase{"a\\b/c:d*e?f<g>h\"i|j", "a-b-c_def(g)h'i-j"}, NameCase{"*?*?", ""},
                      // A title in the legacy code page and one in UTF-8 give the same name, in the
                      // program's code page (1252 in the test programs, UTF-8 in the product).
                      NameCase{"Caf\xE9 menu", "Caf\xE9 menu"}, NameCase{"Caf\xC3\xA9 menu", "Caf\xE9 menu"},
                      // A character the code page lacks becomes "_", never a look-alike.
                      NameCase{"\xCE\xA9mega", "_mega"},
                      // Windows drops trailing dots and spaces; the name drops them itself.
                      NameCase{"trailing dots. ", "trailing dots"}, NameCase{"...", ""},
                      // Control characters cannot be in a file name.
                      NameCase{"Q1\tReport", "Q1 Report"},
                      NameCase{"a\x01\x1F\x7F"
                               "b",
                               "a   b"},
                      // Device names get "_" on their base name.
                      NameCase{"Aux", "Aux_"}, NameCase{"nul.report", "nul_.report"}, NameCase{"COM1 .", "COM1_"},
                      NameCase{"CON\t", "CON_"}, NameCase{"COM\xB9", "COM\xB9_"}, NameCase{"Auxiliary", "Auxiliary"},
                      // 31 characters: the first 30 are kept, after the replacements.
                      NameCase{"abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstuvwxyz0123"},
                      NameCase{"abcdefghijklmnopqrstuvwxyz01234", "abcdefghijklmnopqrstuvwxyz0123"},
                      NameCase{"**abcdefghijklmnopqrstuvwxyz01234", "abcdefghijklmnopqrstuvwxyz0123"},
                      // Non-ASCII bytes of the ANSI code page count once each.
                      NameCase{"\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9"
                               "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9",
                               "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9"
                               "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9"}));

// The product's side of the name, in UTF-8 whatever the code page of the test program.
class Utf8TitleFileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(Utf8TitleFileName, CutsWholeCharactersOnly)
{
    EXPECT_EQ(FileNameFromTitle(GetParam().title), GetParam().fileName);
}

const std::string kThirtyE = [] {
    std::string s;
    for (int i = 0; i < 30; ++i)
        s += "\xC3\xA9";
    return s;
}();
const std::string kAs29(29, 'a');
const std::string kAs28(28, 'a');
const std::string kSmile = "\xF0\x9F\x98\x80"; // U+1F600: two UTF-16 units
const std::string kTitles[][2] = {
    {"\xCE\xA9mega\xE6\x97\xA5\xE6\x9C\xAC", "\xCE\xA9mega\xE6\x97\xA5\xE6\x9C\xAC"},
    {kThirtyE + "x", kThirtyE}, // thirty characters of two bytes each: one unit each
    {kAs29 + kSmile, kAs29},    // the pair would be cut in two: it goes whole
    {kAs28 + kSmile + "b", kAs28 + kSmile},
    {"COM\xC2\xB2.x", "COM\xC2\xB2_.x"},
    {"a\tb:c", "a b_c"},
    {"x" + kSmile + "  ..", "x" + kSmile},
};

INSTANTIATE_TEST_SUITE_P(Titles, Utf8TitleFileName, ::testing::ValuesIn([] {
                             std::vector<NameCase> cases;
                             for (const auto& t : kTitles)
                                 cases.push_back({t[0].c_str(), t[1].c_str()});
                             return cases;
                         }()));

TEST(TitleLabel, CutsAfterThirtyBytes)
{
    EXPECT_EQ(TitleLabelCaption("short"), "short");
    EXPECT_EQ(TitleLabelCaption(std::string(30, 'x')), std::string(30, 'x'));
    EXPECT_EQ(TitleLabelCaption(std::string(31, 'x')), std::string(30, 'x') + "...");
    // Not half a UTF-8 character: byte 30 is the middle of the last one.
    EXPECT_EQ(TitleLabelCaption(std::string(28, 'x') + "\xC3\xA9"), std::string(28, 'x') + "\xC3\xA9");
    EXPECT_EQ(TitleLabelCaption(std::string(29, 'x') + "\xC3\xA9"), std::string(29, 'x') + "...");
}

TEST(OutputName, JoinsFolderNameAndExtension)
{
    std::string docs = InitialFolderFromDocuments("C:\\users\\me\\Documents\\");
    EXPECT_EQ(docs, "C:\\users\\me\\Documents");
    EXPECT_EQ(MakeOutputName("Report: Q1/Q2", docs), "C:\\users\\me\\Documents\\Report_ Q1-Q2.pdf");
    EXPECT_EQ(MakeOutputName("*?", docs), "C:\\users\\me\\Documents\\.pdf");
    EXPECT_EQ(MakeOutputName("", docs), "");
    // A device name is never proposed: "Aux.pdf" would be the device AUX, which always "exists".
    EXPECT_EQ(MakeOutputName("Aux", docs), "C:\\users\\me\\Documents\\Aux_.pdf");
    EXPECT_EQ(MakeOutputName("Budget\t2024", docs), "C:\\users\\me\\Documents\\Budget 2024.pdf");
    // A drive root keeps its backslash, so the name follows a second one.
    EXPECT_EQ(InitialFolderFromDocuments("C:\\"), "C:\\");
    EXPECT_EQ(MakeOutputName("Report", InitialFolderFromDocuments("C:\\")), "C:\\\\Report.pdf");
}

} // namespace

struct UnixPathCase {
    const char* message;
    const char* shown;
};

class UnixPathsInMessages : public ::testing::TestWithParam<UnixPathCase> {};

TEST_P(UnixPathsInMessages, ZDrivePathsBecomeLinuxPaths)
{
    EXPECT_EQ(win::UnixPathsIn(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnixPathsInMessages,
    ::testing::Values(
        UnixPathCase{"the folder Z:\\no such\\dir\\ does not exist", "the folder /no such/dir/ does not exist"},
        UnixPathCase{"cannot write Z:\\home\\me\\a.pdf: Access denied.", "cannot write /home/me/a.pdf: Access denied."},
        UnixPathCase{"z:\\tmp\\job.ps", "/tmp/job.ps"},
        UnixPathCase{"copy \"Z:\\a\\b.ps\" to \"Z:\\c\\d.pdf\"", "copy \"/a/b.ps\" to \"/c/d.pdf\""},
        // Other drives, and letters that only look like a drive, stay.
        UnixPathCase{"cannot make C:\\users\\me\\Temp\\x", "cannot make C:\\users\\me\\Temp\\x"},
        UnixPathCase{"XYZ:\\a stays", "XYZ:\\a stays"}, UnixPathCase{"Z:", "Z:"}, UnixPathCase{"", ""}));
