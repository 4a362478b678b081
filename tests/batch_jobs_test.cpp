// Which job a printed row takes, and how long it waits for one: the watcher's reports and the
// port's job-id files played by the test, over whole runs of the print-files thread.
#include "tests/gtest_win.h"

#include "base/printer_constants.h"
#include "batch/pipeline/job_queue.h"
#include "batch/pipeline/prnthread.h"
#include "files/folders.h"
#include "port/batch_job.h"
#include "port/row_note.h"
#include "tests/batch_test_support.h"
#include "tests/gs_available.h"
#include "tests/pdf_info.h"
#include "tests/print_app_stub.h"
#include "tests/print_files_fixture.h"
#include "tests/temp_dir.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace folimar;

using testing_support::FileNamesIn;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

namespace {

using Jobs = std::vector<std::pair<DWORD, LPARAM>>;

Jobs AddedAndFinished(std::initializer_list<DWORD> ids)
{
    Jobs jobs;
    for (DWORD id : ids) {
        jobs.emplace_back(id, JOB_ADDED);
        jobs.emplace_back(id, JOB_FINISHED);
    }
    return jobs;
}

class RowJobs : public testing_support::PrintFilesFixture {
protected:
    RowJobs() : PrintFilesFixture("FolimarRowJobsTest") {}

    // One printed document, letter.txt, whose PDF is pdf_.
    TPrintFilesThread& Make(const std::string& command, DWORD jobGraceMs, DWORD printLimitMs)
    {
        TPrintFilesSetup setup = Setup({Entry(folder_ + "letter.txt", command, pdf_)});
        setup.jobGraceMs = jobGraceMs;
        setup.printLimitMs = printLimitMs;
        setup.batchObject = batchObject_;
        setup.jobsFolder = jobs_folder_;
        setup.singleJobProgram = testing_support::StubProgram();
        return Launch(std::move(setup));
    }

    // Runs the thread, and pushes the reports once whenReady holds (polled after the row started).
    std::vector<Status> Run(TPrintFilesThread& thread, const std::function<bool()>& whenReady, const Jobs& reports,
                            DWORD timeoutMs = 60000)
    {
        DWORD error = 0;
        EXPECT_TRUE(thread.Start({}, error)) << error;
        return Collect([&] { thread.WaitFor(); },
                       [&](const Status& s) {
                           if (s.first != BATCH_ITEM_STARTED)
                               return;
                           for (int i = 0; i < 600 && !whenReady(); ++i)
                               ::Sleep(50);
                           for (const auto& [id, kind] : reports)
                               jobs_->Push({id, kind});
                       },
                       timeoutMs);
    }

    // The one row ended as expected: its statuses, its result and its PDF (made from the letter).
    std::optional<TRowResult> ExpectRow(const char* what, const std::vector<Status>& got, TRowFailure expected)
    {
        const bool made = expected == TRowFailure::None;
        EXPECT_EQ(got,
                  (std::vector<Status>{
                      {BATCH_ITEM_STARTED, 0}, {made ? BATCH_ITEM_DONE : BATCH_ITEM_FAILED, 0}, {BATCH_FINISHED, 0}}))
            << what;
        const std::optional<TRowResult> result = results_.Get(0);
        EXPECT_TRUE(result) << what;
        if (!result)
            return result;
        EXPECT_EQ(static_cast<int>(result->failure), static_cast<int>(expected))
            << what << ": " << RowFailureText(*result);
        EXPECT_EQ(FileExists(pdf_), made) << what;
        if (made) {
            EXPECT_EQ(testing_support::PdfInfoField(pdf_, "Title"), "Letter") << what;
            EXPECT_EQ(result->pdfPath, pdf_) << what;
        }
        return result;
    }

    // The jobs handed to single-job mode: each .ps file of the jobs folder with its content, once the
    // program started for it has recorded its command line.
    std::vector<std::string> HandedOver()
    {
        std::vector<std::string> contents;
        for (const std::string& name : FileNamesIn(jobs_folder_)) {
            if (name.size() < 3 || name.compare(name.size() - 3, 3, ".ps") != 0)
                continue;
            const std::string job = jobs_folder_ + name;
            for (int i = 0; i < 600 && !FileExists(job + ".args"); ++i)
                ::Sleep(50);
            const std::string stem = job.substr(0, job.size() - 3);
            const std::string args = ReadFileBytes(job + ".args");
            EXPECT_EQ(args.rfind("\"" + job + "\" \"" + kPrinterName + "\" \"" + stem + ".inf\" ", 0), 0u)
                << "started as the port starts it: " << args;
            EXPECT_TRUE(FileExists(stem + ".inf")) << "its companion file";
            contents.push_back(ReadFileBytes(job));
        }
        return contents;
    }

