// The converter process a batch renders in: its lines, then the real console converter ended by a
// stop, by a disk that fills and by a job that loses pages.
#include "tests/gtest_win.h"

#include "render/converter_process.h"
#include "render/converter_protocol.h"
#include "render/pdf_conversion.h"
#include "tests/batch_test_support.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/temp_dir.h"
#include "win/environment.h"
#include "win/handle.h"
#include "win/run_files.h"
#include "win/temp_folder.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace folimar;
using testing_support::FileNamesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

// Runs work on a Win32 thread (a Winelib program's own threads cannot call Windows) and waits for
// it when it goes out of scope.
class WorkThread {
public:
    explicit WorkThread(std::function<void()> work) : work_(std::move(work))
    {
        thread_.reset(::CreateThread(nullptr, 0, &Run, this, 0, nullptr));
    }
    ~WorkThread() { Join(); }
    WorkThread(const WorkThread&) = delete;
    WorkThread& operator=(const WorkThread&) = delete;

    // True when the work ended within ms.
    bool Wait(DWORD ms) { return thread_ && ::WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0; }
    void Join()
    {
        if (thread_)
            ::WaitForSingleObject(thread_.get(), INFINITE);
    }

private:
    static DWORD WINAPI Run(LPVOID self)
    {
        static_cast<WorkThread*>(self)->work_();
        return 0;
    }

    std::function<void()> work_;
    win::UniqueHandle thread_;
};

TEST(RenderProtocol, RequestsGoAsOneLineAndOnlyWholeOnesAreRead)
{
    const TRenderRequest request{"C:\\spool\\job 1.~ps", "D:\\out\\~folimar-1-2-3.pdf.tmp"};
    const std::string line = RenderRequestLine(request);
    EXPECT_EQ(line, "C:\\spool\\job 1.~ps\tD:\\out\\~folimar-1-2-3.pdf.tmp\n");
    std::string buffer = line + "half";
    const std::optional<std::string> whole = TakeLine(buffer);
    ASSERT_TRUE(whole);
    EXPECT_EQ(buffer, "half");
    EXPECT_FALSE(TakeLine(buffer)) << "no line end yet";
    const std::optional<TRenderRequest> parsed = ParseRenderRequest(*whole);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->psFile, request.psFile);
    EXPECT_EQ(parsed->pdfFile, request.pdfFile);

    for (const TRenderRequest& unsendable : std::vector<TRenderRequest>{
             {"a\tb.ps", "c.pdf"}, {"a.ps", "c\n.pdf"}, {"a.ps", "c\r.pdf"}, {"", "c.pdf"}, {"a.ps", ""}})
        EXPECT_EQ(RenderRequestLine(unsendable), "") << unsendable.psFile << " / " << unsendable.pdfFile;
    for (const char* bad : {"", "a.ps", "\tc.pdf", "a.ps\t", "a.ps\tc.pdf\tx", "a.ps\tc.pdf\r"})
        EXPECT_FALSE(ParseRenderRequest(bad)) << bad;
}

