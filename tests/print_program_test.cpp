// The print programs a batch starts: what they leave running is ended with them, the note that
// lets a later start end the program of a killed batch, and the names they are given.
#include "tests/gtest_win.h"

#include "batch/pipeline/print_commands.h"
#include "batch/pipeline/print_program_record.h"
#include "batch/rules/print_program_note.h"
#include "files/code_pages.h"
#include "files/folders.h"
#include "files/small_file.h"
#include "tests/print_app_stub.h"
#include "tests/temp_dir.h"

#include <string>

using namespace folimar;
using testing_support::ReadFileBytes;
using testing_support::StubProgram;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

namespace {

TEST(PrintProgramNote, ReadsOnlyWhatItWrites)
{
    const TPrintProgramNote note{4242, 133456789012345678ull};
    EXPECT_EQ(FormatPrintProgramNote(note), "4242 133456789012345678");
    EXPECT_EQ(ParsePrintProgramNote(FormatPrintProgramNote(note)), note);
    struct Case {
        const char* text;
        std::optional<TPrintProgramNote> expected;
    } cases[] = {
        {"4242 133456789012345678\r\n", note},
        {"4242 133456789012345678\n", note},
        {"1 1", TPrintProgramNote{1, 1}},
        {"", std::nullopt},
        {"4242", std::nullopt},
        {"4242 ", std::nullopt},
        {"4242  133456789012345678", std::nullopt},
        {" 4242 133456789012345678", std::nullopt},
        {"4242 133456789012345678 7", std::nullopt},
        {"-4242 133456789012345678", std::nullopt},
        {"0 133456789012345678", std::nullopt},
        {"4242 0", std::nullopt},
        {"4294967296 1", std::nullopt}, // no process id
        {"4242 18446744073709551616", std::nullopt},
        {"42x2 1", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParsePrintProgramNote(c.text), c.expected) << '"' << c.text << '"';
}

// A print program's process is watched through a named mutex it owns: ended early, it leaves the
// mutex abandoned.
class PrintProgram : public testing::Test {
protected:
    std::string mutexName_ = "FolimarPrintProgramTest" + std::to_string(::GetCurrentProcessId()) + "-" +
                             testing::UnitTest::GetInstance()->current_test_info()->name();

    // Waits up to 30 s for the mutex to exist and opens it.
    win::UniqueHandle OpenHeldMutex()
    {
        for (int i = 0; i < 300; ++i) {
            win::UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, mutexName_.c_str()));
            if (mutex)
                return mutex;
            ::Sleep(100);
        }
        ADD_FAILURE() << "the print program never took its mutex";
        return {};
    }

    // Whether the holder of the mutex ended before its 60 s were over.
    static bool HolderWasEnded(HANDLE mutex)
    {
        const DWORD waited = ::WaitForSingleObject(mutex, 30000);
        if (waited == WAIT_ABANDONED || waited == WAIT_OBJECT_0)
            ::ReleaseMutex(mutex);
        return waited == WAIT_ABANDONED;
    }
};

TEST_F(PrintProgram, WhatItLeftRunningEndsWithIt)
{
    TPrintProcess app;
    ASSERT_TRUE(StartPrintCommand("\"" + StubProgram() + "\" spawn " + mutexName_ + " \"" + StubProgram() + "\"", app))
        << ::GetLastError();
    ASSERT_TRUE(app.job) << "no job object holds the print program";
    const win::UniqueHandle mutex = OpenHeldMutex();
    ASSERT_TRUE(mutex);
    // The print program itself has ended by now; its child runs on.
    ASSERT_EQ(::WaitForSingleObject(app.process.get(), 30000), WAIT_OBJECT_0);
    EndPrintCommand(app, false);
    EXPECT_FALSE(app.job);
    EXPECT_TRUE(HolderWasEnded(mutex.get())) << "the child of the print program still runs";
}

