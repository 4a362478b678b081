// Reads the header bytes of a job file for the DSC header parser.
#include "jobprep/dsc_header.h"

#include "files/folders.h"
#include "jobprep/gmttime.h"
#include "jobprep/job_error.h"
#include "win/handle.h"

namespace folimar {

bool ReadDscHeader(const std::string& fileName, TPSHeaderInfo& info)
{
    if (!FileExists(fileName))
        return false;

    char buffer[kDscHeaderSize];
    DWORD read = 0;
    {
        // No sharing: the job must not change under the reader.
        win::UniqueHandle file(
            ::CreateFileA(fileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            throw JobFileError("Cannot open file", fileName, ::GetLastError());
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
            throw JobFileError("Cannot read file", fileName, ::GetLastError());
    }
    return ParseDscHeader(std::string_view(buffer, read), CompactLocalDate(), info);
}

} // namespace folimar