TEST(RenderProtocol, RepliesCarryTheEndAndThePageCount)
{
    EXPECT_EQ(RenderReplyLine({true, 3}), "rendered 3\n");
    EXPECT_EQ(RenderReplyLine({false, 0}), "failed 0\n");
    struct Case {
        const char* line;
        std::optional<std::pair<bool, int>> reply;
    } cases[] = {
        {"rendered 3", std::pair{true, 3}}, {"failed 12", std::pair{false, 12}},
        {"rendered 0", std::pair{true, 0}}, {"rendered", std::nullopt},
        {"rendered ", std::nullopt},        {"rendered -1", std::nullopt},
        {"rendered 3 ", std::nullopt},      {"done 3", std::nullopt},
        {"failed x", std::nullopt},         {"rendered 99999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<TRenderReply> reply = ParseRenderReply(c.line);
        ASSERT_EQ(reply.has_value(), c.reply.has_value()) << c.line;
        if (reply) {
            EXPECT_EQ(reply->rendered, c.reply->first) << c.line;
            EXPECT_EQ(reply->pages, c.reply->second) << c.line;
        }
    }
}

TEST(RenderProtocol, PageLinesGoBeforeTheReplyAndAreNotTakenForIt)
{
    EXPECT_EQ(PageLine(7), "page 7\n");
    EXPECT_EQ(PageLine(-1), "page -1\n");
    struct Case {
        const char* line;
        std::optional<int> page;
    } cases[] = {
        {"page 1", 1},          {"page -1", -1},          {"page 0", std::nullopt},  {"page -2", std::nullopt},
        {"page", std::nullopt}, {"page x", std::nullopt}, {"page 3 ", std::nullopt}, {"rendered 3", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParsePageLine(c.line), c.page) << c.line;
    EXPECT_FALSE(ParseRenderReply("page 3").has_value());
}

TEST(RenderProtocol, AFailureCarriesGhostscriptsWordsAndAFailedWritesCause)
{
    struct Case {
        const char* name;
        TRenderFault fault;
        std::string line;
    } cases[] = {
        {"nothing said", {}, "failed 2\n"},
        {"Ghostscript's words", {"undefined: foo", ERROR_SUCCESS}, "failed 2 0 undefined: foo\n"},
        {"a full disk", {"ioerror in --showpage--", ERROR_DISK_FULL}, "failed 2 112 ioerror in --showpage--\n"},
        {"a cause without words", {"", ERROR_PATH_NOT_FOUND}, "failed 2 3\n"},
    };
    for (const Case& c : cases) {
        const std::string line = RenderReplyLine({false, 2, c.fault});
        EXPECT_EQ(line, c.line) << c.name;
        std::string buffer = line;
        const std::optional<TRenderReply> reply = ParseRenderReply(TakeLine(buffer).value_or(""));
        ASSERT_TRUE(reply) << c.name;
        EXPECT_FALSE(reply->rendered) << c.name;
        EXPECT_EQ(reply->pages, 2) << c.name;
        EXPECT_EQ(reply->fault.gsError, c.fault.gsError) << c.name;
        EXPECT_EQ(reply->fault.writeError, c.fault.writeError) << c.name;
    }
    // The words stay on their line, whatever the job made Ghostscript say.
    EXPECT_EQ(RenderReplyLine({false, 0, {"undefined: a\nb\tc", ERROR_SUCCESS}}), "failed 0 0 undefined: a b c\n");
    EXPECT_EQ(RenderReplyLine({true, 1, {"undefined: foo", ERROR_DISK_FULL}}), "rendered 1\n") << "made: no fault";
    for (const char* bad : {"rendered 1 0 x", "failed 1 x", "failed 1 -3", "failed 1  words"})
        EXPECT_FALSE(ParseRenderReply(bad)) << bad;
}

TEST(DiskMargin, ARenderMayTakeAllButAShareOfTheFreeSpaceUpToAFixedMargin)
{
    constexpr uint64_t MiB = uint64_t{1} << 20;
    struct Case {
        TDiskMargin margin;
        uint64_t freeAtStart;
        uint64_t expected;
    } cases[] = {
        // An empty 60 MB disk keeps 3.75 MB: a 1 MB PDF, its scratch files beside it, fits.
        {{}, 60 * MiB, 60 * MiB / 16},
        {{}, 2 * MiB, 2 * MiB / 16},
        {{}, 0, 0},
        // A large disk keeps the fixed margin only.
        {{}, 100000 * MiB, 64 * MiB},
        {{}, 1024 * MiB, 64 * MiB},
        {{UINT64_MAX, 1}, 5 * MiB, 5 * MiB},
        {{8 * MiB, 0}, 5 * MiB, 5 * MiB},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DiskMarginFor(c.margin, c.freeAtStart), c.expected)
            << c.freeAtStart << " free, share " << c.margin.share;
}

TEST(ConverterEnvironment, TheSettingsTakeThePlaceOfVariablesOfTheSameName)
{
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string block;
        win::EnvironmentSettings settings;
        std::string expected;
    } cases[] = {
        {"replaced in any case, others kept",
         "PATH=C:\\w\0Temp=C:\\old\0tmp=C:\\old\0\0"s,
         {{"TEMP", "C:\\new"}, {"TMP", "C:\\new"}},
         "PATH=C:\\w\0TEMP=C:\\new\0TMP=C:\\new\0\0"s},
        {"a drive's folder is no variable of that name",
         "=C:=C:\\w\0TEMPDIR=x\0\0"s,
         {{"TEMP", "y"}},
         "=C:=C:\\w\0TEMPDIR=x\0TEMP=y\0\0"s},
        {"an empty block", "\0"s, {{"TMPDIR", "/tmp/a"}}, "TMPDIR=/tmp/a\0\0"s},
        {"nothing set", "A=1\0\0"s, {}, "A=1\0\0"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(win::EnvironmentBlockWith(c.block, c.settings), c.expected) << c.name;
}

// pages pages under a header that announces announced (0: no count), each page drawn and shown;
// then tail, PostScript that runs after the last page.
std::string Job(int pages, int announced, const std::string& tail = {})
{
    return testing_support::PostScriptDocument("Converter test", pages, announced, tail);
}

// Never ends and never writes: the library is busy for good.
const std::string kEndlessJob = Job(1, 2, "{ } loop\n");
// Never ends, and writes pages as fast as it can.
const std::string kPageFloodJob = Job(1, 0, "{ 72 600 moveto (again) show showpage } loop\n");
constexpr char kOlderPdf[] = "%PDF-1.4 the user's older file";

class ConverterProcess : public ::testing::Test {
protected:
    void SetUp() override { FOLIMAR_REQUIRE_GHOSTSCRIPT(); }

    // Renders on a thread of its own, so that a render that never returned fails the test
    // instead of hanging it; whileRunning runs meanwhile.
    TRenderEnd RenderBounded(TConverterProcess& converter, const std::string& ps, const std::string& pdf, int& pages,
                             const std::function<void()>& whileRunning = {})
    {
        TRenderEnd end = TRenderEnd::Failed;
        WorkThread render([&] { end = converter.Render(ps, pdf, pages, fault_); });
        if (whileRunning)
            whileRunning();
        if (!render.Wait(120000)) {
            ADD_FAILURE() << "the render did not return";
            ::SetEvent(stop_.get());
        }
        render.Join();
        return end;
    }

    // Waits (bounded) until the file at path holds bytes: the render has begun.
    static bool WaitForBytes(const std::string& path)
    {
        for (int i = 0; i < 600; ++i) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0)
                return true;
            ::Sleep(100);
        }
        return false;
    }

    TempDir dir_;
    TRenderFault fault_; // of the last RenderBounded
    win::UniqueHandle stop_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

TEST_F(ConverterProcess, OneProcessRendersJobAfterJobAndCountsTheirPages)
{
    TConverterProcess converter({ConverterBesideProgram(), stop_.get()});
    for (int pages : {3, 1, 2}) {
        SCOPED_TRACE(pages);
        const std::string ps = dir_ / "job.ps";
        const std::string pdf = dir_ / ("out" + std::to_string(pages) + ".pdf");
        ASSERT_TRUE(WriteFileBytes(ps, Job(pages, pages)));
        int counted = -1;
        EXPECT_EQ(RenderBounded(converter, ps, pdf, counted), TRenderEnd::Rendered)
            << ConverterBesideProgram() << " started: " << converter.StartError();
        EXPECT_EQ(counted, pages);
        EXPECT_EQ(testing_support::PdfInfoField(pdf, "Pages"), std::to_string(pages));
    }
    EXPECT_EQ(converter.StartError(), static_cast<DWORD>(ERROR_SUCCESS));
    const std::string broken = dir_ / "broken.ps";
    ASSERT_TRUE(WriteFileBytes(broken, "%!PS\n/nosuchoperator foo\n"));
    int counted = -1;
    EXPECT_EQ(RenderBounded(converter, broken, dir_ / "broken.pdf", counted), TRenderEnd::Failed);
    EXPECT_EQ(fault_.gsError, "undefined: foo") << "Ghostscript's words came across";
}

// Keeps every page reported, in order.
class PageRecord final : public TPageSink {
public:
    void Report(int page) noexcept override { pages.push_back(page); }
    std::vector<int> pages;
};

TEST_F(ConverterProcess, PagesReachTheCallerAsTheyAreRendered)
{
    PageRecord record;
    TConverterProcess converter({ConverterBesideProgram(), stop_.get(), TDiskMargin{}, &record});
    const std::string ps = dir_ / "job.ps";
    ASSERT_TRUE(WriteFileBytes(ps, Job(3, 3)));
    int counted = -1;
    ASSERT_EQ(RenderBounded(converter, ps, dir_ / "out.pdf", counted), TRenderEnd::Rendered);
    EXPECT_EQ(counted, 3);
    ASSERT_FALSE(record.pages.empty());
    // Each page in turn, as the single-job window shows them.
    std::vector<int> numbered;
    for (int page : record.pages)
        if (page > 0)
            numbered.push_back(page);
    EXPECT_EQ(numbered, (std::vector<int>{1, 2, 3}));
}

TEST_F(ConverterProcess, AStopEndsARenderThatNeverEndsAndTheNextJobGetsANewProcess)
{
    TConverterProcess converter({ConverterBesideProgram(), stop_.get()});
    const std::string endless = dir_ / "endless.ps";
    const std::string pdf = dir_ / "endless.pdf";
    ASSERT_TRUE(WriteFileBytes(endless, kPageFloodJob));
    int pages = 0;
    DWORD stoppedAt = 0;
    const TRenderEnd end = RenderBounded(converter, endless, pdf, pages, [&] {
        EXPECT_TRUE(WaitForBytes(pdf)) << "the render began";
        stoppedAt = ::GetTickCount();
        ::SetEvent(stop_.get());
    });
    const DWORD tookMs = ::GetTickCount() - stoppedAt;
    EXPECT_EQ(end, TRenderEnd::Stopped);
    std::printf("the render returned %lu ms after the stop\n", static_cast<unsigned long>(tookMs));
    // The process has ended: nothing holds or grows the file any more.
    EXPECT_TRUE(::DeleteFileA(pdf.c_str())) << ::GetLastError();

    ::ResetEvent(stop_.get());
    const std::string ps = dir_ / "next.ps";
    ASSERT_TRUE(WriteFileBytes(ps, Job(2, 2)));
    EXPECT_EQ(RenderBounded(converter, ps, dir_ / "next.pdf", pages), TRenderEnd::Rendered);
    EXPECT_EQ(pages, 2);
}

TEST_F(ConverterProcess, ARenderThatLeavesLessThanTheMarginFreeIsEndedAsDiskFull)
{
    // All the free space is the margin: the first bytes written end the render.
    TConverterProcess converter({ConverterBesideProgram(), stop_.get(), {UINT64_MAX, 1}});
    const std::string flood = dir_ / "flood.ps";
    ASSERT_TRUE(WriteFileBytes(flood, kPageFloodJob));
    int pages = 0;
    EXPECT_EQ(RenderBounded(converter, flood, dir_ / "flood.pdf", pages), TRenderEnd::DiskFull);
}

// The temporary folder the converters' scratch folders are made in, ending in a backslash.
std::string TempBase()
{
    char base[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathA(MAX_PATH, base);
    return std::string(base, n <= MAX_PATH ? n : 0);
}

// The names of the working folders in the temporary folder.
std::vector<std::string> WorkFolders()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    win::FindHandle find(::FindFirstFileA((TempBase() + "folimar-*").c_str(), &found));
    if (find) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                names.push_back(found.cFileName);
        } while (::FindNextFileA(find.get(), &found));
    }
    return names;
}

