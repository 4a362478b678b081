// Tests of the DSC header reader: keyword search, value decoding, creation dates, job files.
#include "tests/gtest_win.h"

#include "jobprep/dsc_header.h"
#include "jobprep/gmttime.h"
#include "jobprep/job_error.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <cstdio>
#include <string>

using namespace std::string_literals;
using folimar::TPSElement;
using folimar::TPSHeaderInfo;

namespace {

constexpr char kNow[] = "20200102030405";

// Prints an element in failure messages with its bytes visible.
std::string Show(const TPSElement& e)
{
    std::string s = "{" + std::to_string(e.Position) + ", " + std::to_string(e.LineEnd) + ", \"";
    for (unsigned char c : e.Value) {
        if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            s += hex;
        } else {
            s += static_cast<char>(c);
        }
    }
    return s + "\"}";
}

struct CommentCase {
    const char* name;
    std::string bytes;
    TPSElement TPSHeaderInfo::*field;
    TPSElement expected;
};

void PrintTo(const CommentCase& c, std::ostream* os)
{
    *os << c.name;
}

class DscCommentTest : public testing::TestWithParam<CommentCase> {};

TEST_P(DscCommentTest, FillsTheElement)
{
    const CommentCase& c = GetParam();
    TPSHeaderInfo info;
    ASSERT_TRUE(folimar::ParseDscHeader(c.bytes, kNow, info));
    const TPSElement& got = info.*c.field;
    EXPECT_EQ(got, c.expected) << "got " << Show(got) << ", expected " << Show(c.expected);
}

const std::string kPad5110(5110, ' ');

