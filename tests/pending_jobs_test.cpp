// Jobs the port monitor kept for the program's next start: which files make a job, the order they
// are offered in, and the command line each gets.
#include "tests/gtest_win.h"

#include "app/arg_count.h"
#include "app/pending_jobs.h"
#include "port/pending_job.h"
#include "port/port_job.h"

#include <string>
#include <vector>

namespace {

using folimar::OrderPendingJobs;
using folimar::PendingJobCommandLine;
using folimar::TPendingJob;

TEST(PendingJobs, OnlyWholeJobsCountAndTheOldestComesFirst)
{
    const struct {
        const char* what;
        std::vector<std::string> names;
        std::vector<std::string> stems;
    } cases[] = {
        {"a job and its companion",
         {"job-20261211-101500-4d.ps", "job-20261211-101500-4d.inf"},
         {"job-20261211-101500-4d"}},
        {"no companion yet: being written", {"job-20261211-101500-4d.ps"}, {}},
        {"a companion alone", {"job-20261211-101500-4d.inf"}, {}},
        {"not a job's name", {"notes.ps", "notes.inf", "job-2026-1.ps", "job-2026-1.inf"}, {}},
        {"a batch's captured job is not a pending one",
         {"job-20261211-101500-4d.~ps", "job-20261211-101500-4d.inf"},
         {}},
        {"by time, not by listing order",
         {"job-20261212-000001-1.ps", "job-20261212-000001-1.inf", "job-20261211-235959-ff.inf",
          "job-20261211-235959-ff.ps", "job-20261211-235959-ff-1.ps", "job-20261211-235959-ff-1.inf"},
         {"job-20261211-235959-ff", "job-20261211-235959-ff-1", "job-20261212-000001-1"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(porttool::PendingJobStems(c.names), c.stems) << c.what;
}

TEST(PendingJobs, JobsOfBothFoldersAreOfferedInOneTimeOrder)
{
    const std::vector<folimar::TFolderListing> listings = {
        {"C:\\Users\\a\\AppData\\Roaming\\QUORPSFILES\\PENDING\\",
         {"job-20261211-120000-9.ps", "job-20261211-120000-9.inf", "job-20261211-080000-3.ps",
          "job-20261211-080000-3.inf"}},
        {"C:\\ProgramData\\Quorvel Folimar\\pending\\S-1-5-21-1\\",
         {"job-20261211-090000-5.ps", "job-20261211-090000-5.inf"}},
    };
    const std::vector<TPendingJob> expected = {
        {listings[0].first, "job-20261211-080000-3"},
        {listings[1].first, "job-20261211-090000-5"},
        {listings[0].first, "job-20261211-120000-9"},
    };
    EXPECT_EQ(OrderPendingJobs(listings), expected);
}

TEST(PendingJobs, TheCommandLineIsThePortsWithTheJobsNewPlace)
{
    porttool::PortJob job;
    job.jobFile = "C:\\old\\job.ps";
    job.printer = "Quorvel Virtual Printer";
    job.companionFile = "C:\\old\\job.inf";
    job.user = "PC\\\xD0\x90nna";
    job.size = 123456;
    job.received = "20261211101500";
    job.title = "Report: Q1/Q2";
    job.dataType = "RAW";
    porttool::PortJob moved = job;
    moved.jobFile = "C:\\new place\\job.ps";
    moved.companionFile = "C:\\new place\\job.inf";
    EXPECT_EQ(PendingJobCommandLine(porttool::CompanionText(job), moved.jobFile, moved.companionFile),
              porttool::JobCommandLine(moved));

    // A companion with its fields empty still gives a single job's command line.
    porttool::PortJob bare;
    bare.jobFile = "C:\\old\\job.ps";
    const auto line = PendingJobCommandLine(porttool::CompanionText(bare), "C:\\j.ps", "C:\\j.inf");
    ASSERT_TRUE(line);
    EXPECT_TRUE(folimar::IsSingleJobCommandLine(*line)) << *line;

    for (const char* notCompanion :
         {"", "JobFile=C:\\x.ps\r\n", "[Job]\r\nDocument=x\r\n", "[Job]\r\nJobFile=a\r\nSize=1x\r\n"})
        EXPECT_FALSE(PendingJobCommandLine(notCompanion, "C:\\j.ps", "C:\\j.inf")) << notCompanion;
}

} // namespace
