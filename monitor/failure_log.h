// Where a job the monitor could not hand to the program is recorded for an administrator.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace qvmon {

// What went wrong with one job, in words an administrator can act on.
struct TJobFailure {
    std::string time; // local, "yyyy-mm-dd hh:nn:ss"
    uint32_t jobId = 0;
    std::string user;
    std::string step; // what the monitor was doing: "start the program"
    uint32_t error = 0;
    std::string errorText; // the system's words for error
    std::string keptAt;    // where the job waits now; empty when it could not be kept
};

// One line of the log, ending in "\r\n": time, job, user, step, error, where the job is.
std::string FailureLogLine(const TJobFailure& failure);

// The product's shared folder %ProgramData%\Quorvel Folimar\, ending in a backslash; empty when
// Windows does not say where ProgramData is.
std::wstring SharedDataFolder();

// Appends the line to monitor.log in the shared folder (made when missing), in the caller's
// context; false when it could not.
bool AppendFailureLog(const std::string& line);

// The system's words for an error code, UTF-8, without the line end.
std::string ErrorText(DWORD error);

} // namespace qvmon