INSTANTIATE_TEST_SUITE_P(
    Cases, DscCommentTest,
    testing::Values(
        // Where keywords are found and where values end.
        CommentCase{"header_at_start", "%!PS-Adobe-3.0\n%%Title: x\n", &TPSHeaderInfo::Header, {0, 14, "PS-Adobe-3.0"}},
        CommentCase{"keyword_any_case", "%!PS\n%%title: Report\n", &TPSHeaderInfo::Title, {5, 20, "Report"}},
        CommentCase{"keyword_mid_line", "%!PS\nxx %%Title: Mid\n", &TPSHeaderInfo::Title, {8, 20, "Mid"}},
        CommentCase{"first_occurrence", "%%Title: One\n%%Title: Two\n", &TPSHeaderInfo::Title, {0, 12, "One"}},
        CommentCase{"after_end_comments", "%%EndComments\n%%Title: Late\n", &TPSHeaderInfo::Title, {14, 27, "Late"}},
        CommentCase{"end_comments_no_colon", "%%EndComments\n", &TPSHeaderInfo::EndComments, {0, 13, ""}},
        CommentCase{"absent", "%!PS\n", &TPSHeaderInfo::Title, {0, -1, ""}},
        CommentCase{"empty_value", "%%Title:\n", &TPSHeaderInfo::Title, {0, 8, ""}},
        CommentCase{"value_to_end_of_text", "%%Title: End", &TPSHeaderInfo::Title, {0, 12, "End"}},
        CommentCase{"pages_not_page_order", "%%PageOrder: Ascend\n%%Pages: 3\n", &TPSHeaderInfo::Pages, {20, 30, "3"}},
        CommentCase{"pages_atend_kept", "%%Pages: (atend)\n", &TPSHeaderInfo::Pages, {0, 16, "(atend)"}},
        CommentCase{"parentheses_kept", "%%Title: (Report)\n", &TPSHeaderInfo::Title, {0, 17, "(Report)"}},
        // Line ends and trimming.
        CommentCase{"crlf", "%%Title: A\r\n%%For: B\r\n", &TPSHeaderInfo::For, {12, 21, "B"}},
        // CR-only line ends, as Windows drivers may write them, end each value at its own line.
        CommentCase{"cr_only_title", "%%Title: A\r%%For: B\r%%Pages: 1\n", &TPSHeaderInfo::Title, {0, 10, "A"}},
        CommentCase{"cr_only_for", "%%Title: A\r%%For: B\r%%Pages: 1\n", &TPSHeaderInfo::For, {11, 19, "B"}},
        CommentCase{"cr_only_last", "%%Title: A\r%%For: B\r%%Pages: 1", &TPSHeaderInfo::Pages, {20, 30, "1"}},
        CommentCase{"cr_ends_value_before_crlf", "%%Title: A\rB\r\n", &TPSHeaderInfo::Title, {0, 10, "A"}},
        CommentCase{"mixed_line_ends", "%%Title: A\n%%For: B\r\n%%Pages: 3\r", &TPSHeaderInfo::Pages, {21, 31, "3"}},
        CommentCase{"trim_blanks_and_controls", "%%Title: \t X Y \x01\t\r\n", &TPSHeaderInfo::Title, {0, 18, "X Y"}},
        CommentCase{"high_bytes_not_trimmed", "%%Title: \xA0X\xA0\n", &TPSHeaderInfo::Title, {0, 12, "\xA0X\xA0"}},
        // The header text ends at 5120 bytes or at the first NUL.
        CommentCase{"nul_ends_value", "%%Title: A\0B\n%%For: C\n"s, &TPSHeaderInfo::Title, {0, 10, "A"}},
        CommentCase{"keyword_after_nul_absent", "%%Title: A\0B\n%%For: C\n"s, &TPSHeaderInfo::For, {0, -1, ""}},
        CommentCase{"keyword_after_5120_absent",
                    std::string(5120, ' ') + "%%Title: Late\n",
                    &TPSHeaderInfo::Title,
                    {0, -1, ""}},
        CommentCase{
            "keyword_across_5120_absent", std::string(5115, ' ') + "%%Title: X\n", &TPSHeaderInfo::Title, {0, -1, ""}},
        CommentCase{"value_cut_at_5120", kPad5110 + "%%Title: Straddle\n", &TPSHeaderInfo::Title, {5110, 5120, "S"}},
        // Octal escapes, decoded after trimming.
        CommentCase{"octal_e_acute", "%%Title: Caf\\351\n", &TPSHeaderInfo::Title, {0, 16, "Caf\xE9"}},
        CommentCase{"octal_long_run", "%%Title: \\1234\n", &TPSHeaderInfo::Title, {0, 14, "\x9C"}},
        CommentCase{"backslash_letter_kept", "%%Title: a\\b\n", &TPSHeaderInfo::Title, {0, 12, "a\\b"}},
        CommentCase{"double_backslash_kept", "%%Title: a\\\\b\n", &TPSHeaderInfo::Title, {0, 13, "a\\\\b"}},
        CommentCase{"double_backslash_then_octal", "%%Title: a\\\\351\n", &TPSHeaderInfo::Title, {0, 15, "a\\\xE9"}},
        // NULs that escapes make are dropped: they would reach the PDF and break its XMP.
        CommentCase{"octal_nul_dropped", "%%Title: A\\0\n", &TPSHeaderInfo::Title, {0, 12, "A"}},
        CommentCase{"octal_nul_mid_value_dropped", "%%Title: Re\\000port\n", &TPSHeaderInfo::Title, {0, 19, "Report"}},
        CommentCase{"octal_nul_then_blank_trimmed", "%%Title: \\0 A \\400\n", &TPSHeaderInfo::Title, {0, 18, "A"}},
        CommentCase{"hex_nul_dropped", "%%Title: <00410042>\n", &TPSHeaderInfo::Title, {0, 19, "AB"}},
        // Whole-value hex strings.
        CommentCase{"hex_value", "%%Title: <48656C6C6F>\n", &TPSHeaderInfo::Title, {0, 21, "Hello"}},
        CommentCase{"hex_lower_case", "%%Title: <48656c6c6f>\n", &TPSHeaderInfo::Title, {0, 21, "Hello"}},
        CommentCase{"hex_bad_digit_kept", "%%Title: <4865ZZ>\n", &TPSHeaderInfo::Title, {0, 17, "<4865ZZ>"}},
        CommentCase{"hex_odd_length_kept", "%%Title: <ABC>\n", &TPSHeaderInfo::Title, {0, 14, "<ABC>"}},
        CommentCase{"hex_empty_kept", "%%Title: <>\n", &TPSHeaderInfo::Title, {0, 11, "<>"}},
        CommentCase{"hex_not_whole_value_kept", "%%Title: <4142> x\n", &TPSHeaderInfo::Title, {0, 17, "<4142> x"}},
        CommentCase{"hex_utf16_raw_bytes", "%%Title: <FEFF0041>\n", &TPSHeaderInfo::Title, {0, 19, "\xFE\xFF" "A"}},
        CommentCase{"hex_result_trimmed", "%%Title: <2048692009>\n", &TPSHeaderInfo::Title, {0, 21, "Hi"}},
        CommentCase{"octal_then_hex", "%%Title: <\\064\\061>\n", &TPSHeaderInfo::Title, {0, 19, "A"}},
        // Creation dates.
        CommentCase{"creation_date_normalised",
                    "%%CreationDate: 1/5/2010 9:07:03\n",
                    &TPSHeaderInfo::CreationDate,
                    {0, 32, "20100105090703"}},
        CommentCase{"creation_date_missing", "%!PS\n", &TPSHeaderInfo::CreationDate, {0, -1, kNow}},
        CommentCase{"creation_date_empty", "%%CreationDate:  \n", &TPSHeaderInfo::CreationDate, {0, 17, kNow}}),
    [](const testing::TestParamInfo<CommentCase>& info) { return std::string(info.param.name); });