    void EmptyFolder(const std::string& folder)
    {
        for (const std::string& name : FileNamesIn(folder))
            ::DeleteFileA((folder + name).c_str());
    }

    std::string batchObject_ = porttool::BatchObjectName(::GetCurrentProcessId(), 1);
    std::string own_ = porttool::JobToken(batchObject_, 0);
    std::string pdf_ = folder_ + "letter.pdf";
    std::string jobs_folder_ = folder_ + "jobs\\";
    std::string letter_ = testing_support::PostScriptDocument("Letter", 2);
    std::string other_ = testing_support::PostScriptDocument("Somebody else's", 1);
};

// Only a job reported after the document's print started, whose file lies directly in the spool
// folder, and that carries the row's token, or no token as the first such job, makes its PDF.
// Every other job is another print: it goes to single-job mode, and the row waits on for its own.
TEST_F(RowJobs, OnlyTheRowsOwnJobMakesItsPdfAndOthersGoToSingleJobMode)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    const std::string ownJob = spool_ + "job-20261211-041500-29.~ps";
    const std::string anyName = spool_ + "captured letter 7.ps";
    const std::string otherJob = spool_ + "job-20261211-041459-28.~ps";
    const std::string userFile = folder_ + "private letter.txt";
    const std::string linked = spool_ + "linked.ps";
    const std::string below = spool_ + "sub\\job-20261211-041500-29.~ps";
    const std::string otherRow = porttool::JobToken(batchObject_, 7);
    struct Case {
        const char* what;
        Jobs before; // reported before the document's print started
        Jobs after;  // reported once its print program runs
        std::map<DWORD, porttool::TJobIdRecord> idFiles;
        TRowFailure result;
        bool otherHandedOver;
    } cases[] = {
        {"its own job", {}, AddedAndFinished({41}), {{41, {ownJob, own_}}}, TRowFailure::None, false},
        {"a port that writes the path alone, its file named any way",
         {},
         AddedAndFinished({41}),
         {{41, {anyName, ""}}},
         TRowFailure::None,
         false},
        {"an earlier row's late job, then its own",
         {},
         AddedAndFinished({40, 41}),
         {{40, {otherJob, otherRow}}, {41, {ownJob, own_}}},
         TRowFailure::None,
         true},
        {"another batch's job only",
         {},
         AddedAndFinished({40}),
         {{40, {otherJob, porttool::JobToken(porttool::BatchObjectName(1, 2), 0)}}},
         TRowFailure::NoJob,
         true},
        {"two jobs without a token: the first is the row's",
         {},
         AddedAndFinished({41, 40}),
         {{41, {ownJob, ""}}, {40, {otherJob, ""}}},
         TRowFailure::None,
         true},
        {"a job the port announced to no batch, then its own",
         {},
         AddedAndFinished({39, 41}),
         {{41, {ownJob, own_}}},
         TRowFailure::None,
         false},
        {"its job reported before its print started",
         AddedAndFinished({41}),
         {},
         {{41, {ownJob, own_}}},
         TRowFailure::NoJob,
         false},
        {"finished with no job added", {}, {{41, JOB_FINISHED}}, {{41, {ownJob, own_}}}, TRowFailure::NoJob, false},
        {"a job-id file naming a user's file",
         {},
         AddedAndFinished({41}),
         {{41, {userFile, own_}}},
         TRowFailure::JobRefused,
         false},
        {"a file below the spool folder",
         {},
         AddedAndFinished({41}),
         {{41, {below, ""}}},
         TRowFailure::JobRefused,
         false},
        {"a second name of a user's file in the spool folder",
         {},
         AddedAndFinished({41}),
         {{41, {linked, ""}}},
         TRowFailure::JobRefused,
         false},
    };
    const std::string started = folder_ + "started";
    // Prints nothing; tells the test that the print program runs, with the row note it found.
    const std::string command = "C:\\windows\\system32\\cmd.exe /c copy /y \"" + spool_ + kRowNoteFileName + "\" \"" +
                                started + "\" >nul & rem \"%1\"";
    for (const Case& c : cases) {
        ASSERT_TRUE(CreateFolderPath(spool_ + "sub\\"));
        for (const std::string& job : {ownJob, anyName, below})
            ASSERT_TRUE(WriteFileBytes(job, letter_));
        ASSERT_TRUE(WriteFileBytes(otherJob, other_));
        ASSERT_TRUE(WriteFileBytes(userFile, "Dear Sir"));
        ::DeleteFileA(linked.c_str());
        ASSERT_TRUE(::CreateHardLinkA(linked.c_str(), userFile.c_str(), nullptr));
        for (const auto& [id, record] : c.idFiles)
            ASSERT_TRUE(WriteFileBytes(spool_ + std::to_string(id), porttool::JobIdFileText(record)));
        ::DeleteFileA(started.c_str());
        ::DeleteFileA(pdf_.c_str());
        EmptyFolder(jobs_folder_);
        TPrintFilesThread& thread = Make(command, 3000, kPrintLimitSeconds * 1000);
        for (const auto& [id, kind] : c.before)
            jobs_->Push({id, kind});
        const auto got = Run(
            thread, [&] { return FileExists(started); }, c.after);
        EXPECT_EQ(ReadFileBytes(started), porttool::RowNoteText({own_, {"letter.txt"}})) << c.what;
        ExpectRow(c.what, got, c.result);
        EXPECT_EQ(HandedOver(), c.otherHandedOver ? std::vector<std::string>{other_} : std::vector<std::string>{})
            << c.what;
        EXPECT_EQ(ReadFileBytes(userFile), "Dear Sir") << c.what << ": a user's file stays as it was";
        EXPECT_EQ(ReadFileBytes(below), letter_) << c.what << ": nothing below the spool folder is touched";
        // The spool folder's files go after every printed document.
        EXPECT_EQ(FileNamesIn(spool_), std::vector<std::string>{}) << c.what;
    }
}

