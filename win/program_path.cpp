// The program's own file, however long its path.
#include "win/program_path.h"

#include <windows.h>

#include <vector>

namespace win {

std::string ProgramPath()
{
    std::vector<char> path(MAX_PATH + 1);
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        // A cut path fills the whole buffer: try again with a larger one.
        if (length < path.size())
            return std::string(path.data(), length);
        path.resize(path.size() * 2);
    }
}

std::string StartableProgram(const std::string& exePath)
{
    const std::string winelib = exePath + ".so";
    const DWORD attributes = ::GetFileAttributesA(winelib.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? winelib : exePath;
}

} // namespace win
