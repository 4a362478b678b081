// What the printer port hands to the program for one captured job: title, companion text, command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace porttool {

// The job's header, as far as the port looks for the title.
inline constexpr size_t kHeaderBytes = 5120;

// The document title of a job's DSC header: the rest of the first "%%Title:" line (keyword in
// any case), without carriage returns, trimmed. A value in PostScript string form, "(...)" as
// Wine's driver writes titles with non-ASCII bytes, loses its parentheses and has its escapes
// decoded (control bytes become spaces). Empty when the header has no title.
std::string DscTitle(std::string_view header);

// One captured job, as the port describes it to the program.
struct PortJob {
    std::string jobFile;       // Windows path of the captured PostScript file
    std::string printer;       // argument 2
    std::string companionFile; // Windows path of the companion file
    std::string user;          // argument 4
    uint64_t size = 0;         // argument 5: bytes captured
    std::string received;      // argument 6: local time as yyyymmddhhnnss
    std::string title;         // argument 7
    std::string dataType;      // argument 8
};

// The program's command line: the eight arguments, each in double quotes, single spaces, the
// job file first. A double quote inside a value would end its argument early, so it becomes '.
std::string JobCommandLine(const PortJob& job);

// The companion file: a small profile file with the job's details.
std::string CompanionText(const PortJob& job);

// A job file name stem that sorts by time: "job-yyyymmdd-hhnnss-<pid hex>", then "-<n>" when
// n > 0 (a second job of the same process and second).
std::string JobFileStem(std::string_view received, uint32_t processId, int n);

// Batch jobs: the captured job is stored in the program's spool folder under a name like
// JobFileStem's with this extension, and announced by a job-id file.
inline constexpr char kCapturedJobExtension[] = ".~ps";

// The job-id file's name: the id in decimal, nothing else.
std::string JobIdFileName(uint32_t id);

// The id to try when a job-id file of that id exists already: the next one, 0 skipped.
uint32_t NextJobId(uint32_t id);

// The name of the temporary file a job-id file is written as before it is renamed: never all
// digits, so that no reader takes it for a job-id file. n tells tries of one process apart.
std::string JobIdTempName(uint32_t processId, int n);

// Quotes one word for /bin/sh: single quotes, each ' written as '\''.
std::string ShellQuote(std::string_view word);

} // namespace porttool