// Each field takes its own keyword in a realistic header, and keywords that begin alike
// (%%Pages: and %%PageOrder:, %%Document...) do not take each other's values.
TEST(DscHeaderTest, EveryFieldHasItsKeyword)
{
    struct Line {
        TPSElement TPSHeaderInfo::*field;
        std::string text;
        std::string value;
    };
    const Line lines[] = {
        {&TPSHeaderInfo::Header, "%!PS-Adobe-3.0", "PS-Adobe-3.0"},
        {&TPSHeaderInfo::DocumentNeededResources, "%%DocumentNeededResources: font Helvetica", "font Helvetica"},
        {&TPSHeaderInfo::DocumentSuppliedResources, "%%DocumentSuppliedResources: procset P 1 0", "procset P 1 0"},
        {&TPSHeaderInfo::DocumentData, "%%DocumentData: Clean7Bit", "Clean7Bit"},
        {&TPSHeaderInfo::BoundingBox, "%%BoundingBox: 0 0 612 792", "0 0 612 792"},
        {&TPSHeaderInfo::Orientation, "%%Orientation: Portrait", "Portrait"},
        {&TPSHeaderInfo::Title, "%%Title: Quarterly report", "Quarterly report"},
        {&TPSHeaderInfo::Creator, "%%Creator: Writer", "Writer"},
        {&TPSHeaderInfo::CreationDate, "%%CreationDate: 12/25/2009 14:30:00", "20091225143000"},
        {&TPSHeaderInfo::For, "%%For: user01", "user01"},
        {&TPSHeaderInfo::PageOrder, "%%PageOrder: Ascend", "Ascend"},
        {&TPSHeaderInfo::Pages, "%%Pages: 12", "12"},
        {&TPSHeaderInfo::TargetDevice, "%%TargetDevice: (Printer) (2010.0) 1", "(Printer) (2010.0) 1"},
        {&TPSHeaderInfo::LanguageLevel, "%%LanguageLevel: 2", "2"},
        {&TPSHeaderInfo::EndComments, "%%EndComments", ""},
    };
    std::string text;
    for (const Line& l : lines)
        text += l.text + "\r\n";

    TPSHeaderInfo info;
    ASSERT_TRUE(folimar::ParseDscHeader(text, kNow, info));
    for (const Line& l : lines) {
        const TPSElement& e = info.*l.field;
        SCOPED_TRACE(l.text);
        EXPECT_EQ(e.Position, static_cast<int32_t>(text.find(l.text)));
        EXPECT_EQ(e.LineEnd, static_cast<int32_t>(text.find('\n', e.Position)));
        EXPECT_EQ(e.Value, l.value);
    }
}

