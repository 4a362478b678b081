// Which pending jobs there are, in which order, and the command line each is offered with.
#include "app/pending_jobs.h"

#include "base/printer_constants.h"
#include "port/pending_job.h"
#include "port/port_job.h"

#include <algorithm>

namespace folimar {

std::vector<TPendingJob> OrderPendingJobs(const std::vector<TFolderListing>& listings)
{
    std::vector<TPendingJob> jobs;
    for (const auto& [folder, names] : listings)
        for (std::string& stem : porttool::PendingJobStems(names))
            jobs.push_back({folder, std::move(stem)});
    std::stable_sort(jobs.begin(), jobs.end(), [](const TPendingJob& a, const TPendingJob& b) {
        return a.stem != b.stem ? a.stem < b.stem : a.folder < b.folder;
    });
    return jobs;
}

std::optional<std::string> PendingJobCommandLine(std::string_view companionText, const std::string& jobFile,
                                                 const std::string& companionFile)
{
    std::optional<porttool::PortJob> job = porttool::ParseCompanion(companionText);
    if (!job)
        return std::nullopt;
    job->jobFile = jobFile;
    job->companionFile = companionFile;
    // An empty argument is not counted: with two of them the program would open the batch window.
    if (job->printer.empty())
        job->printer = kPrinterName;
    if (job->user.empty())
        job->user = "?";
    if (job->received.empty())
        job->received = "0";
    if (job->dataType.empty())
        job->dataType = "RAW";
    return porttool::JobCommandLine(*job);
}

} // namespace folimar