TEST_F(PrintProgram, OnlyTheSameProcessIsEndedByItsIdAndCreationTime)
{
    TPrintProcess app;
    ASSERT_TRUE(StartPrintCommand("\"" + StubProgram() + "\" hold " + mutexName_, app)) << ::GetLastError();
    const win::UniqueHandle mutex = OpenHeldMutex();
    ASSERT_TRUE(mutex);
    FILETIME later = app.created;
    later.dwLowDateTime += 1;
    EXPECT_FALSE(EndProcessIfSame(app.processId, later)) << "a process that took the id later";
    EXPECT_EQ(::WaitForSingleObject(app.process.get(), 0), WAIT_TIMEOUT);
    EXPECT_TRUE(EndProcessIfSame(app.processId, app.created));
    EXPECT_TRUE(HolderWasEnded(mutex.get()));
    EndPrintCommand(app, false);
}

TEST_F(PrintProgram, AKilledBatchsProgramIsEndedAtTheNextStartFromItsNote)
{
    TempDir dir;
    const std::string note = dir / "~printprog.tmp";
    TPrintProcess app;
    ASSERT_TRUE(StartPrintCommand("\"" + StubProgram() + "\" hold " + mutexName_, app)) << ::GetLastError();
    const win::UniqueHandle mutex = OpenHeldMutex();
    ASSERT_TRUE(mutex);
    {
        const TPrintProgramRecord record(note, app);
        ASSERT_TRUE(FileExists(note));
        // What a killed batch leaves: the note, which its end would have removed.
        ASSERT_TRUE(::CopyFileA(note.c_str(), (note + ".kept").c_str(), FALSE));
    }
    EXPECT_FALSE(FileExists(note)) << "the note outlived its print program";
    ASSERT_TRUE(::MoveFileA((note + ".kept").c_str(), note.c_str()));
    // The program holds no job object of ours any more: only the note can end it.
    app.job.reset();
    EndPrintProgramAfterLostBatch(note);
    EXPECT_TRUE(HolderWasEnded(mutex.get()));
    EXPECT_FALSE(FileExists(note));
    EndPrintCommand(app, false);
}

TEST(PrintProgramNotes, ANoteOfNoProcessOrOfNothingIsRemovedAndEndsNothing)
{
    TempDir dir;
    const std::string note = dir / "~printprog.tmp";
    for (const char* text : {"", "garbage", "4242 1"}) {
        ASSERT_TRUE(WriteFileBytes(note, text));
        EndPrintProgramAfterLostBatch(note);
        EXPECT_FALSE(FileExists(note)) << text;
    }
    EndPrintProgramAfterLostBatch(note); // no note: nothing to do
}

// The program runs with UTF-8 as its ANSI code page (the manifest): a print program without one
// reads its command line in the legacy code page and would get "?" for what that lacks.
TEST(NameForPrintProgram, ANameTheLegacyCodePageLacksGoesAsItsShortName)
{
    ASSERT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8)) << "the test program has no UTF-8 manifest";
    TempDir dir;
    for (const char* name : {"letter.txt", "Sales 100%.txt", "Caf\xC3\xA9 cr\xC3\xA8me.txt"}) {
        const std::string path = dir / name;
        ASSERT_TRUE(WriteFileBytes(path, "x"));
        EXPECT_EQ(NameForPrintProgram(path), path) << name;
    }
    for (const char* name : {"\xCE\xA9mega.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt"}) {
        const std::string path = dir / name;
        ASSERT_TRUE(WriteFileBytes(path, name));
        const std::optional<std::string> given = NameForPrintProgram(path);
        ASSERT_TRUE(given) << name;
        EXPECT_NE(*given, path);
        EXPECT_TRUE(FitsLegacyAnsiCodePage(*given)) << *given;
        EXPECT_EQ(ReadFileBytes(*given), name) << *given << " is not the document";
    }
    EXPECT_EQ(NameForPrintProgram(dir / "\xCE\xA9 gone.txt"), std::nullopt) << "a missing file has no short name";
}

} // namespace
