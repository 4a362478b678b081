// Tests of the document information: text encoding, the pdfmark fragment, appending it to
// job files, and what a PDF rendered from such a job carries.
#include "tests/gtest_win.h"

#include "files/code_pages.h"
#include "jobprep/doc_info.h"
#include "jobprep/gmttime.h"
#include "jobprep/job_error.h"
#include "render/gsapi.h"
#include "render/library_path.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <cstdio>
#include <optional>
#include <string>

using folimar::TPDFDocInfo;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

struct TextCase {
    std::string in;
    std::string out;
};

// Job texts are UTF-8 where they are valid UTF-8, else in the locale's legacy code page; the
// cases are written for 1252.
class UnicodeHexStringTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(folimar::LegacyAnsiCodePage(), 1252u) << "the test prefix should use code page 1252";
    }
};

TEST_F(UnicodeHexStringTest, EncodesAnsiTextAsUtf16BigEndianWithMark)
{
    const TextCase cases[] = {
        {"Report", "<FEFF005200650070006F00720074>"},
        {"Caf\xE9", "<FEFF00430061006600E9>"},
        {"\x80 \x9F", "<FEFF20AC00200178>"}, // euro sign and Y diaeresis: a code page, not Latin-1
        {"Q1/Q2 (draft)", "<FEFF00510031002F0051003200200028006400720061006600740029>"},
        {"", "<FEFF>"},
        // UTF-8, as programs that print through UTF-8 drivers write it: not read byte by byte.
        {"Caf\xC3\xA9", "<FEFF00430061006600E9>"},
        {"\xCE\xA9mega\xE6\x97\xA5\xE6\x9C\xAC", "<FEFF03A9006D00650067006165E5672C>"},
        {"\xF0\x9F\x98\x80", "<FEFFD83DDE00>"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(folimar::UnicodeHexString(c.in), c.out) << c.in;
}

TEST(DocInfoFragmentTest, PostScriptDate)
{
    const TextCase cases[] = {
        {"20100105090703", "(D:20100105090703+08'00')"},
        {"", "()"},
        {"Tue Jan 05 09:07:03 2010", "(D:Tue Jan 05 09:07:03 2010+08'00')"},
        // Parentheses and backslashes from the job's header must not end the string.
        {"2010(10590703)", "(D:2010\\(10590703\\)+08'00')"},
        {"2010010590703)", "(D:2010010590703\\)+08'00')"},
        {"a\\b", "(D:a\\\\b+08'00')"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(folimar::PostScriptDate(c.in, "+08'00'"), c.out) << c.in;
}

TEST(DocInfoFragmentTest, TypicalJobByteForByte)
{
    const TPDFDocInfo info{"user01", "20100105090703", "Quorvel Folimar", "", "20100105091512", "", "Report"};
    const std::string expected = "\r"
                                 "/pdfmark where {pop} {userdict /pdfmark /cleartomark load put} ifelse\r"
                                 "[\r"
                                 "\r"
                                 "\r"
                                 "/Author <FEFF007500730065007200300031>\r"
                                 "/CreationDate (D:20100105090703+08'00')\r"
                                 "/Creator <FEFF00510075006F007200760065006C00200046006F006C0069006D00610072>\r"
                                 "/Keywords ()\r"
                                 "/ModDate (D:20100105091512+08'00')\r"
                                 "/Subject ()\r"
                                 "/Title <FEFF005200650070006F00720074>\r"
                                 "/DOCINFO pdfmark\r"
                                 "%%EOF";
    EXPECT_EQ(folimar::BuildDocInfoFragment(info, "+08'00'", folimar::UnicodeHexString), expected);
}

TEST(DocInfoFragmentTest, EveryFieldInItsPlace)
{
    // A stand-in encoder shows which field lands on which line.
    auto tag = [](const std::string& s) { return "<" + s + ">"; };
    const TPDFDocInfo info{"A", "1", "C", "K", "2", "S", "T"};
    const std::string fragment = folimar::BuildDocInfoFragment(info, "-05'00'", +tag);
    EXPECT_EQ(fragment, "\r/pdfmark where {pop} {userdict /pdfmark /cleartomark load put} ifelse\r[\r\r\r"
                        "/Author <A>\r/CreationDate (D:1-05'00')\r/Creator <C>\r/Keywords <K>\r"
                        "/ModDate (D:2-05'00')\r/Subject <S>\r/Title <T>\r/DOCINFO pdfmark\r%%EOF");
}

TEST(DocInfoFragmentTest, EmptyRecordGivesEmptyStrings)
{
    const std::string fragment = folimar::BuildDocInfoFragment(TPDFDocInfo{}, "+00'00'", folimar::UnicodeHexString);
    EXPECT_EQ(fragment, "\r/pdfmark where {pop} {userdict /pdfmark /cleartomark load put} ifelse\r[\r\r\r"
                        "/Author ()\r/CreationDate ()\r/Creator ()\r/Keywords ()\r"
                        "/ModDate ()\r/Subject ()\r/Title ()\r/DOCINFO pdfmark\r%%EOF");
}

// Jobs in a temporary folder.
class DocInfoFileTest : public testing::Test {
protected:
    // The ModDate digits of the one fragment in text, or empty.
    static std::string ModDateIn(const std::string& text)
    {
        const std::string key = "\r/ModDate (D:";
        const size_t at = text.find(key);
        return at == std::string::npos ? std::string() : text.substr(at + key.size(), 14);
    }

    testing_support::TempDir dir_;
    std::string job_ = dir_ / "job.ps";
    std::string offset_ = folimar::TGMTTime().UtcOffset();
};

const char kJobText[] = "%!PS-Adobe-3.0\r\n%%Title: Caf\\351 Q1/Q2\r\n%%For: user01\r\n"
                        "%%CreationDate: 1/5/2010 9:07:03\r\n%%EndComments\r\nshowpage\r\n%%EOF\r\n";

TEST_F(DocInfoFileTest, DocInfoFromHeader)
{
    ASSERT_TRUE(WriteFileBytes(job_, kJobText));
    TPDFDocInfo info{"x", "x", "x", "stale keywords", "x", "stale subject", "x"};
    const std::string before = folimar::CompactLocalDate();
    folimar::DocInfoFromHeader(job_, info);
    const std::string after = folimar::CompactLocalDate();
    EXPECT_GE(info.ModDate, before);
    EXPECT_LE(info.ModDate, after);
    EXPECT_EQ(info,
              (TPDFDocInfo{"user01", "20100105090703", "Quorvel Folimar", "", info.ModDate, "", "Caf\xE9 Q1/Q2"}));
}

TEST_F(DocInfoFileTest, DocInfoFromMissingOrEmptyJobKeepsTheRecord)
{
    ASSERT_TRUE(WriteFileBytes(job_, ""));
    for (const std::string& name : {job_, dir_ / "missing.ps"}) {
        TPDFDocInfo info{"a", "b", "c", "d", "e", "f", "g"};
        const TPDFDocInfo before = info;
        folimar::DocInfoFromHeader(name, info);
        EXPECT_EQ(info, before) << name;
    }
}

TEST_F(DocInfoFileTest, AppendsAfterTheLastByte)
{
    ASSERT_TRUE(WriteFileBytes(job_, kJobText));
    const std::string before = folimar::CompactLocalDate();
    folimar::AppendDocInfo(job_);
    const std::string after = folimar::CompactLocalDate();

    const std::string text = ReadFileBytes(job_);
    ASSERT_EQ(text.substr(0, sizeof kJobText - 1), kJobText);
    const std::string modDate = ModDateIn(text);
    EXPECT_GE(modDate, before);
    EXPECT_LE(modDate, after);
    const TPDFDocInfo expected{"user01", "20100105090703", "Quorvel Folimar", "", modDate, "", "Caf\xE9 Q1/Q2"};
    EXPECT_EQ(text.substr(sizeof kJobText - 1),
              folimar::BuildDocInfoFragment(expected, offset_, folimar::UnicodeHexString));
}

TEST_F(DocInfoFileTest, JobWithoutCommentsGetsEmptyTextsAndTheTimeOfPreparation)
{
    const std::string job = "%!PS\nshowpage"; // and no line end at all
    ASSERT_TRUE(WriteFileBytes(job_, job));
    folimar::AppendDocInfo(job_);
    const std::string text = ReadFileBytes(job_);
    ASSERT_EQ(text.substr(0, job.size()), job);
    const std::string fragment = text.substr(job.size());
    EXPECT_EQ(fragment.front(), '\r'); // ends the job's last line
    EXPECT_NE(fragment.find("\r/Author ()\r"), std::string::npos);
    EXPECT_NE(fragment.find("\r/Title ()\r"), std::string::npos);
    const std::string modDate = ModDateIn(fragment);
    // Read in the same second or in the one before the modification date.
    const size_t at = fragment.find("\r/CreationDate (D:");
    ASSERT_NE(at, std::string::npos);
    const std::string creation = fragment.substr(at + 18, 14);
    EXPECT_LE(creation, modDate);
    EXPECT_EQ(fragment.substr(at + 18 + 14, offset_.size() + 2), offset_ + ")\r");
}

TEST_F(DocInfoFileTest, OtherDateFormKeptAndEscaped)
{
    const TextCase cases[] = {
        {"%%CreationDate: Tue Jan 05 09:07:03 2010\n", "\r/CreationDate (D:Tue Jan 05 09:07:03 2010" + offset_ + ")\r"},
        {"%%CreationDate: (1/5/2010 9:07:03\n", "\r/CreationDate (D:2010\\(105090703" + offset_ + ")\r"},
    };
    for (const TextCase& c : cases) {
        ASSERT_TRUE(WriteFileBytes(job_, "%!PS\n" + c.in));
        folimar::AppendDocInfo(job_);
        EXPECT_NE(ReadFileBytes(job_).find(c.out), std::string::npos) << c.in;
    }
}

TEST_F(DocInfoFileTest, EmptyJobBecomesTheFragment)
{
    ASSERT_TRUE(WriteFileBytes(job_, ""));
    folimar::AppendDocInfo(job_);
    EXPECT_EQ(ReadFileBytes(job_), folimar::BuildDocInfoFragment(TPDFDocInfo{}, offset_, folimar::UnicodeHexString));
}

TEST_F(DocInfoFileTest, TwoCallsAppendTwoFragments)
{
    ASSERT_TRUE(WriteFileBytes(job_, kJobText));
    folimar::AppendDocInfo(job_);
    const std::string once = ReadFileBytes(job_);
    folimar::AppendDocInfo(job_);
    const std::string twice = ReadFileBytes(job_);
    const size_t fragmentSize = once.size() - (sizeof kJobText - 1);
    ASSERT_EQ(twice.size(), once.size() + fragmentSize);
    EXPECT_EQ(twice.substr(0, once.size()), once);
    EXPECT_EQ(twice.substr(once.size(), 1), "\r");
    EXPECT_EQ(twice.substr(twice.size() - 5), "%%EOF");
}

TEST_F(DocInfoFileTest, ReadOnlyJobIsLeftUnchanged)
{
    ASSERT_TRUE(WriteFileBytes(job_, kJobText));
    ASSERT_TRUE(::SetFileAttributesA(job_.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_NO_THROW(folimar::AppendDocInfo(job_));
    EXPECT_EQ(ReadFileBytes(job_), kJobText);
}

TEST_F(DocInfoFileTest, MissingJobIsNotCreated)
{
    EXPECT_NO_THROW(folimar::AppendDocInfo(job_));
    EXPECT_EQ(::GetFileAttributesA(job_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DocInfoFileTest, JobHeldOpenElsewhereRaisesBeforeWriting)
{
    ASSERT_TRUE(WriteFileBytes(job_, kJobText));
    {
        win::UniqueHandle other(::CreateFileA(job_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(other);
        EXPECT_THROW(folimar::AppendDocInfo(job_), folimar::JobFileError);
    }
    EXPECT_EQ(ReadFileBytes(job_), kJobText);
}

struct RenderCase {
    const char* name;
    std::string creationDate;             // the job's comment
    std::string pdfDate;                  // what the PDF records, as pdfinfo -rawdates prints it; the offset follows
    std::string title = "Caf\\351 Q1/Q2"; // the job's comment: a Windows driver's 1252 text
    std::string pdfTitle = "Caf\xC3\xA9 Q1/Q2"; // what pdfinfo shows, in UTF-8
};

void PrintTo(const RenderCase& c, std::ostream* os)
{
    *os << c.name;
}

class DocInfoRenderTest : public DocInfoFileTest, public testing::WithParamInterface<RenderCase> {};

// The document information reaches the PDF as pdfinfo reads it.
TEST_P(DocInfoRenderTest, PdfCarriesTheDocumentInformation)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    const RenderCase& c = GetParam();
    ASSERT_TRUE(WriteFileBytes(job_, "%!PS-Adobe-3.0\n%%Title: " + c.title +
                                         "\n%%For: user01\n%%CreationDate: " + c.creationDate +
                                         "\n%%Pages: 1\n%%EndComments\n"
                                         "/Helvetica findfont 24 scalefont setfont 72 700 moveto (Hello) show\n"
                                         "showpage\n%%EOF\n"));
    folimar::AppendDocInfo(job_);
    const std::string pdf = dir_ / "job.pdf";
    ASSERT_TRUE(folimar::ConvertPsToPdf(job_, pdf));

#if !defined(__WINE__)
    GTEST_SKIP() << "the PDF is read with poppler's pdfinfo in the Winelib build";
#else
    auto info = [&](const char* field) { return testing_support::PdfInfoField(pdf, field, "-rawdates"); };
    EXPECT_EQ(info("Title"), c.pdfTitle);
    EXPECT_EQ(info("Author"), "user01");
    EXPECT_EQ(info("Creator"), "Quorvel Folimar");
    EXPECT_EQ(info("CreationDate"), "D:" + c.pdfDate + offset_);
#endif
}

INSTANTIATE_TEST_SUITE_P(Cases, DocInfoRenderTest,
                         testing::Values(
                             // The driver form with a one-digit hour still gives a valid PDF date.
                             RenderCase{"one_digit_hour", "1/5/2010 9:07:03", "20100105090703"},
                             RenderCase{"two_digit_fields", "01/05/2010 09:07:03", "20100105090703"},
                             // An unbalanced parenthesis in the date must not break the job.
                             RenderCase{"unbalanced_parenthesis", "1/5/2010 9:07:03)", "20100105090703)"},
                             // A UTF-8 title keeps every character.
                             RenderCase{"utf8_title", "1/5/2010 9:07:03", "20100105090703",
                                        "\xCE\xA9mega\xE6\x97\xA5\xE6\x9C\xAC", "\xCE\xA9mega\xE6\x97\xA5\xE6\x9C\xAC"},
                             // NULs from escapes would end up in the PDF's Info and make its XMP invalid.
                             RenderCase{"nul_escapes", "1/5/2010 9:07:03", "20100105090703", "Re\\000port\\0",
                                        "Report"}),
                         [](const testing::TestParamInfo<RenderCase>& info) { return std::string(info.param.name); });

} // namespace
