// What the printer port hands to the program for one captured job: title, companion text, command
// line. Shared by the Linux stand-in port and the Windows port monitor.
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

// The most bytes of a title made from a document name: the program shows and uses far less, and
// a command line has a limit of its own.
inline constexpr size_t kMaxTitleBytes = 255;

// A document name as the spooler gives it (UTF-8) made fit to be the title argument: control
// characters become spaces (a title is one line of the companion file), a double quote becomes '
// (it would end the argument), the text is cut to kMaxTitleBytes, never inside a character, and
// trimmed.
std::string SafeTitle(std::string_view documentName);

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

// A job file name stem that sorts by time: "job-yyyymmdd-hhnnss-<tag hex>", then "-<n>" when
// n > 0 (a second job of the same tag and second). The tag is the capturing process's id for the
// Linux port, the spooler's job id for the Windows port monitor.
std::string JobFileStem(std::string_view received, uint32_t tag, int n);

// The folder below the program's data folder where ordinary jobs wait for the program.
inline constexpr char kJobsFolderName[] = "JOBS\\";

// A local time as the port's 14 digits "yyyymmddhhnnss".
std::string TimeDigits(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second);

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
