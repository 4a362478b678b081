// The batch list's rules: size text, planned PDF paths and "New name" numbering, which files are
// taken and with which print command, status images; and the same on real files.
#include "tests/gtest_win.h"

#include "batch/window/batch_list_file.h"
#include "tests/temp_dir.h"
#include "win/handle.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using namespace folimar;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

TEST(SizeText, PicksTheUnitAndPadsToSix)
{
    struct Case {
        uint64_t size;
        const char* separator;
        const char* text;
    } cases[] = {
        {0, ".", "     0 B"},
        {1, ".", "     1 B"},
        {1023, ".", "  1023 B"},
        {1024, ".", "  1.00 K"},
        {1536, ",", "  1,50 K"},
        {1048575, ".", "1024.00 K"}, // rounds up past the width; the unit stays
        {1048576, ".", "  1.00 M"},
        {10 * 1048576 + 104858, ".", " 10.10 M"},
        {1073741824, ".", "1.00 G"},
        {5ull * 1073741824 + 536870912, ".", "5.50 G"}, // beyond 4 GiB: the high half counts
        {1099511627776ull, ",", "1024,00 G"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SizeText(c.size, c.separator), c.text) << c.size;
}

TEST(FileExtension, IsTheFileNameFromItsLastDot)
{
    struct Case {
        const char* path;
        const char* extension;
    } cases[] = {
        {"C:\\docs\\report.doc", ".doc"}, {"C:\\docs\\PAGE.PS", ".PS"},  {"C:\\docs\\archive.tar.gz", ".gz"},
        {"C:\\docs.old\\README", ""},     {"C:\\docs\\name.", "."},      {"C:\\docs\\.profile", ".profile"},
        {"report.doc", ".doc"},           {"C:/unix/style.txt", ".txt"}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileExtension(c.path), c.extension) << c.path;
}

// Paths taken on a pretend disk, and every path asked about.
struct PretendDisk {
    std::set<std::string> files;
    std::vector<std::string> asked;

    PathTakenFn Taken()
    {
        return [this](const std::string& path) {
            asked.push_back(path);
            return files.count(path) > 0;
        };
    }
};

TEST(MakeUniqueFileName, NumbersBeforeTheExtensionUntilAPathIsFree)
{
    struct Case {
        const char* what;
        std::set<std::string> files;
        const char* path;
        const char* result;
    } cases[] = {
        {"free", {}, "C:\\Out\\a.doc.pdf", "C:\\Out\\a.doc.pdf"},
        {"taken twice", {"C:\\Out\\a.doc.pdf", "C:\\Out\\a.doc1.pdf"}, "C:\\Out\\a.doc.pdf", "C:\\Out\\a.doc2.pdf"},
        {"the first gap wins", {"C:\\Out\\a.pdf", "C:\\Out\\a2.pdf"}, "C:\\Out\\a.pdf", "C:\\Out\\a1.pdf"},
        {"other names do not count", {"C:\\Out\\b.pdf", "C:\\Out\\a1.pdf"}, "C:\\Out\\a.pdf", "C:\\Out\\a.pdf"},
        {"no extension", {"C:\\Out\\notes"}, "C:\\Out\\notes", "C:\\Out\\notes1"},
        {"a dot in the folder is no extension", {"C:\\my.dir\\notes"}, "C:\\my.dir\\notes", "C:\\my.dir\\notes1"},
    };
    for (const Case& c : cases) {
        PretendDisk disk{c.files, {}};
        EXPECT_EQ(MakeUniqueFileName(c.path, disk.Taken()), c.result) << c.what;
    }
    PretendDisk disk{{"C:\\Out\\x.pdf", "C:\\Out\\x1.pdf", "C:\\Out\\x2.pdf"}, {}};
    MakeUniqueFileName("C:\\Out\\x.pdf", disk.Taken());
    EXPECT_EQ(disk.asked,
              (std::vector<std::string>{"C:\\Out\\x.pdf", "C:\\Out\\x1.pdf", "C:\\Out\\x2.pdf", "C:\\Out\\x3.pdf"}));
}

TEST(PlannedPdfPath, NumbersPastOtherRowsInBothModesAndPastTheDiskInNewNameMode)
{
    PretendDisk disk{{"C:\\Out\\a.doc.pdf", "C:\\Out\\a.doc1.pdf"}, {}};
    PretendDisk rows{{}, {}};
    EXPECT_EQ(PlannedPdfPath("C:\\Out\\", "a.doc", false, disk.Taken(), rows.Taken()), "C:\\Out\\a.doc2.pdf");
    disk.asked.clear();
    EXPECT_EQ(PlannedPdfPath("C:\\Out\\", "a.doc", true, disk.Taken(), rows.Taken()), "C:\\Out\\a.doc.pdf");
    EXPECT_TRUE(disk.asked.empty()); // "Overwrite" never looks at the disk
    // A folder written by hand without its backslash is joined as it is.
    EXPECT_EQ(PlannedPdfPath("C:\\Out", "report.doc", true, disk.Taken(), rows.Taken()), "C:\\Outreport.doc.pdf");

    // A namesake from another folder already in the list: never the same PDF, in either mode.
    PretendDisk planned{{"C:\\Out\\minutes.txt.pdf", "C:\\Out\\minutes.txt2.pdf"}, {}};
    PretendDisk empty{{}, {}};
    EXPECT_EQ(PlannedPdfPath("C:\\Out\\", "minutes.txt", true, empty.Taken(), planned.Taken()),
              "C:\\Out\\minutes.txt1.pdf");
    PretendDisk onDisk{{"C:\\Out\\minutes.txt1.pdf"}, {}};
    EXPECT_EQ(PlannedPdfPath("C:\\Out\\", "minutes.txt", false, onDisk.Taken(), planned.Taken()),
              "C:\\Out\\minutes.txt3.pdf");
}

TEST(FinalPdfPath, ChosenWhenWrittenNeverOverAPdfOfThisBatch)
{
    struct Case {
        const char* what;
        const char* planned;
        bool overwrite;
        std::set<std::string> disk;
        std::set<std::string> written;
        const char* result;
    } cases[] = {
        {"overwrite: an older PDF is replaced",
         "C:\\Out\\m.txt.pdf",
         true,
         {"C:\\Out\\m.txt.pdf"},
         {},
         "C:\\Out\\m.txt.pdf"},
        {"overwrite: a namesake's numbered plan stays",
         "C:\\Out\\m.txt1.pdf",
         true,
         {"C:\\Out\\m.txt1.pdf"},
         {},
         "C:\\Out\\m.txt1.pdf"},
        {"overwrite: not over a PDF this batch wrote",
         "C:\\Out\\m.txt.pdf",
         true,
         {"C:\\Out\\m.txt.pdf"},
         {"C:\\Out\\m.txt.pdf"},
         "C:\\Out\\m.txt1.pdf"},
        {"overwrite: the number skips files on the disk too",
         "C:\\Out\\m.txt.pdf",
         true,
         {"C:\\Out\\m.txt.pdf", "C:\\Out\\m.txt1.pdf"},
         {"C:\\Out\\m.txt.pdf"},
         "C:\\Out\\m.txt2.pdf"},
        {"new name: the disk now, not the plan",
         "C:\\Out\\m.txt.pdf",
         false,
         {"C:\\Out\\m.txt.pdf"},
         {},
         "C:\\Out\\m.txt1.pdf"},
        {"new name: a second run leaves the first run's PDFs",
         "C:\\Out\\m.txt1.pdf",
         false,
         {"C:\\Out\\m.txt.pdf", "C:\\Out\\m.txt1.pdf"},
         {},
         "C:\\Out\\m.txt2.pdf"},
        {"new name: a number planned earlier and free again",
         "C:\\Out\\m.txt3.pdf",
         false,
         {},
         {},
         "C:\\Out\\m.txt.pdf"},
    };
    for (const Case& c : cases) {
        PretendDisk disk{c.disk, {}};
        PretendDisk written{c.written, {}};
        EXPECT_EQ(FinalPdfPath(c.planned, "D:\\docs\\a\\m.txt", c.overwrite, disk.Taken(), written.Taken()), c.result)
            << c.what;
    }
}

TEST(StatusImages, BusyFramesRunRound)
{
    // From pending the animation runs 6..12 and round again; any other image restarts it.
    std::vector<int> frames;
    for (int image = kStatusPending, i = 0; i < 9; ++i)
        frames.push_back(image = NextBusyFrame(image));
    EXPECT_EQ(frames, (std::vector<int>{6, 7, 8, 9, 10, 11, 12, 6, 7}));
    for (int image : {0, 5, 13, 14})
        EXPECT_EQ(NextBusyFrame(image), 6) << image;
}

// A registry in memory keyed by extension, and Paint for images.
TPrintCommandInfo FakeLookup(std::string_view extension)
{
    if (extension == ".cpp")
        return {"C++ source", "", "", "", ""};
    if (extension == ".hpp")
        return {"C++ header", "ide.exe /print \"%1\"", "", "", ""};
    if (extension == ".txt")
        return {"Text Document", "notepad.exe /p \"%1\"", "[print(\"%1\")]", "Notepad", "System"};
    if (extension == ".png")
        return {"PNG image", "viewer.exe /p \"%1\"", "[p(\"%1\")]", "Viewer", "Print"};
    if (extension == ".doc")
        return {"Word document", "word.exe /p \"%1\"", "", "", ""};
    return {DefaultTypeDescription(extension), "", "", "", ""};
}

std::string FakePaint(std::string_view extension)
{
    return IsImageExtension(extension) ? "C:\\windows\\system32\\mspaint.exe /p \"%1\"" : "";
}

std::string NoPaint(std::string_view)
{
    return {};
}

TEST(PrintInfoForExtension, CombinesTheLookupPaintAndTextFallbacks)
{
    const std::string paint = "C:\\windows\\system32\\mspaint.exe /p \"%1\"";
    struct Case {
        const char* extension;
        bool paintExists;
        TPrintCommandInfo expected;
    } cases[] = {
        {".PS", true, {"ps file", ".ps", "", "", ""}},
        {".ps", true, {"ps file", ".ps", "", "", ""}},
        {".cpp", true, {"C++ source", "notepad.exe /p \"%1\"", "[print(\"%1\")]", "Notepad", "System"}},
        {".hpp", true, {"C++ header", "ide.exe /print \"%1\"", "", "", ""}},
        {".png", true, {"PNG image", paint, "[p(\"%1\")]", "Viewer", "Print"}},
        {".png", false, {"PNG image", "viewer.exe /p \"%1\"", "[p(\"%1\")]", "Viewer", "Print"}},
        {".xyz", true, {"xyz file", "", "", "", ""}},
        {".text", true, {"text file", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        ImageCommandFn image = c.paintExists ? ImageCommandFn(FakePaint) : ImageCommandFn(NoPaint);
        EXPECT_EQ(PrintInfoForExtension(c.extension, FakeLookup, image), c.expected)
            << c.extension << " paint=" << c.paintExists;
    }
}

TEST(PlanBatchEntry, RefusesWhatCannotBeConvertedAndFillsAllEightFields)
{
    TBatchListContext context{"C:\\Out\\", false, ",", FakeLookup, FakePaint, nullptr, nullptr};
    PretendDisk disk{{"C:\\Out\\report.doc.pdf"}, {}};
    PretendDisk rows{{}, {}};
    context.onDisk = disk.Taken();
    context.plannedByOtherRow = rows.Taken();

    const TFileFacts file{true, false, 2048};
    struct Refused {
        const char* what;
        const char* path;
        TFileFacts facts;
        const char* reason;
    } refused[] = {
        {"unreadable", "C:\\in\\report.doc", {false, false, 0}, "cannot be read"},
        {"a folder", "C:\\in\\folder.doc", {true, true, 4096}, "a folder"},
        {"empty", "C:\\in\\empty.doc", {true, false, 0}, "empty"},
        {"no extension", "C:\\in.d\\README", file, "no file type (the name has no extension)"},
        {"no print command", "C:\\in\\data.xyz", file, "no program can print .xyz files"},
    };
    for (const Refused& r : refused) {
        TRefusal refusal = TRefusal::None;
        EXPECT_FALSE(PlanBatchEntry(r.path, r.facts, context, &refusal)) << r.what;
        EXPECT_EQ(RefusalText(refusal, FileExtension(r.path)), r.reason) << r.what;
    }

    std::optional<TBatchEntry> entry = PlanBatchEntry("C:\\in\\report.doc", file, context);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->caption, "report.doc");
    EXPECT_EQ(entry->fields,
              (std::array<std::string, kEntryFieldCount>{"  2,00 K", "C:\\Out\\report.doc1.pdf", "Word document",
                                                         "word.exe /p \"%1\"", "", "", "", "C:\\in\\report.doc"}));
    EXPECT_EQ(entry->image, kImageConvertible);
    EXPECT_EQ(entry->status, kStatusPending);

    std::optional<TBatchEntry> ps = PlanBatchEntry("C:\\in\\PAGE.PS", {true, false, 5}, context);
    ASSERT_TRUE(ps);
    EXPECT_EQ(ps->fields[kFieldPrintCommand], ".ps");
    EXPECT_EQ(ps->fields[kFieldDescription], "ps file");
    EXPECT_EQ(ps->fields[kFieldSize], "     5 B");
}

TEST(IsConvertible, NeedsAReadableNonEmptyFileWithExtensionAndCommand)
{
    const TFileFacts file{true, false, 1};
    EXPECT_TRUE(IsConvertible(file, ".doc", "w.exe \"%1\""));
    EXPECT_FALSE(IsConvertible(file, ".doc", ""));
    EXPECT_FALSE(IsConvertible(file, "", "w.exe \"%1\""));
    EXPECT_FALSE(IsConvertible({true, false, 0}, ".doc", "w.exe \"%1\""));
    EXPECT_FALSE(IsConvertible({true, true, 1}, ".doc", "w.exe \"%1\""));
    EXPECT_FALSE(IsConvertible({false, false, 1}, ".doc", "w.exe \"%1\""));
}

// text in the ANSI code page, as the program's paths are.
std::string Ansi(const char16_t* text)
{
    const auto wide = reinterpret_cast<LPCWSTR>(text);
    const int n = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n > 0 ? n : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi.data(), n, nullptr, nullptr);
    ansi.resize(ansi.size() - 1);
    return ansi;
}

TEST(SameDocument, ComparesWholePathsAsTheFileSystemComparesNames)
{
    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool same;
    } cases[] = {
        {u"C:\\In\\Report.DOC", u"c:\\in\\report.doc", true},
        {u"C:\\in\\report.doc", u"D:\\in\\report.doc", false}, // same name, other folder
        {u"C:\\in\\report.doc", u"C:\\in\\report.doc ", false},
        // Letters beyond ASCII have a case too.
        {u"C:\\Out\\\u00C4rger.txt.pdf", u"C:\\Out\\\u00E4rger.txt.pdf", true},
        {u"C:\\Out\\\u00C9T\u00C9.pdf", u"c:\\out\\\u00E9t\u00E9.PDF", true},
        // Other letters stay other letters: no accent is dropped.
        {u"C:\\Out\\\u00E4rger.txt.pdf", u"C:\\Out\\arger.txt.pdf", false},
        {u"C:\\Out\\stra\u00DFe.pdf", u"C:\\Out\\strasse.pdf", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameDocument(Ansi(c.a), Ansi(c.b)), c.same) << Ansi(c.a) << " / " << Ansi(c.b);
}

TEST(NamesakesInCase, TwoDocumentsWhoseNamesDifferOnlyInANonAsciiLettersCaseNeverShareOnePdf)
{
    // "Ärger.txt" from one folder is in the list, "ärger.txt" from another comes: "Overwrite".
    const std::string first = Ansi(u"C:\\Out\\\u00C4rger.txt.pdf");
    const std::vector<std::string> rows = {first};
    const PathTakenFn plannedByOtherRow = [&](const std::string& path) {
        return std::any_of(rows.begin(), rows.end(), [&](const std::string& row) { return SameDocument(row, path); });
    };
    const PathTakenFn nothing = [](const std::string&) { return false; };
    EXPECT_EQ(PlannedPdfPath("C:\\Out\\", Ansi(u"\u00E4rger.txt"), true, nothing, plannedByOtherRow),
              Ansi(u"C:\\Out\\\u00E4rger.txt1.pdf"));
    // When it is written, the first one's PDF of this batch is not replaced either.
    EXPECT_EQ(FinalPdfPath(Ansi(u"C:\\Out\\\u00E4rger.txt.pdf"), Ansi(u"D:\\b\\\u00E4rger.txt"), true, nothing,
                           plannedByOtherRow),
              Ansi(u"C:\\Out\\\u00E4rger.txt1.pdf"));
}

// The same on real files in a temporary folder of the test prefix.
class RealFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(in_.valid());
        ASSERT_TRUE(out_.valid());
    }
    TempDir in_;
    TempDir out_;
};

