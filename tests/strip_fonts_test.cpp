// Page count reading and font program removal: the byte-level passes and the in-place rewrite of job files.
#include "tests/gtest_win.h"

#include "jobprep/job_error.h"
#include "jobprep/strip_fonts.h"
#include "tests/temp_dir.h"

#ifdef __WINE__
#include <signal.h>
#include <sys/resource.h>
#endif

#include <optional>
#include <string>
#include <vector>

using namespace folimar;
using namespace std::string_literals;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

constexpr std::optional<int32_t> kNone = std::nullopt;
const std::string kHexEnd = "6641d3dbc7cda5576ac556416da0051814c2705e";

// ---- Page count ------------------------------------------------------------------------------------------------

struct PageCase {
    const char* name;
    std::string text;
    std::optional<int32_t> pages;
};

void PrintTo(const PageCase& c, std::ostream* os)
{
    *os << c.name;
}

class PageCount : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageCount, ReadsTheHeaderOrTrailerValue)
{
    EXPECT_EQ(ReadPageCount(GetParam().text), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, PageCount,
    ::testing::Values(PageCase{"Header", "%!PS\n%%Pages: 12\n%%EndComments\n", 12},
                      PageCase{"AtendWithTrailer", "%%Pages: (atend)\nbody\n%%Trailer\n%%Pages: 12\n%%EOF\n", 12},
                      PageCase{"AtendWithoutTrailer", "%%Pages: (atend)\nbody\n%%EOF\n", kNone},
                      PageCase{"NoComment", "%!PS\nshowpage\n", kNone}, PageCase{"EmptyText", "", kNone},
                      // A number in the header is final even when it is not valid: the trailer is not looked at.
                      PageCase{"InvalidHeaderNumberIgnoresTrailer", "%%Pages: 12 1\n%%Trailer\n%%Pages: 7\n", kNone},
                      PageCase{"InvalidTrailerNumber", "%%Pages: (atend)\n%%Pages: 7x\n", kNone},
                      PageCase{"ThirdOccurrenceNeverRead", "%%Pages: (atend)\n%%Pages: (atend)\n%%Pages: 4\n", kNone},
                      PageCase{"EmptyHeaderValueDefersToTrailer", "%%Pages: \n%%Pages: 3\n", 3},
                      PageCase{"SignDefersToTrailer", "%%Pages: -1\n%%Pages: 3\n", 3},
                      PageCase{"CrLf", "%%Pages: 5\r\n%%EndComments\r\n", 5},
                      PageCase{"ValueRunsToEndOfText", "%%Pages: 9", 9}, PageCase{"TextEndsAtColon", "%%Pages:", kNone},
                      PageCase{"TextEndsAfterSpace", "%%Pages: ", kNone},
                      // The byte after the colon is passed over whatever it is.
                      PageCase{"NoSpaceLosesFirstDigit", "%%Pages:12\n", 2},
                      PageCase{"TrimsTabsSpacesAndNuls", "%%Pages: \t 12 \t\0\r\n"s, 12},
                      PageCase{"NulInsideValue", "%%Pages: 1\0002\n"s, kNone},
                      PageCase{"CaseMatters", "%%pages: 12\n", kNone}, PageCase{"LeadingZeros", "%%Pages: 007\n", 7},
                      PageCase{"Hex", "%%Pages: 0x1A\n", 26}, PageCase{"HexWithoutDigits", "%%Pages: 0x\n", kNone},
                      PageCase{"HexBadDigit", "%%Pages: 0x1G\n", kNone},
                      PageCase{"LargestInteger", "%%Pages: 2147483647\n", 2147483647},
                      PageCase{"OutOfRange", "%%Pages: 2147483648\n", kNone},
                      PageCase{"HugeNumber", "%%Pages: 99999999999999999999999\n", kNone},
                      PageCase{"LargestHex", "%%Pages: 0x7fffffff\n", 2147483647},
                      PageCase{"HexOutOfRange", "%%Pages: 0x80000000\n", kNone},
                      PageCase{"FoundAfterBinaryData", "\x80\0\xff%%Pages: 2\n"s, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Strip passes ----------------------------------------------------------------------------------------------

struct StripCase {
    const char* name;
    std::string job;
    std::string cleaned; // the job after both passes; equal to job when nothing is cut
};

void PrintTo(const StripCase& c, std::ostream* os)
{
    *os << c.name;
}

// The 512 zeros that end a Type 1 font's encrypted part, in eight lines.
std::string Zeros(const std::string& eol)
{
    std::string zeros;
    for (int line = 0; line < 8; ++line)
        zeros += std::string(64, '0') + eol;
    return zeros;
}

// A font as Windows drivers embed it: binary eexec data, the zeros and the cleartomark line.
std::string BinaryFont(const std::string& eol)
{
    return "mark currentfile eexec" + eol + "\x8f\0\x12\xe4 cleartomark\x01"s + eol + Zeros(eol) + "cleartomark" + eol;
}

const std::string kFont1 = BinaryFont("\r\n");
const std::string kFontLf = BinaryFont("\n");
const std::string kFontCr = BinaryFont("\r");
// Hex eexec data ending with the zeros, as PostScript fonts on disk are.
const std::string kHexFont1 =
    "mark currentfile eexec\r\n" + std::string(64, 'a') + "\r\n" + Zeros("\r\n") + "cleartomark\r\n";
// Without its line end, for cases about what follows the end marker.
const std::string kFont1Open = kFont1.substr(0, kFont1.size() - 2);
const std::string kFont2 = "currentfile eexec\r\na3f0c1\0\x7f\r\n"s + kHexEnd + "\r\n";

// A six-page job whose page text quotes both markers, as a manual about PostScript fonts does.
std::string QuotingJob()
{
    std::string job = "%!PS-Adobe-3.0\r\n%%EndComments\r\n";
    for (int page = 1; page <= 6; ++page) {
        job += "%%Page: " + std::to_string(page) + " " + std::to_string(page) + "\r\n";
        if (page == 2)
            job += "72 700 moveto (A font begins with mark currentfile eexec and binary data.) show\r\n";
        if (page == 4)
            job += "% mark currentfile eexec\r\n72 680 moveto (mark currentfile eexec 2024 report) show\r\n";
        if (page == 5)
            job += "72 660 moveto (It ends with zeros and cleartomark) show\r\n";
        job += "showpage\r\n";
    }
    return job + "%%EOF\r\n";
}

const StripCase kStripCases[] = {
    {"TwoFontsLoseBothEncryptedParts",
     "%!PS\r\n/F1 begin " + kFont1 + "{restore}if\r\nbetween\0\xff\r\n/F2 begin "s + kFont1 + "after\0\r\n%%EOF"s,
     "%!PS\r\n/F1 begin {restore}if\r\nbetween\0\xff\r\n/F2 begin after\0\r\n%%EOF"s},
    // The line after the end marker's line stays whole with every line-end convention.
    {"CrLfLineEndsKeepTheNextLine", "A\r\n" + kFont1 + "next\r\nkept\r\n", "A\r\nnext\r\nkept\r\n"},
    {"LfLineEndsKeepTheNextLine", "A\n" + kFontLf + "next\nkept\n", "A\nnext\nkept\n"},
    {"CrLineEndsKeepTheNextLine", "A\r" + kFontCr + "next\rkept\r", "A\rnext\rkept\r"},
    {"LfLineEndsTwoFonts", "A\n" + kFontLf + "B\n" + kFontLf + "C\n", "A\nB\nC\n"},
    {"CrLineEndsTwoFonts", "A\r" + kFontCr + "B\r" + kFontCr + "C\r", "A\rB\rC\r"},
    {"NoLineFeedAfterEndMarker", "A " + kFont1Open + "\r tail", "A  tail"},
    {"CrThenEmptyCrLfLine", "A " + kFont1Open + "\r\r\nB", "A \r\nB"},
    {"HexFontIsCut", "A\r\n" + kHexFont1 + "B\r\n", "A\r\nB\r\n"},
    {"JobStartingWithMarker", kFont1 + "rest\r\n", "rest\r\n"},
    {"RestOfEndMarkerLineGoes", "A " + kFont1Open + "} if\r\nB", "A B"},
    {"EndMarkerEndsText", "A " + kFont1Open, "A "},
    {"OneByteAfterEndMarker", "A " + kFont1Open + "\r", "A "},
    {"EndMarkerBeforeStartStays", "cleartomark\r\nA " + kFont1 + "B", "cleartomark\r\nA B"},
    {"NoMarkers", "%!PS\r\n/Helvetica findfont 12 scalefont setfont\r\n",
     "%!PS\r\n/Helvetica findfont 12 scalefont setfont\r\n"},
    {"MarkersMatchWithCase", "MARK CURRENTFILE EEXEC \x8f X\r\n" + Zeros("\r\n") + "CLEARTOMARK\r\n",
     "MARK CURRENTFILE EEXEC \x8f X\r\n" + Zeros("\r\n") + "CLEARTOMARK\r\n"},
    {"StartWithoutEndStays", "A mark currentfile eexec \x8f\x90\r\nno end",
     "A mark currentfile eexec \x8f\x90\r\nno end"},
    {"UnterminatedSecondFontStays", "A " + kFont1 + "B mark currentfile eexec \x8f\r\n",
     "A B mark currentfile eexec \x8f\r\n"},
    {"SecondPassOnly", "A\r\n" + kFont2 + "B\r\n", "A\r\nB\r\n"},
    {"SecondPassOverFirstPassOutput", "A " + kFont1 + "B " + kFont2 + "C", "A B C"},
    // Pass 1 cuts nothing here (no cleartomark), so pass 2 works on the job as read.
    {"SecondPassFindsMarkerInsideFirstMarker", "A mark currentfile eexec a3f0 " + kHexEnd + "\r\nB", "A mark B"},
    {"SecondPassStartWithoutEndStays", "A " + kFont1 + "B currentfile eexec a3f0\r\nC",
     "A B currentfile eexec a3f0\r\nC"},
    // Only font programs are cut: markers in page text, comments and strings are not.
    {"PageTextQuotingBothMarkersStays", QuotingJob(), QuotingJob()},
    {"QuotedStartBeforeARealFont", "(mark currentfile eexec) show\r\npage\r\n/F " + kFont1 + "end\r\n",
     "(mark currentfile eexec) show\r\npage\r\n/F end\r\n"},
    // Hex digits after the quoted marker look like eexec data: the real font's start after it decides.
    {"HexLookingTextBeforeARealFont", "(mark currentfile eexec 2024) show\r\n/F " + kFont1 + "end\r\n",
     "(mark currentfile eexec 2024) show\r\n/F end\r\n"},
    {"MarkerWithoutSpaceIsNoFont", "mark currentfile eexec\x8f\x90\r\n" + Zeros("\r\n") + "cleartomark\r\nB",
     "mark currentfile eexec\x8f\x90\r\n" + Zeros("\r\n") + "cleartomark\r\nB"},
    {"PrintableTextAfterMarkerIsNoFont", "mark currentfile eexec\r\nshow it\r\n" + Zeros("\r\n") + "cleartomark\r\nB",
     "mark currentfile eexec\r\nshow it\r\n" + Zeros("\r\n") + "cleartomark\r\nB"},
    {"TooMuchSpaceAfterMarkerIsNoFont",
     "mark currentfile eexec" + std::string(65, ' ') + "\x8f\r\n" + Zeros("\r\n") + "cleartomark\r\nB",
     "mark currentfile eexec" + std::string(65, ' ') + "\x8f\r\n" + Zeros("\r\n") + "cleartomark\r\nB"},
    {"EndWithoutZerosIsNoEnd", "A mark currentfile eexec \x8f\r\n(cleartomark) show\r\npage 3\r\n",
     "A mark currentfile eexec \x8f\r\n(cleartomark) show\r\npage 3\r\n"},
    {"FewerThan512ZerosIsNoEnd", "A mark currentfile eexec \x8f\r\n" + std::string(511, '0') + "\r\ncleartomark\r\nB",
     "A mark currentfile eexec \x8f\r\n" + std::string(511, '0') + "\r\ncleartomark\r\nB"},
    {"ZerosWithoutLineBreaksCount", "A mark currentfile eexec \x8f\r\n" + std::string(512, '0') + "cleartomark\r\nB",
     "A B"},
    // The font's own cleartomark in its data is passed over; its closing one ends the cut.
    {"EndInsideFontDataIsSkipped",
     "A mark currentfile eexec\r\n\x8f cleartomark\r\n" + Zeros("\r\n") + "cleartomark\r\nB", "A B"},
};

class StripFonts : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripFonts, WholeTextGivesTheCleanedJob)
{
    EXPECT_EQ(StripFontPrograms(GetParam().job), GetParam().cleaned);
}

// Every piece size gives what the whole text gives: markers and line ends straddle the pieces.
TEST_P(StripFonts, AnyPieceSizeGivesTheCleanedJob)
{
    const std::string& job = GetParam().job;
    for (size_t size : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{7}, size_t{11}, size_t{64}, size_t{4097},
                        job.size() + 1}) {
        std::string kept;
        FontStripper stripper([&](std::string_view piece) { kept += piece; });
        for (size_t at = 0; at < job.size(); at += size)
            stripper.Feed(std::string_view(job).substr(at, size));
        stripper.Finish();
        EXPECT_EQ(kept, GetParam().cleaned) << "pieces of " << size;
        EXPECT_EQ(stripper.cut(), GetParam().cleaned != job) << "pieces of " << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, StripFonts, ::testing::ValuesIn(kStripCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(PageCount, AnyPieceSizeGivesTheSameCount)
{
    const std::string& text = GetParam().text;
    for (size_t size = 1; size <= text.size(); ++size) {
        PageCountReader reader;
        for (size_t at = 0; at < text.size(); at += size)
            reader.Feed(std::string_view(text).substr(at, size));
        EXPECT_EQ(reader.Finish(), GetParam().pages) << "pieces of " << size;
    }
}

// A font whose end marker lies too far from its start stays, and the search goes on after its start.
struct SpanCase {
    const char* name;
    size_t maxSpan;
    bool cut;
};

class FontSpan : public ::testing::TestWithParam<SpanCase> {};

TEST_P(FontSpan, EndBeyondTheLongestSpanIsNoCut)
{
    const std::string job = "A " + kFont1Open + "\r\nB " + kFont1;
    for (size_t size : {size_t{1}, size_t{5}, size_t{64}, job.size()}) {
        std::string kept;
        StripPassStream pass(
            kFontPass1, [&](std::string_view piece) { kept += piece; }, GetParam().maxSpan);
        for (size_t at = 0; at < job.size(); at += size)
            pass.Feed(std::string_view(job).substr(at, size));
        pass.Finish();
        EXPECT_EQ(kept, GetParam().cut ? "A B " : job) << "pieces of " << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Spans, FontSpan,
                         ::testing::Values(SpanCase{"Exact", kFont1Open.size(), true},
                                           SpanCase{"OneByteShort", kFont1Open.size() - 1, false},
                                           SpanCase{"Default", kMaxFontProgram, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StripTempFileName, SitsInTheJobsFolder)
{
    EXPECT_EQ(StripTempFileName("C:\\spool\\job.ps"), "C:\\spool\\~tmp.~");
    EXPECT_EQ(StripTempFileName("\\\\server\\share\\job.ps"), "\\\\server\\share\\~tmp.~");
    EXPECT_EQ(StripTempFileName("Z:/tmp/job.ps"), "Z:/tmp/~tmp.~");
    EXPECT_EQ(StripTempFileName("C:job.ps"), "C:~tmp.~");
    EXPECT_EQ(StripTempFileName("job.ps"), "~tmp.~");
}

// ---- Job files -------------------------------------------------------------------------------------------------

// A job in a folder of its own, with a last-write time far in the past so that any rewrite shows.
class JobFile : public ::testing::Test {
protected:
    void WriteJob(std::string_view bytes)
    {
        ASSERT_TRUE(WriteFileBytes(job_, bytes));
        win::UniqueHandle h(::CreateFileA(job_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(h.valid());
        ASSERT_TRUE(::SetFileTime(h.get(), nullptr, nullptr, &kOldTime));
    }

    bool JobRewritten() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        EXPECT_TRUE(::GetFileAttributesExA(job_.c_str(), GetFileExInfoStandard, &data));
        return ::CompareFileTime(&data.ftLastWriteTime, &kOldTime) != 0;
    }

    DWORD Attributes(const std::string& path) const { return ::GetFileAttributesA(path.c_str()); }

    static constexpr FILETIME kOldTime{0x256D4000, 0x01BF53EB}; // 2000-01-01
    TempDir dir_;
    const std::string job_ = dir_ / "job.ps";
    const std::string temp_ = dir_ / "~tmp.~";
};

class JobFileStrip : public JobFile, public ::testing::WithParamInterface<StripCase> {};

TEST_P(JobFileStrip, RewritesOnlyWhenSomethingWasCut)
{
    const StripCase& c = GetParam();
    WriteJob(c.job);
    int32_t pages = -7;
    StripFontsAndCountPages(job_, pages);
    EXPECT_EQ(ReadFileBytes(job_), c.cleaned);
    EXPECT_EQ(JobRewritten(), c.cleaned != c.job);
    EXPECT_EQ(pages, -7);
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

INSTANTIATE_TEST_SUITE_P(Jobs, JobFileStrip, ::testing::ValuesIn(kStripCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The console converter's form: the job stays as it is, and a copy exists exactly when something was cut.
TEST_P(JobFileStrip, CopiesOnlyWhenSomethingWasCut)
{
    const StripCase& c = GetParam();
    WriteJob(c.job);
    const std::string copy = dir_ / "cleaned.ps";
    int32_t pages = -7;
    const bool copied = CopyWithoutFontsAndCountPages(job_, copy, pages);
    EXPECT_EQ(copied, c.cleaned != c.job);
    if (copied)
        EXPECT_EQ(ReadFileBytes(copy), c.cleaned);
    else
        EXPECT_EQ(Attributes(copy), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFileBytes(job_), c.job);
    EXPECT_FALSE(JobRewritten());
    EXPECT_EQ(pages, -7);
}

TEST_F(JobFile, CopyCountsPagesAndFailsWithoutLeavingACopy)
{
    const std::string copy = dir_ / "cleaned.ps";
    WriteJob("%!PS\r\n%%Pages: (atend)\r\nA " + kFont1 + "B\r\n%%Trailer\r\n%%Pages: 4\r\n");
    int32_t pages = 0;
    ASSERT_TRUE(CopyWithoutFontsAndCountPages(job_, copy, pages));
    EXPECT_EQ(pages, 4);
    EXPECT_EQ(ReadFileBytes(copy), "%!PS\r\n%%Pages: (atend)\r\nA B\r\n%%Trailer\r\n%%Pages: 4\r\n");
    // An older file of that name is replaced, also when nothing is cut: then it goes.
    WriteJob("%%Pages: 2\r\nno fonts");
    EXPECT_FALSE(CopyWithoutFontsAndCountPages(job_, copy, pages));
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(Attributes(copy), INVALID_FILE_ATTRIBUTES);
    // A job that cannot be read raises, and leaves the count and no copy.
    pages = 5;
    EXPECT_THROW(CopyWithoutFontsAndCountPages(dir_ / "missing.ps", copy, pages), JobFileError);
    EXPECT_EQ(pages, 5);
    EXPECT_EQ(Attributes(copy), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JobFile, CountsPagesAndShrinksByTheCutSpans)
{
    const std::string head = "%!PS-Adobe-3.0\r\n%%Pages: (atend)\r\n%%EndComments\r\n/F begin ";
    const std::string tail = "end\r\n%%Trailer\r\n%%Pages: 3\r\n%%EOF\r\n";
    WriteJob(head + kFont1 + kFont2 + tail);
    int32_t pages = 0;
    StripFontsAndCountPages(job_, pages);
    EXPECT_EQ(pages, 3);
    std::string cleaned = ReadFileBytes(job_);
    EXPECT_EQ(cleaned.size(),
              head.size() + kFont1.size() + kFont2.size() + tail.size() - kFont1.size() - kFont2.size());
    EXPECT_EQ(cleaned, head + tail);
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JobFile, StaleTemporaryFileIsRemovedEvenWhenNothingIsCut)
{
    ASSERT_TRUE(WriteFileBytes(temp_, "left over from an earlier run"));
    WriteJob("%!PS\r\n%%Pages: 2\r\n");
    int32_t pages = 0;
    StripFontsAndCountPages(job_, pages);
    EXPECT_EQ(pages, 2);
    EXPECT_FALSE(JobRewritten());
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JobFile, MissingJobRaisesAndLeavesNoTemporaryFile)
{
    int32_t pages = 5;
    try {
        StripFontsAndCountPages(job_, pages);
        FAIL() << "no error raised";
    } catch (const JobFileError& e) {
        EXPECT_NE(std::string(e.what()).find(job_), std::string::npos) << e.what();
        EXPECT_EQ(e.code(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    EXPECT_EQ(pages, 5);
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

TEST_F(JobFile, JobOpenForWritingElsewhereRaises)
{
    WriteJob("%%Pages: 4\r\n" + kFont1);
    win::UniqueHandle writer(::CreateFileA(job_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());
    int32_t pages = 0;
    EXPECT_THROW(StripFontsAndCountPages(job_, pages), JobFileError);
    writer.reset();
    EXPECT_EQ(pages, 0);
    EXPECT_FALSE(JobRewritten());
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

// A temporary file that cannot be made leaves the job as it is, still counts its pages, and leaves
// alone whatever stands in the temporary file's place.
TEST_F(JobFile, FolderInPlaceOfTemporaryFileLeavesJobUntouched)
{
    ASSERT_TRUE(::CreateDirectoryA(temp_.c_str(), nullptr));
    const std::string job = "%%Pages: 4\r\nA " + kFont1 + "B";
    WriteJob(job);
    int32_t pages = 0;
    StripFontsAndCountPages(job_, pages);
    EXPECT_EQ(pages, 4);
    EXPECT_EQ(ReadFileBytes(job_), job);
    EXPECT_FALSE(JobRewritten());
    EXPECT_NE(Attributes(temp_) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(JobFile, TemporaryFileOpenElsewhereLeavesJobUntouched)
{
    win::UniqueHandle other(
        ::CreateFileA(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other.valid());
    const std::string job = "A " + kFont1 + "B";
    WriteJob(job);
    int32_t pages = 0;
    StripFontsAndCountPages(job_, pages);
    EXPECT_EQ(ReadFileBytes(job_), job);
    EXPECT_FALSE(JobRewritten());
    other.reset();
    EXPECT_NE(Attributes(temp_), INVALID_FILE_ATTRIBUTES); // not ours to delete
}

#ifdef __WINE__
// Makes every write past maxBytes fail, as on a full disk, while it lives (Linux's file size limit).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t maxBytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN); // a failed write, not a killed process
        rlimit limit = saved_;
        limit.rlim_cur = maxBytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    sighandler_t previousHandler_;
    bool ok_ = false;
};
#endif

// The cleaned job does not fit: the temporary file stays incomplete and must not replace the job.
TEST_F(JobFile, FailedWriteLeavesJobUntouched)
{
#ifdef __WINE__
    const std::string job = "%%Pages: 2\r\n" + std::string(64 * 1024, 'x') + kFont1 + "B";
    WriteJob(job);
    int32_t pages = 0;
    {
        FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.ok());
        StripFontsAndCountPages(job_, pages);
    }
    EXPECT_EQ(pages, 2);
    EXPECT_TRUE(ReadFileBytes(job_) == job) << "the job was replaced by an incomplete copy";
    EXPECT_FALSE(JobRewritten());
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
    // An incomplete copy is no job to render: it goes, and the job itself is the one to render.
    const std::string copy = dir_ / "cleaned.ps";
    bool copied = true;
    {
        FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.ok());
        copied = CopyWithoutFontsAndCountPages(job_, copy, pages);
    }
    EXPECT_FALSE(copied);
    EXPECT_EQ(Attributes(copy), INVALID_FILE_ATTRIBUTES);
#else
    GTEST_SKIP() << "needs a way to make writes fail";
#endif
}

TEST_F(JobFile, NameWithoutFolderUsesTheCurrentFolder)
{
    WriteJob("A " + kFont1 + "B");
    char previous[MAX_PATH + 1] = {};
    ASSERT_NE(::GetCurrentDirectoryA(MAX_PATH, previous), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryA(dir_.path().c_str()));
    int32_t pages = 0;
    StripFontsAndCountPages("job.ps", pages);
    ::SetCurrentDirectoryA(previous);
    EXPECT_EQ(ReadFileBytes(job_), "A B");
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

// Another reader that does not share deleting makes the replace fail; that is not reported.
TEST_F(JobFile, FailedReplaceLeavesJobAsItWas)
{
    const std::string job = "%%Pages: 6\r\nA " + kFont1 + "B";
    WriteJob(job);
    win::UniqueHandle reader(
        ::CreateFileA(job_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader.valid());
    int32_t pages = 0;
    StripFontsAndCountPages(job_, pages);
    reader.reset();
    EXPECT_EQ(pages, 6);
    EXPECT_EQ(ReadFileBytes(job_), job);
    EXPECT_FALSE(JobRewritten());
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

// The file a name stands for: its volume and index, which a rename carries and a rewrite keeps.
std::pair<uint64_t, DWORD> FileIdentity(const std::string& path)
{
    win::UniqueHandle h(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    EXPECT_TRUE(h.valid() && ::GetFileInformationByHandle(h.get(), &info));
    return {(uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, info.dwVolumeSerialNumber};
}

// The cleaned job takes the old one's place whole, by a rename: the old file is never written into (a copy into
// it leaves an empty or half-written job when the process is killed meanwhile), so the name stands for another
// file afterwards.
TEST_F(JobFile, ReplacesTheJobByRenameNeverByWritingIntoIt)
{
    WriteJob("%%Pages: 2\r\nA " + kFont1 + "B");
    auto before = FileIdentity(job_);
    int32_t pages = 0;
    StripFontsAndCountPages(job_, pages);
    EXPECT_EQ(ReadFileBytes(job_), "%%Pages: 2\r\nA B");
    EXPECT_NE(FileIdentity(job_), before);
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

// A job many read pieces long, with fonts across the piece borders and the first one far in: the file gives
// what the whole text gives, and the page count from the trailer.
TEST_F(JobFile, LargeJobGivesWhatTheWholeTextGives)
{
    const size_t kPiece = size_t{1} << 20;
    std::string job = "%!PS\r\n%%Pages: (atend)\r\n";
    for (size_t border : {kPiece, 2 * kPiece, 2 * kPiece + 2000})
        job += std::string(border - 10 - job.size(), 'x') + "\r\n/F " + kFont1 + "end\r\n";
    job += std::string(kPiece / 2, 'y') + "\r\n%%Trailer\r\n%%Pages: 9\r\n";
    WriteJob(job);
    int32_t pages = 0;
    StripFontsAndCountPages(job_, pages);
    EXPECT_EQ(pages, 9);
    std::string cleaned = ReadFileBytes(job_);
    EXPECT_EQ(cleaned.size(), job.size() - 3 * kFont1.size());
    EXPECT_TRUE(cleaned == StripFontPrograms(job));
    EXPECT_EQ(Attributes(temp_), INVALID_FILE_ATTRIBUTES);
}

} // namespace
