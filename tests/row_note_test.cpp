// The row note that tells a batch row's job from others where the port cannot see the printing
// program: the document-name rule, the note's text, and the note's file while a row prints.
#include "tests/gtest_win.h"

#include "base/printer_constants.h"
#include "batch/pipeline/job_token.h"
#include "batch/rules/spool_job_rules.h"
#include "files/small_file.h"
#include "port/batch_job.h"
#include "port/row_note.h"
#include "tests/temp_dir.h"

#include <optional>
#include <string>
#include <vector>

using namespace porttool;
using testing_support::FileNamesIn;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

const std::string kToken = JobToken(BatchObjectName(0x1c, 0x2f), 3);

// Names as programs give their jobs, against the file they printed.
TEST(RowJobName, MatchesTheNamesProgramsGiveAFileAndNothingElse)
{
    struct Case {
        const char* document;
        const char* file;
        bool matches;
    } cases[] = {
        {"letter.txt", "letter.txt", true},
        {"LETTER.TXT", "letter.txt", true},
        {"letter.txt - Notepad", "letter.txt", true},
        {"Notepad - letter.txt", "letter.txt", true},
        {"Printing letter.txt (2 pages)", "letter.txt", true},
        {"C:\\Users\\me\\Documents\\letter.txt", "letter.txt", true},
        {"Letter", "letter.txt", true},
        {"letter - Notepad", "letter.txt", true},
        {"Microsoft Word - letter", "letter.txt", true},
        {"*letter - Notepad", "letter.txt", true},
        {"\"letter\" - Editor", "letter.txt", true},
        {"Printing: letter", "letter.txt", true},
        {"C:\\docs\\letter", "letter.txt", true},
        {"letter \xE2\x80\x93 Viewer", "letter.txt", true},
        {"Minutes - March - Notepad", "Minutes - March.txt", true},
        {"report.final - Word", "report.final.doc", true},
        {"a - Notepad", "a.txt", true},
        {"README", "README", true},
        // Non-ASCII names in UTF-8, as the spooler's name arrives.
        {"\xCE\xA9mega.txt - Notepad", "\xCE\xA9mega.txt", true},
        {"\xE6\x97\xA5\xE6\x9C\xAC \xE2\x80\x94 Viewer", "\xE6\x97\xA5\xE6\x9C\xAC.txt", true},
        {"Caf\xC3\xA9", "caf\xC3\xA9.txt", true},
        // 8.3 short names, as a program handed one shows it.
        {"LETTER~1.TXT", "LETTER~1.TXT", true},
        {"letter~1 - Notepad", "LETTER~1.TXT", true},
        // Other programs' jobs while a row prints.
        {"a letter", "a.txt", false},
        {"A Letter - Notepad", "a.txt", false},
        {"Quarterly report", "report.txt", false},
        {"Private letter", "letter.txt", false},
        {"letters - Notepad", "letter.txt", false},
        {"letter2.txt", "letter.txt", false},
        {"data.txt", "a.txt", false},
        {"Untitled - Notepad", "letter.txt", false},
        {"LETTER~2.TXT", "LETTER~1.TXT", false},
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E - Notepad", "\xE6\x97\xA5\xE6\x9C\xAC.txt", false},
        {"\xC3\xA9t\xC3\xA9.txt", "t\xC3\xA9.txt", false},
        {"", "letter.txt", false},
        {"letter.txt", "", false},
        {"Notepad", ".txt", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DocumentNameMatches(c.document, c.file), c.matches) << '"' << c.document << "\" for " << c.file;
}

TEST(RowJobName, AnyOfTheNotesNamesMakesTheRowsJob)
{
    const TRowNote note{kToken, {"\xCE\xA9mega plan.txt", "OMEGAP~1.TXT"}};
    EXPECT_TRUE(IsRowJob(note, "\xCE\xA9mega plan - Notepad"));
    EXPECT_TRUE(IsRowJob(note, "OMEGAP~1.TXT - Notepad"));
    EXPECT_FALSE(IsRowJob(note, "Omega plan - Notepad")) << "another file's name";
    EXPECT_FALSE(IsRowJob({kToken, {}}, "letter.txt"));
}

TEST(RowNoteText, IsTheTokenThenEachNameAndReadsBack)
{
    const TRowNote note{kToken, {"\xCE\xA9mega plan.txt", "OMEGAP~1.TXT"}};
    EXPECT_EQ(RowNoteText(note), kToken + "\n\xCE\xA9mega plan.txt\nOMEGAP~1.TXT");
    EXPECT_EQ(ParseRowNote(RowNoteText(note)), note);
    const TRowNote single{kToken, {"letter.txt"}};
    EXPECT_EQ(ParseRowNote(RowNoteText(single)), single);

    struct Case {
        const char* what;
        std::string text;
    } refused[] = {
        {"empty", ""},
        {"a token without names", kToken},
        {"a token and an empty name", kToken + "\n"},
        {"an empty name between", kToken + "\na.txt\n\nb.txt"},
        {"no batch's token", "FOLIMAR_MUTEX/3\nletter.txt"},
        {"a name where the token goes", "letter.txt\nletter.txt"},
        {"more names than a row gives", kToken + "\na\nb\nc\nd\ne"},
    };
    for (const Case& c : refused)
        EXPECT_EQ(ParseRowNote(c.text), std::nullopt) << c.what;
}

TEST(RowNoteFor, NamesTheDocumentAndTheShortNameItsProgramGets)
{
    struct Case {
        const char* document;
        const char* printed;
        std::vector<std::string> names;
    } cases[] = {
        {"C:\\docs\\letter.txt", "C:\\docs\\letter.txt", {"letter.txt"}},
        {"C:\\docs\\\xCE\xA9mega.txt", "C:\\docs\\OMEGA~1.TXT", {"\xCE\xA9mega.txt", "OMEGA~1.TXT"}},
        {"C:\\docs\\Long name.txt", "C:\\DOCS\\LONG NAME.TXT", {"Long name.txt"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(folimar::RowNoteFor(kToken, c.document, c.printed), (TRowNote{kToken, c.names})) << c.document;
}

// The note's file in the spool folder while a row prints.
TEST(RowNoteScope, KeepsTheWholeNoteWhileTheRowPrintsAndRemovesIt)
{
    TempDir dir;
    ASSERT_TRUE(dir.valid());
    const std::string note = dir / folimar::kRowNoteFileName;
    ASSERT_TRUE(WriteFileBytes(note, "a killed batch's note"));
    const TRowNote row{kToken, {"letter.txt"}};
    {
        const folimar::TRowNoteScope scope(dir.path(), row);
        ASSERT_TRUE(scope.Written());
        EXPECT_EQ(ReadFileBytes(note), RowNoteText(row)) << "an older note is replaced";
        EXPECT_EQ(FileNamesIn(dir.path()), std::vector<std::string>{folimar::kRowNoteFileName})
            << "no temporary file is left";
    }
    EXPECT_TRUE(FileNamesIn(dir.path()).empty()) << "the note goes with the row";

    // A spool folder removed meanwhile is made again.
    const std::string spool = dir / "QUORPSFILES\\TEMP\\";
    {
        const folimar::TRowNoteScope scope(spool, row);
        EXPECT_TRUE(scope.Written());
        EXPECT_EQ(ReadFileBytes(spool + folimar::kRowNoteFileName), RowNoteText(row));
    }
    EXPECT_TRUE(FileNamesIn(spool).empty());

    // Where no folder can be: a file stands in the way.
    ASSERT_TRUE(WriteFileBytes(dir / "file", ""));
    const folimar::TRowNoteScope blocked(dir / "file\\", row);
    EXPECT_FALSE(blocked.Written());
    EXPECT_EQ(FileNamesIn(dir.path()), std::vector<std::string>{"file"});
}

TEST(ReplaceTextFile, FailsWithNothingLeftWhenTheTextCannotTakeThePlace)
{
    TempDir dir;
    ASSERT_TRUE(dir.valid());
    const std::string target = dir / "note.tmp";
    // A folder of that name cannot be replaced by a file.
    ASSERT_TRUE(::CreateDirectoryA(target.c_str(), nullptr));
    EXPECT_FALSE(folimar::ReplaceTextFile(target, "text"));
    EXPECT_NE(::GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << "what was there stays";
    EXPECT_TRUE(FileNamesIn(dir.path()).empty()) << "the temporary file is removed";
    EXPECT_NE(::GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
}

} // namespace