TEST_F(ConverterProcess, ItsScratchFilesGoWithItAndThoseOfKilledConvertersAtTheNextStart)
{
    const std::string base = TempBase();
    ASSERT_FALSE(base.empty());
    // A folder of a run that is gone (no process has this id), and one of a run that goes on.
    const std::string dead = win::RunFileName("folimar-", {4000000000u, 1}, 1, "");
    const std::string live = win::RunFileName("folimar-", win::CurrentRun(), 4000000000u, "");
    for (const std::string& folder : {dead, live}) {
        ASSERT_TRUE(::CreateDirectoryA((base + folder).c_str(), nullptr)) << folder;
        ASSERT_TRUE(WriteFileBytes(base + folder + "\\gs_scratch", "scratch"));
    }
    const std::vector<std::string> before = WorkFolders();

    TConverterProcess converter({ConverterBesideProgram(), stop_.get()});
    const std::string flood = dir_ / "flood.ps";
    ASSERT_TRUE(WriteFileBytes(flood, kPageFloodJob));
    std::string own;
    int pages = 0;
    const TRenderEnd end = RenderBounded(converter, flood, dir_ / "flood.pdf", pages, [&] {
        // Ghostscript keeps its scratch files in the converter's own folder.
        for (int i = 0; i < 600 && own.empty(); ++i, ::Sleep(100))
            for (const std::string& name : WorkFolders())
                if (std::count(before.begin(), before.end(), name) == 0 && !FileNamesIn(base + name).empty())
                    own = name;
        EXPECT_FALSE(own.empty()) << "no scratch files in a folder of the converter's own";
        ::SetEvent(stop_.get());
    });
    EXPECT_EQ(end, TRenderEnd::Stopped);
    const std::vector<std::string> after = WorkFolders();
    EXPECT_EQ(std::count(after.begin(), after.end(), own), 0) << own << ": the stopped converter's folder stays";
    EXPECT_EQ(std::count(after.begin(), after.end(), dead), 0) << "the dead run's folder stays";
    EXPECT_EQ(std::count(after.begin(), after.end(), live), 1) << "the live run's folder is gone";
    EXPECT_EQ(std::count(before.begin(), before.end(), dead), 1);
    win::RemoveTree(base + live + "\\");
}

