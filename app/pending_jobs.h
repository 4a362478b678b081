// Jobs the Windows port monitor kept because it could not start the program: at every start the
// program offers each of its user's, oldest first, in a single-job window of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace folimar {

struct TPendingJob {
    std::string folder; // ending in a backslash
    std::string stem;   // its files are stem + ".ps" and stem + ".inf"

    bool operator==(const TPendingJob&) const = default;
};

// A folder (ending in a backslash) and the names of the files in it.
using TFolderListing = std::pair<std::string, std::vector<std::string>>;

// The whole pending jobs of all the folders, oldest first (by the time in their names; the same
// time by the rest of the name, then by folder).
std::vector<TPendingJob> OrderPendingJobs(const std::vector<TFolderListing>& listings);

// The single-job command line for a pending job whose files now are jobFile and companionFile,
// made from its companion's text as the port would have made it; nothing when the text is not a
// companion. A field the companion left empty gets a stand-in, so that the line always counts as
// a single job's.
std::optional<std::string> PendingJobCommandLine(std::string_view companionText, const std::string& jobFile,
                                                 const std::string& companionFile);

// Offers every pending job of the user running this program: moves its two files into the jobs
// folder (so that no other start offers it again) and starts program with its command line, one
// at a time, oldest first. A job whose program cannot be started goes back. Returns how many were
// started.
int OfferPendingJobs(const std::string& program);

} // namespace folimar