TEST_F(RealFiles, ReadsFactsAndNumbersAgainstTheDisk)
{
    ASSERT_TRUE(WriteFileBytes(in_ / "job.ps", "%!PS\nshowpage\n"));
    ASSERT_TRUE(WriteFileBytes(in_ / "empty.ps", ""));
    ASSERT_TRUE(::CreateDirectoryA((in_ / "folder.ps").c_str(), nullptr));

    TFileFacts job = ReadFileFacts(in_ / "job.ps");
    EXPECT_TRUE(job.readable);
    EXPECT_FALSE(job.folder);
    EXPECT_EQ(job.size, 14u);
    EXPECT_TRUE(ReadFileFacts(in_ / "folder.ps").folder);
    EXPECT_FALSE(ReadFileFacts(in_ / "missing.ps").readable);

    EXPECT_FALSE(ExamineFile(in_ / "empty.ps", out_.path(), false));
    EXPECT_FALSE(ExamineFile(in_ / "folder.ps", out_.path(), false));
    EXPECT_FALSE(ExamineFile(in_ / "missing.ps", out_.path(), false));

    std::optional<TBatchEntry> first = ExamineFile(in_ / "job.ps", out_.path(), false);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->fields[kFieldPdfPath], out_ / "job.ps.pdf");
    EXPECT_EQ(first->fields[kFieldPrintCommand], ".ps");
    EXPECT_EQ(first->fields[kFieldDocument], in_ / "job.ps");

    ASSERT_TRUE(WriteFileBytes(out_ / "job.ps.pdf", "%PDF"));
    ASSERT_TRUE(::CreateDirectoryA((out_ / "job.ps1.pdf").c_str(), nullptr)); // a folder takes the name too
    EXPECT_EQ(ExamineFile(in_ / "job.ps", out_.path(), false)->fields[kFieldPdfPath], out_ / "job.ps2.pdf");
    EXPECT_EQ(ExamineFile(in_ / "job.ps", out_.path(), true)->fields[kFieldPdfPath], out_ / "job.ps.pdf");
}

TEST_F(RealFiles, AddsATypeRegisteredInTheClassesRoot)
{
    const char* kExt = ".folimarlist";
    const char* kClass = "Folimar.ListDoc";
    auto setDefault = [](const std::string& path, const char* value) {
        win::RegKey key;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                    nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(::RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                   static_cast<DWORD>(strlen(value) + 1)),
                  ERROR_SUCCESS);
    };
    setDefault(kExt, kClass);
    setDefault(std::string(kClass) + "\\shell\\print\\command", "lister.exe /p \"%1\"");
    ASSERT_TRUE(WriteFileBytes(in_ / "notes.folimarlist", "hello"));

    std::optional<TBatchEntry> entry = ExamineFile(in_ / "notes.folimarlist", out_.path(), true);
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, kExt);
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, kClass);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->caption, "notes.folimarlist");
    EXPECT_EQ(entry->fields[kFieldDescription], "folimarlist file");
    EXPECT_EQ(entry->fields[kFieldPrintCommand], "lister.exe /p \"%1\"");
}

} // namespace