TEST_F(ConverterProcess, WithoutTheConverterEveryRenderFailsAndSaysWhy)
{
    TConverterProcess converter({dir_ / "no-such-converter.exe", stop_.get()});
    const std::string ps = dir_ / "job.ps";
    ASSERT_TRUE(WriteFileBytes(ps, Job(1, 1)));
    int pages = 0;
    EXPECT_EQ(converter.Render(ps, dir_ / "out.pdf", pages, fault_), TRenderEnd::Failed);
    EXPECT_NE(converter.StartError(), static_cast<DWORD>(ERROR_SUCCESS));
}

// Through the conversion core, as the batch converts: what ends a render keeps the older PDF and
// leaves no temporary file.
TEST_F(ConverterProcess, ThroughTheCoreAFailedStoppedOrCutRenderKeepsTheOlderPdf)
{
    struct Case {
        const char* name;
        std::string job;
        TDiskMargin margin;
        bool stopWhileRendering;
        TConvertReason reason;
    } cases[] = {
        {"cut during page 4 of 5",
         Job(3, 5, "%%Page: 4 4\n72 700 moveto (page 4) show\n"),
         {},
         false,
         TConvertReason::PagesMissing},
        {"never ends, stopped", kEndlessJob, {}, true, TConvertReason::Cancelled},
        {"fills the disk", kPageFloodJob, {UINT64_MAX, 1}, false, TConvertReason::DiskFull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::ResetEvent(stop_.get());
        TConverterProcess converter({ConverterBesideProgram(), stop_.get(), c.margin});
        const std::string job = dir_ / "job.ps";
        const std::string pdf = dir_ / "keep.pdf";
        ASSERT_TRUE(WriteFileBytes(job, c.job));
        ASSERT_TRUE(WriteFileBytes(pdf, kOlderPdf));
        TConvertRequest request{job, pdf, TDocInfoPlace::AppendToJob};
        request.renderer = &converter;
        request.stop = stop_.get();
        TPdfConversion conversion(std::move(request));
        TConvertOutcome outcome;
        WorkThread run([&] { outcome = conversion.Run(); });
        if (c.stopWhileRendering) {
            // The render is under way once its temporary PDF is there.
            bool seen = false;
            for (int i = 0; i < 600 && !seen; ++i, ::Sleep(100))
                for (const std::string& name : FileNamesIn(dir_.path()))
                    seen = seen || name.ends_with(".pdf.tmp");
            EXPECT_TRUE(seen);
            ::SetEvent(stop_.get());
        }
        run.Join();
        EXPECT_EQ(outcome.reason, c.reason);
        if (c.reason == TConvertReason::PagesMissing) {
            EXPECT_EQ(outcome.pagesFound, 3);
            EXPECT_EQ(outcome.pagesAnnounced, 5);
        }
        EXPECT_EQ(ReadFileBytes(pdf), kOlderPdf);
        EXPECT_EQ(FileNamesIn(dir_.path()), (std::vector<std::string>{"job.ps", "keep.pdf"}));
    }
}

} // namespace
