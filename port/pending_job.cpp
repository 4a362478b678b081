// Jobs waiting for the program: which files make one, in which order they are offered.
#include "port/pending_job.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace porttool {

namespace {

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() > end.size() && text.substr(text.size() - end.size()) == end;
}

// "job-yyyymmdd-hhnnss-..." as JobFileStem makes it; other files in the folder are not jobs.
bool IsJobStem(std::string_view stem)
{
    constexpr std::string_view kLead = "job-";
    if (stem.size() < 20 || stem.substr(0, 4) != kLead || stem[12] != '-' || stem[19] != '-')
        return false;
    for (size_t i = 4; i < 19; ++i)
        if (i != 12 && !std::isdigit(static_cast<unsigned char>(stem[i])))
            return false;
    return true;
}

std::string_view LineValue(std::string_view text, std::string_view key)
{
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=')
            return line.substr(key.size() + 1);
        at = end + 1;
    }
    return {};
}

} // namespace

std::vector<std::string> PendingJobStems(const std::vector<std::string>& fileNames)
{
    std::set<std::string> jobs;
    std::set<std::string> companions;
    for (const std::string& name : fileNames) {
        if (EndsWith(name, kJobExtension))
            jobs.insert(name.substr(0, name.size() - (sizeof kJobExtension - 1)));
        else if (EndsWith(name, kCompanionExtension))
            companions.insert(name.substr(0, name.size() - (sizeof kCompanionExtension - 1)));
    }
    std::vector<std::string> stems;
    for (const std::string& stem : jobs)
        if (IsJobStem(stem) && companions.count(stem))
            stems.push_back(stem);
    // The time digits lead the stem, so name order is time order.
    std::sort(stems.begin(), stems.end());
    return stems;
}

std::optional<PortJob> ParseCompanion(std::string_view text)
{
    if (text.substr(0, 5) != "[Job]")
        return std::nullopt;
    PortJob job;
    job.jobFile = LineValue(text, "JobFile");
    if (job.jobFile.empty())
        return std::nullopt;
    job.printer = LineValue(text, "Printer");
    job.title = LineValue(text, "Document");
    job.user = LineValue(text, "User");
    job.received = LineValue(text, "Received");
    job.dataType = LineValue(text, "DataType");
    const std::string size(LineValue(text, "Size"));
    job.size = 0;
    for (const char c : size) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        job.size = job.size * 10 + static_cast<uint64_t>(c - '0');
    }
    return job;
}

} // namespace porttool
