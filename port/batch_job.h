// How a batch knows its own jobs: the token the batch hands each print program in its environment,
// the batch's named object that tells the port the token's batch still runs, the captured jobs'
// names and the job-id file's text. Shared by the print-files thread and the printer ports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace porttool {

// The environment variable that carries a batch document's token to its print program; Wine runs
// the printer's "|command" port from the printing process, so the port sees it too.
inline constexpr char kJobTokenVariable[] = "FOLIMAR_JOB_TOKEN";

// The named object a batch holds while it takes jobs: "FOLIMAR_BATCH_<process id>_<tick>" in hex.
std::string BatchObjectName(uint32_t processId, uint32_t tick);

// The token of a batch's row: the batch's object name, "/", the row in decimal.
std::string JobToken(std::string_view batchObject, size_t row);

// The batch object a token names, when the token is one a batch makes; nothing for anything else
// (so no text from the environment ever becomes an arbitrary object name).
std::optional<std::string> BatchObjectOfToken(std::string_view token);

// Whether name is a captured batch job as the ports name it: JobFileStem's form
// ("job-yyyymmdd-hhnnss-<hex>", maybe "-<n>") with the ".~ps" extension, nothing else.
bool IsCapturedJobName(std::string_view name);

// What a job-id file says: the captured file's path and the token of the print program that made
// the job (empty when the port could not know it, as the Windows port monitor cannot).
struct TJobIdRecord {
    std::string psPath;
    std::string token;

    bool operator==(const TJobIdRecord&) const = default;
};

// The job-id file's text: the path, then a line break and the token when there is one. A path
// never holds a line break, so the two cannot be mixed up.
std::string JobIdFileText(const TJobIdRecord& record);
TJobIdRecord ParseJobIdFile(std::string_view text);

} // namespace porttool
