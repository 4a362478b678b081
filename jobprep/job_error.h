// The error raised when a job file cannot be opened or read during job preparation.
#pragma once

#include "win/error_text.h"

#include <stdexcept>
#include <string>

namespace folimar {

// Carries the system's own text for the error code, so the caller can show it as it is.
class JobFileError : public std::runtime_error {
public:
    // what() reads: <action> "<file name>". <system text>, e.g. Cannot open file "x.ps". <text>
    JobFileError(const std::string& action, const std::string& fileName, DWORD code)
        : std::runtime_error(action + " \"" + fileName + "\". " + win::SystemErrorText(code)), fileName_(fileName),
          code_(code)
    {
    }

    const std::string& fileName() const { return fileName_; }
    DWORD code() const { return code_; }

private:
    std::string fileName_;
    DWORD code_;
};

} // namespace folimar
