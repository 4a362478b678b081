// Mode choice, the console converter's check of its command line and the paths its messages name.
#include "tests/gtest_win.h"

#include "app/arg_count.h"
#include "app/lossy_argument.h"
#include "files/code_pages.h"
#include "tests/code_pages_fixture.h"
#include "win/command_line.h"
#include "win/handle.h"
#include "win/user_paths.h"

#include <shellapi.h>

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

struct SplitCase {
    const char16_t* line;
    std::vector<std::u16string> args;
};

class CommandLineSplit : public ::testing::TestWithParam<SplitCase> {};

// The console converter splits its own command line so that it need not load the shell: the
// result must be the shell's, quirks included.
TEST_P(CommandLineSplit, GivesTheShellsArguments)
{
    const auto* line = reinterpret_cast<const WCHAR*>(GetParam().line);
    const std::vector<std::u16string> split = win::SplitCommandLine(line);

    int count = 0;
    const win::WideArgv shell(::CommandLineToArgvW(line, &count));
    ASSERT_TRUE(shell);
    std::vector<std::u16string> expected;
    for (int i = 0; i < count; ++i)
        expected.emplace_back(reinterpret_cast<const char16_t*>(shell.get()[i]));
    if (GetParam().line[0] == 0)
        expected[0].clear(); // the shell puts the program's own path there
    EXPECT_EQ(split, expected);
    EXPECT_EQ(split, GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineSplit,
    ::testing::Values(
        SplitCase{u"", {u""}}, SplitCase{u"folimarc.exe", {u"folimarc.exe"}},
        SplitCase{u"folimarc.exe job.ps  out.pdf \t", {u"folimarc.exe", u"job.ps", u"out.pdf"}},
        // The program's path takes no escapes and ends at its closing quote.
        SplitCase{u"\"C:\\a b\\f.exe\"x y", {u"C:\\a b\\f.exe", u"x", u"y"}},
        SplitCase{u"C:\\a\\\"b c", {u"C:\\a\\\"b", u"c"}},
        // 2n backslashes before a quote give n; 2n+1 give n and a quote; elsewhere they stay.
        SplitCase{u"f a\\\\\"b c\" d\\\\e", {u"f", u"a\\b c", u"d\\\\e"}},
        SplitCase{u"f a\\\\\\\"b c", {u"f", u"a\\\"b", u"c"}}, SplitCase{u"f \"C:\\a b\\\" c", {u"f", u"C:\\a b\" c"}},
        // Counted with the group's opening quote, every third quote in a row is a literal one.
        SplitCase{u"f \"a\"\"b\" c", {u"f", u"a\"b c"}}, SplitCase{u"f \"a\"\"\"b\" c", {u"f", u"a\"b", u"c"}},
        SplitCase{u"f \"\"\"\"\"\" x", {u"f", u"\"\"", u"x"}}, SplitCase{u"f \"\" \"\"", {u"f", u"", u""}},
        // An unclosed quote runs to the end of the line.
        SplitCase{u"f \"a b", {u"f", u"a b"}}, SplitCase{u"f \u03A9mega.pdf", {u"f", u"\u03A9mega.pdf"}}));

TEST(ModeChoice, SixArgumentsMeanSingleJob)
{
    EXPECT_TRUE(IsSingleJobCommandLine("\"j\" \"1\" \"2\" \"3\" \"4\" \"5\" \"6\""));
    EXPECT_FALSE(IsSingleJobCommandLine("\"j\" \"1\" \"2\" \"3\" \"4\" \"5\""));
}

using testing_support::CodePages;

TEST_F(CodePages, ArgumentsOutsideTheCodePageAreFound)
{
    auto first = [](const char16_t* line) { return FirstLossyArgument(reinterpret_cast<const WCHAR*>(line)); };
    EXPECT_EQ(first(u"folimarc.exe job.ps out.pdf"), -1);
    EXPECT_EQ(first(u"folimarc.exe caf\u00E9.ps \"C:\\a b\\\u20AC.pdf\""), -1);
    EXPECT_EQ(first(u"folimarc.exe caf\u00E9.ps \u03A9mega.pdf"), 2);
    EXPECT_EQ(first(u"folimarc.exe \"C:\\\u65E5\u672C\\job.ps\" out.pdf"), 1);
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
