// The check that the program's own command line names the files the user typed.
#include "app/lossy_argument.h"

#include "files/code_pages.h"
#include "win/command_line.h"

namespace folimar {

int FirstLossyArgument(const WCHAR* commandLine)
{
    const std::vector<win::WideString> args = win::SplitCommandLine(commandLine);
    for (size_t i = 0; i < args.size(); ++i)
        if (!FitsAnsiCodePage(reinterpret_cast<const WCHAR*>(args[i].c_str()), static_cast<int>(args[i].size())))
            return static_cast<int>(i);
    return -1;
}

} // namespace folimar
