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

const std::string kFont1 = "mark currentfile eexec\r\n\x8f\0\x12\xe4\r\n0000000000\r\ncleartomark\r\n"s;
const std::string kFont2 = "currentfile eexec\r\na3f0c1\0\x7f\r\n"s + kHexEnd + "\r\n";
const std::string kFontLf = "mark currentfile eexec\n\x8f\0\x12\n0000000000\ncleartomark\n"s;

const StripCase kStripCases[] = {
    {"TwoFontsLoseBothEncryptedParts",
     "%!PS\r\n/F1 begin " + kFont1 + "{restore}if\r\nbetween\0\xff\r\n/F2 begin "s + kFont1 + "after\0\r\n%%EOF"s,
     "%!PS\r\n/F1 begin {restore}if\r\nbetween\0\xff\r\n/F2 begin after\0\r\n%%EOF"s},
    // With LF-only line ends the line after the end marker's line stays whole too.
    {"LfLineEndsKeepTheNextLine", "A\nmark currentfile eexec\nDATA\ncleartomark\nnext\nkept\n", "A\nnext\nkept\n"},
    {"LfLineEndsTwoFonts", "A\n" + kFontLf + "B\n" + kFontLf + "C\n", "A\nB\nC\n"},
    {"JobStartingWithMarker", kFont1 + "rest\r\n", "rest\r\n"},
    {"RestOfEndMarkerLineGoes", "A mark currentfile eexec X cleartomark} if\r\nB", "A B"},
    {"EndMarkerEndsText", "A mark currentfile eexec X cleartomark", "A "},
    {"OneByteAfterEndMarker", "A mark currentfile eexec X cleartomark\r", "A "},
    {"NoLineFeedAfterEndMarker", "A mark currentfile eexec X cleartomark\r tail", "A "},
    {"EndMarkerBeforeStartStays", "cleartomark\r\nA mark currentfile eexec X cleartomark\r\nB", "cleartomark\r\nA B"},
    {"NoMarkers", "%!PS\r\n/Helvetica findfont 12 scalefont setfont\r\n",
     "%!PS\r\n/Helvetica findfont 12 scalefont setfont\r\n"},
    {"MarkersMatchWithCase", "MARK CURRENTFILE EEXEC X CLEARTOMARK\r\n", "MARK CURRENTFILE EEXEC X CLEARTOMARK\r\n"},
    {"StartWithoutEndStays", "A mark currentfile eexec X\r\nno end", "A mark currentfile eexec X\r\nno end"},
    {"UnterminatedSecondFontStays", "A " + kFont1 + "B mark currentfile eexec Y\r\n",
     "A B mark currentfile eexec Y\r\n"},
    {"SecondPassOnly", "A\r\n" + kFont2 + "B\r\n", "A\r\nB\r\n"},
    {"SecondPassOverFirstPassOutput", "A " + kFont1 + "B " + kFont2 + "C", "A B C"},
    // Pass 1 cuts nothing here (no cleartomark), so pass 2 works on the job as read.
    {"SecondPassFindsMarkerInsideFirstMarker", "A mark currentfile eexec X " + kHexEnd + "\r\nB", "A mark B"},
    {"SecondPassStartWithoutEndStays", "A " + kFont1 + "B currentfile eexec\r\nC", "A B currentfile eexec\r\nC"},
};

// The kept pieces of one pass, checked to be in order and inside the input.
struct CollectedPass {
    bool cut = false;
    std::string text;
    std::vector<std::string_view> pieces;
};

CollectedPass CollectPass(std::string_view input, const StripMarkers& markers)
{
    CollectedPass out;
    out.cut = StripPass(input, markers, [&](std::string_view piece) {
        out.pieces.push_back(piece);
        out.text += piece;
    });
    return out;
}

class StripFonts : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripFonts, InPlaceGivesTheCleanedJob)
{
    std::string buffer = GetParam().job;
    size_t kept = StripFontPrograms(buffer.data(), buffer.size());
    EXPECT_EQ(buffer.substr(0, kept), GetParam().cleaned);
}

TEST_P(StripFonts, PassesWithASinkAgreeWithTheInPlaceRun)
{
    const std::string& job = GetParam().job;
    CollectedPass first = CollectPass(job, kFontPass1);
    std::string afterFirst = first.cut ? first.text : job;
    CollectedPass second = CollectPass(afterFirst, kFontPass2);
    EXPECT_EQ(second.cut ? second.text : afterFirst, GetParam().cleaned);
    EXPECT_EQ(first.cut || second.cut, GetParam().cleaned != job);
}

INSTANTIATE_TEST_SUITE_P(Jobs, StripFonts, ::testing::ValuesIn(kStripCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StripPass, HandsOverPiecesOfTheInputInOrderOnlyWhenCutting)
{
    const std::string job = "A " + kFont1 + "B " + kFont1 + kFont1 + "C";
    CollectedPass pass = CollectPass(job, kFontPass1);
    ASSERT_TRUE(pass.cut);
    ASSERT_EQ(pass.pieces.size(), 4u); // before, between, an empty one between the adjacent fonts, after
    const char* previousEnd = job.data();
    for (std::string_view piece : pass.pieces) {
        EXPECT_GE(piece.data(), previousEnd);
        EXPECT_LE(piece.data() + piece.size(), job.data() + job.size());
        previousEnd = piece.data() + piece.size();
    }
    EXPECT_EQ(pass.pieces.front().data(), job.data());
    EXPECT_EQ(previousEnd, job.data() + job.size());
    EXPECT_TRUE(pass.pieces[2].empty());
    EXPECT_EQ(pass.text, "A B C");

    CollectedPass none = CollectPass("A mark currentfile eexec without end", kFontPass1);
    EXPECT_FALSE(none.cut);
    EXPECT_TRUE(none.pieces.empty());
}

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

// Another reader that does not share writing makes the copy over the job fail; that is not reported.
TEST_F(JobFile, FailedCopyLeavesJobAsItWas)
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

} // namespace