// The limit counts from the last sign of life: a print program that keeps working, or a job that
// keeps growing in the spool folder, is never ended for it; a print that shows none is, also once
// its job was added and then vanished without a finished report.
TEST_F(RowJobs, TheLimitCountsFromTheLastSignOfLife)
{
    FOLIMAR_REQUIRE_GHOSTSCRIPT();
    const std::string marker = folder_ + "printed";
    const std::string growing = spool_ + "job-20261211-041500-2a.~ps";
    const std::string stub = "\"" + testing_support::StubProgram() + "\"";
    struct Case {
        const char* what;
        std::string command;
        std::string readyFile; // the job is reported once this file exists: its print program runs
        Jobs reports;
        TRowFailure result;
    } cases[] = {
        {"a print program busy for longer than the limit", stub + " busy 6000 \"" + marker + "\" \"%1\"", marker,
         AddedAndFinished({41}), TRowFailure::None},
        {"a job growing in the spool folder for longer than the limit", stub + " grow \"" + growing + "\" 6000 \"%1\"",
         growing + ".done", AddedAndFinished({41}), TRowFailure::None},
        {"a job added that never finishes",
         "C:\\windows\\system32\\cmd.exe /c echo x >\"" + marker + "\" & rem \"%1\"",
         marker,
         {{41, JOB_ADDED}},
         TRowFailure::NotPrinted},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(CreateFolderPath(spool_));
        const std::string job = spool_ + "job-20261211-041500-29.~ps";
        ASSERT_TRUE(WriteFileBytes(job, letter_));
        ASSERT_TRUE(WriteFileBytes(spool_ + "41", porttool::JobIdFileText({job, own_})));
        ::DeleteFileA(marker.c_str());
        ::DeleteFileA(pdf_.c_str());
        // The grace after the program's end is longer than the test's patience: only the limit ends a row.
        TPrintFilesThread& thread = Make(c.command, 600000, 2500);
        const auto got = Run(
            thread, [&] { return FileExists(c.readyFile); }, c.reports, 30000);
        const std::optional<TRowResult> result = ExpectRow(c.what, got, c.result);
        if (result && !result->Made()) {
            EXPECT_EQ(RowFailureText(*result), "the print program showed no sign of printing for 3 s") << c.what;
        }
    }
}

} // namespace
