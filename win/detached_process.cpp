// Starting a detached program.
#include "win/detached_process.h"

#include "win/handle.h"

#include <vector>

namespace win {

DWORD StartDetached(const std::string& program, const std::string& commandLine)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0'); // CreateProcessA may write to it
    const size_t slash = program.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return 0;
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    return info.dwProcessId;
}

} // namespace win
