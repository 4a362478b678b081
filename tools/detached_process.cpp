// Starting a detached program.
#include "tools/detached_process.h"

#include "files/text_rules.h"
#include "tools/wine_paths.h"
#include "win/handle.h"

#include <vector>

namespace porttool {

DWORD StartDetached(const std::string& program, const std::string& commandLine)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0'); // CreateProcessA may write to it
    std::string folder(folimar::FolderPart(program));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return 0;
    win::UniqueHandle process(info.hProcess);
    win::UniqueHandle thread(info.hThread);
    return info.dwProcessId;
}

} // namespace porttool