TEST(DscHeaderTest, NoBytesLeavesTheRecordAsItWas)
{
    TPSHeaderInfo info;
    info.Title = {7, 9, "kept"};
    const TPSHeaderInfo before = info;
    EXPECT_FALSE(folimar::ParseDscHeader("", kNow, info));
    EXPECT_EQ(info, before);
}

TEST(DscHeaderTest, LeadingNulGivesAnEmptyHeader)
{
    TPSHeaderInfo info;
    info.Title = {7, 9, "stale"};
    ASSERT_TRUE(folimar::ParseDscHeader("\0%!PS\n%%Title: x\n"s, kNow, info));
    TPSHeaderInfo expected;
    expected.CreationDate.Value = kNow;
    EXPECT_EQ(info, expected);
}

struct OctalCase {
    std::string digits;
    int32_t value;
};

TEST(DscHeaderTest, OctalToInt)
{
    const OctalCase cases[] = {
        {"", 0},
        {"0", 0},
        {"7", 7},
        {"10", 8},
        {"351", 233},
        {"377", 255},
        {"1234", 668},
        {"17777777777", 2147483647},
        {"37777777777", -1},  // wraps in 32 bits
        {"1000000000000", 0}, // 8^12 wraps to 0
    };
    for (const OctalCase& c : cases)
        EXPECT_EQ(folimar::OctalToInt(c.digits), c.value) << c.digits;
}

struct DecodeCase {
    std::string in;
    std::string out;
};

TEST(DscHeaderTest, DecodeOctalEscapes)
{
    const DecodeCase cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"\\", "\\"},               // a lone backslash at the end stays
        {"\\8", "\\8"},             // 8 is no octal digit
        {"\\n\\(\\)", "\\n\\(\\)"}, // no other escapes are decoded
        {"x\\7y", "x\x07y"},
        {"\\400", "\0"s},   // 256 modulo 256
        {"\\777", "\xFF"},  // 511 modulo 256
        {"\\3511", "\x49"}, // the whole run counts: 3511 octal = 1865, modulo 256 = 0x49
        {"\\101\\102", "AB"},
    };
    for (const DecodeCase& c : cases)
        EXPECT_EQ(folimar::DecodeOctalEscapes(c.in), c.out) << c.in;
}

TEST(DscHeaderTest, NormaliseCreationDate)
{
    const DecodeCase cases[] = {
        {"1/5/2010 9:07:03", "20100105090703"},
        {"1/5/2010 9:7:3", "20100105090703"},
        {"12/25/2009 14:30:00", "20091225143000"},
        {"01/05/2010 09:07:03", "20100105090703"},
        {"1/5/2010 9:07:03 PM", "20100105090703 PM"},
        {"1/5/2010 123:4x", "201001051234x"}, // only one-digit fields are padded
        {"123/4/10 x", "1012304x"},           // parts are padded, never cut
        {"Tue Jan 05 09:07:03 2010", "Tue Jan 05 09:07:03 2010"},
        {"/5/2010 9:07", "/5/2010 9:07"},         // slash first
        {"1//2010 9:07", "1//2010 9:07"},         // no day
        {"1/5/2010", "1/5/2010"},                 // no space after the year
        {"1/5/ 9:07", "1/5/ 9:07"},               // no year
        {"1/5", "1/5"},                           // one slash
        {"1/5/2010\t9:07", "1/5/2010\t9:07"},     // only a space ends the year
        {"D:20100105090703", "D:20100105090703"}, // already a PDF date
        {"", kNow},
    };
    for (const DecodeCase& c : cases)
        EXPECT_EQ(folimar::NormaliseCreationDate(c.in, kNow), c.out) << c.in;
}

