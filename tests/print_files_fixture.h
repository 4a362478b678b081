// The print-files thread over a list, as a batch runs it, with a window, a stop, a job queue and
// row results of the test's own. Shared by the batch pipeline and batch conversion tests.
#pragma once

#include "batch/pipeline/job_queue.h"
#include "batch/pipeline/prnthread.h"
#include "batch/pipeline/row_results.h"
#include "files/folders.h"
#include "tests/batch_test_support.h"
#include "tests/gtest_win.h"
#include "tests/temp_dir.h"
#include "tests/test_window.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class PrintFilesFixture : public ::testing::Test {
protected:
    using Status = BatchStatus;

    explicit PrintFilesFixture(const char* windowClass) : window_(MakeTestWindow(windowClass)) {}
    ~PrintFilesFixture() override
    {
        // A test that failed half-way leaves no thread behind.
        ::SetEvent(stop_.get());
        if (thread_)
            thread_->WaitFor();
    }

    // What every run shares, for a new thread over entries: a new job queue, and the spool
    // folder made, as a batch makes it. The test adds its own fields and then Launch()es.
    folimar::TPrintFilesSetup Setup(std::vector<folimar::TBatchEntry> entries)
    {
        if (thread_)
            thread_->WaitFor();
        thread_.reset();
        jobs_ = std::make_unique<folimar::TJobQueue>();
        EXPECT_TRUE(folimar::CreateFolderPath(spool_));
        folimar::TPrintFilesSetup setup;
        setup.window = window_.get();
        setup.entries = std::move(entries);
        setup.spoolFolder = spool_;
        setup.stop = stop_.get();
        setup.jobs = jobs_.get();
        setup.results = &results_;
        return setup;
    }

    // A list entry; a document to print exists (the thread fails one that has gone), PostScript
    // ones are the test's to write.
    folimar::TBatchEntry Entry(const std::string& document, const std::string& command, const std::string& pdf)
    {
        if (command != folimar::kPostScriptCommand && !folimar::FileExists(document)) {
            EXPECT_TRUE(WriteFileBytes(document, "a document\r\n"));
        }
        folimar::TBatchEntry e;
        e.caption = document;
        e.fields[folimar::kFieldPrintCommand] = command;
        e.fields[folimar::kFieldDocument] = document;
        e.fields[folimar::kFieldPdfPath] = pdf;
        return e;
    }

    folimar::TPrintFilesThread& Launch(folimar::TPrintFilesSetup setup)
    {
        thread_ = std::make_unique<folimar::TPrintFilesThread>(std::move(setup));
        return *thread_;
    }

    // Serves messages until BATCH_FINISHED (or timeoutMs, a failure that stops the run), then
    // end(); onStatus sees each status as it comes.
    std::vector<Status> Collect(const std::function<void()>& end,
                                const std::function<void(const Status&)>& onStatus = {}, DWORD timeoutMs = 60000)
    {
        std::vector<Status> got;
        if (!CollectBatchStatuses(timeoutMs, got, onStatus)) {
            ADD_FAILURE() << "no BATCH_FINISHED within " << timeoutMs << " ms";
            ::SetEvent(stop_.get());
        }
        end();
        return got;
    }

    TempDir dir_;
    std::string folder_ = dir_.path() + "\\";
    std::string spool_ = folder_ + "spool\\";
    win::UniqueWindow window_;
    win::UniqueHandle stop_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::unique_ptr<folimar::TJobQueue> jobs_;
    folimar::TRowResults results_;
    std::unique_ptr<folimar::TPrintFilesThread> thread_;
};

} // namespace testing_support
