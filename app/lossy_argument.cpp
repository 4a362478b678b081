// The check that the program's own command line names the files the user typed.
#include "app/lossy_argument.h"

#include "files/code_pages.h"
#include "win/handle.h"

#include <shellapi.h>

namespace folimar {

int FirstLossyArgument(const WCHAR* commandLine)
{
    int count = 0;
    const win::WideArgv args(::CommandLineToArgvW(commandLine, &count));
    if (!args)
        return -1;
    for (int i = 0; i < count; ++i) {
        const WCHAR* arg = args.get()[i];
        if (!FitsAnsiCodePage(arg, ::lstrlenW(arg)))
            return i;
    }
    return -1;
}

} // namespace folimar