// ReadDscHeader on real job files.
class DscHeaderFileTest : public testing::Test {
protected:
    testing_support::TempDir dir_;
    std::string job_ = dir_ / "job.ps";
};

TEST_F(DscHeaderFileTest, ReadsTheHeaderOfAJob)
{
    ASSERT_TRUE(testing_support::WriteFileBytes(
        job_, "%!PS-Adobe-3.0\r\n%%Title: Caf\\351\r\n%%For: user01\r\n%%CreationDate: 1/5/2010 9:07:03\r\n"
              "%%EndComments\r\n"));
    TPSHeaderInfo info;
    ASSERT_TRUE(folimar::ReadDscHeader(job_, info));
    EXPECT_EQ(info.Header, (TPSElement{0, 15, "PS-Adobe-3.0"}));
    EXPECT_EQ(info.Title.Value, "Caf\xE9");
    EXPECT_EQ(info.For.Value, "user01");
    EXPECT_EQ(info.CreationDate.Value, "20100105090703");
    EXPECT_TRUE(info.EndComments.Present());
    EXPECT_FALSE(info.Pages.Present());
}

TEST_F(DscHeaderFileTest, ReadsOnlyTheFirst5120Bytes)
{
    std::string text = "%!PS\n" + std::string(kPad5110.size() - 5, ' ') + "%%Title: Straddle\n%%For: late\n";
    text += std::string(200000, 'x'); // a long job body
    ASSERT_TRUE(testing_support::WriteFileBytes(job_, text));
    TPSHeaderInfo info;
    ASSERT_TRUE(folimar::ReadDscHeader(job_, info));
    EXPECT_EQ(info.Title, (TPSElement{5110, 5120, "S"}));
    EXPECT_FALSE(info.For.Present());
}

TEST_F(DscHeaderFileTest, MissingCreationDateIsTheLocalTime)
{
    ASSERT_TRUE(testing_support::WriteFileBytes(job_, "%!PS\n"));
    TPSHeaderInfo info;
    const std::string before = folimar::CompactLocalDate();
    ASSERT_TRUE(folimar::ReadDscHeader(job_, info));
    const std::string after = folimar::CompactLocalDate();
    EXPECT_EQ(info.CreationDate.Value.size(), 14u);
    EXPECT_GE(info.CreationDate.Value, before);
    EXPECT_LE(info.CreationDate.Value, after);
    EXPECT_FALSE(info.CreationDate.Present());
}

TEST_F(DscHeaderFileTest, MissingOrEmptyFileLeavesTheRecordAsItWas)
{
    ASSERT_TRUE(testing_support::WriteFileBytes(job_, ""));
    for (const std::string& name : {job_, dir_ / "missing.ps", dir_.path()}) {
        TPSHeaderInfo info;
        info.Title = {7, 9, "kept"};
        const TPSHeaderInfo before = info;
        EXPECT_FALSE(folimar::ReadDscHeader(name, info)) << name;
        EXPECT_EQ(info, before) << name;
    }
}

TEST_F(DscHeaderFileTest, JobHeldOpenElsewhereRaisesTheSystemError)
{
    ASSERT_TRUE(testing_support::WriteFileBytes(job_, "%!PS\n%%Title: x\n"));
    // Another process (here: another handle) holding the job open for reading is enough:
    // the reader wants the job to itself.
    win::UniqueHandle other(::CreateFileA(job_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    TPSHeaderInfo info;
    try {
        folimar::ReadDscHeader(job_, info);
        FAIL() << "no error raised";
    } catch (const folimar::JobFileError& e) {
        EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(e.fileName(), job_);
        const std::string what = e.what();
        EXPECT_NE(what.find(job_), std::string::npos) << what;
        EXPECT_NE(what.find(win::SystemErrorText(ERROR_SHARING_VIOLATION)), std::string::npos) << what;
    }
    EXPECT_EQ(info, TPSHeaderInfo{});
}

} // namespace
