// The rules over text and paths: quotes, path parts, UTF-8, device names, file names from titles.
#include "tests/gtest_win.h"

#include "files/text_rules.h"

#include <string>
#include <vector>

using namespace folimar;

namespace {

TEST(StripQuotes, RemovesOneQuoteAtEachEnd)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"\"C:\\a b\\job.ps\"", "C:\\a b\\job.ps"},
        {"path\"", "path"},
        {"\"path", "path"},
        {"\"", ""},
        {"", ""},
        {"a\"b", "a\"b"},
        {"\"\"\"", "\""},
        {"\"\"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StripQuotes(c.in), c.out) << c.in;
}

struct DeviceCase {
    const char* path;
    bool device;
};

class DeviceName : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceName, FollowsWindowsRules)
{
    EXPECT_EQ(IsReservedDeviceName(GetParam().path), GetParam().device) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DeviceName,
    ::testing::Values(
        DeviceCase{"CON", true}, DeviceCase{"PRN", true}, DeviceCase{"AUX", true}, DeviceCase{"NUL", true},
        DeviceCase{"COM1", true}, DeviceCase{"COM9", true}, DeviceCase{"COM0", true}, DeviceCase{"LPT1", true},
        DeviceCase{"LPT0", true}, DeviceCase{"CONIN$", true}, DeviceCase{"CONOUT$", true},
        // Any case, any extension, any folder before it.
        DeviceCase{"con", true}, DeviceCase{"Aux.pdf", true}, DeviceCase{"nul.tar.gz", true},
        DeviceCase{"conout$.log", true}, DeviceCase{"C:\\Users\\me\\Documents\\COM1.pdf", true},
        DeviceCase{"Z:/tmp/lpt9.txt", true}, DeviceCase{"C:NUL", true}, DeviceCase{"..\\prn", true},
        // Superscript port numbers, as UTF-8 and as code page 1252 bytes.
        DeviceCase{"COM\xC2\xB9.pdf", true}, DeviceCase{"lpt\xC2\xB2", true}, DeviceCase{"LPT\xC2\xB3.x", true},
        DeviceCase{"com\xB9", true}, DeviceCase{"COM\xB3.pdf", true},
        // Trailing dots and spaces, which Windows drops, and a trailing colon.
        DeviceCase{"NUL .pdf", true}, DeviceCase{"NUL...", true}, DeviceCase{"AUX  ", true},
        DeviceCase{"con. .pdf", true}, DeviceCase{"NUL:", true},
        // The device namespace.
        DeviceCase{"\\\\.\\COM1", true}, DeviceCase{"\\\\.\\pipe\\name", true}, DeviceCase{"//./PhysicalDrive0", true},
        // Files.
        DeviceCase{"", false}, DeviceCase{"report.pdf", false}, DeviceCase{"CONX", false}, DeviceCase{"COM", false},
        DeviceCase{"COM10", false}, DeviceCase{"LPT", false}, DeviceCase{"NULL.pdf", false},
        DeviceCase{"xNUL.pdf", false}, DeviceCase{"Aux_.pdf", false}, DeviceCase{"report-CON.pdf", false},
        DeviceCase{"C:\\CONSOLE.pdf", false}, DeviceCase{"COM\xC2\xB9x", false}, DeviceCase{"COM\xC2\xB4", false},
        DeviceCase{"COM\xC2\xB9\xC2\xB9", false}, DeviceCase{"C:\\NUL\\report.pdf", false},
        DeviceCase{"\\\\?\\C:\\report.pdf", false}, DeviceCase{"CON_", false}));

TEST(Utf8, Validity)
{
    for (const char* valid : {"", "Report", "Caf\xC3\xA9", "\xCE\xA9mega\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80",
                              "\xEF\xBF\xBD", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(valid)) << valid;
    for (const char* invalid : {"Caf\xE9", "\x80", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                                "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xC3\xA9\xE9"})
        EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
}

TEST(Utf8, ToUtf16UsesSurrogatePairsAboveTheBasicPlane)
{
    EXPECT_EQ(Utf8ToUtf16("Caf\xC3\xA9"), u"Caf\u00E9");
    EXPECT_EQ(Utf8ToUtf16("\xCE\xA9\xE6\x97\xA5"), u"\u03A9\u65E5");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), std::u16string({0xD83D, 0xDE00}));
    EXPECT_EQ(Utf8ToUtf16("a\xFF"), u"a\uFFFD");
}

struct PathCase {
    const char* path;
    const char* folder;
    const char* name;
};

class PathParts : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathParts, SplitAtTheLastDelimiter)
{
    EXPECT_EQ(FolderPart(GetParam().path), GetParam().folder);
    EXPECT_EQ(FileNamePart(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Cases, PathParts,
                         ::testing::Values(PathCase{"C:\\Users\\me\\Report.pdf", "C:\\Users\\me\\", "Report.pdf"},
                                           PathCase{"C:\\Report.pdf", "C:\\", "Report.pdf"},
                                           PathCase{"C:Report.pdf", "C:", "Report.pdf"},
                                           PathCase{"Z:/tmp/x.pdf", "Z:/tmp/", "x.pdf"},
                                           PathCase{"Report.pdf", "", "Report.pdf"},
                                           PathCase{"C:\\folder\\", "C:\\folder\\", ""}, PathCase{"", "", ""}));

TEST(WithTrailingBackslash, EndsInExactlyOne)
{
    const struct {
        const char* path;
        const char* folder;
    } cases[] = {
        {"C:\\Users\\me\\Documents", "C:\\Users\\me\\Documents\\"},
        {"D:\\", "D:\\"}, // a drive root keeps its single backslash
        {"\\\\server\\share", "\\\\server\\share\\"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithTrailingBackslash(c.path), c.folder) << c.path;
    EXPECT_EQ(WithTrailingBackslash(""), "");
    EXPECT_EQ(WithTrailingBackslash("C:\\"), "C:\\");
}

struct NameCase {
    const char* title;
    const char* fileName;
};

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

} // namespace
