// The write test of the windows and dialogs that let the user choose a folder.
#include "win/write_test.h"

#include "win/error_text.h"

#include <vector>

namespace win {

bool CanCreateFileIn(const std::string& folder, DWORD& error)
{
    std::vector<char> probe(1025, '\0'); // more than any name GetTempFileNameA makes
    ::SetLastError(ERROR_SUCCESS);
    UINT unique = ::GetTempFileNameA(folder.c_str(), "~", 0, probe.data());
    const DWORD code = LastErrorOr(ERROR_CANNOT_MAKE);
    // Wine returns the number even when the file could not be created, so only a file that is
    // there proves that the folder can be written.
    if (unique != 0 && ::GetFileAttributesA(probe.data()) != INVALID_FILE_ATTRIBUTES) {
        ::DeleteFileA(probe.data());
        return true;
    }
    error = code;
    return false;
}

} // namespace win
