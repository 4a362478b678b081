// Turns a Windows path into the form the Ghostscript library opens files by.
#pragma once

#include <optional>
#include <string>

namespace folimar {

// Winelib: the Unix path of a Windows path (the file itself need not exist yet).
// Windows: the path unchanged. Empty when the path cannot be mapped.
std::optional<std::string> ToLibraryPath(const std::string& windowsPath);

// Lets the library keep its scratch files in this process's temporary folder (TEMP): the Windows
// library reads TEMP itself; the Linux one reads TMPDIR of the process's Unix environment, which
// Wine does not fill from the Windows one.
void LibraryTempFolderFromTemp();

} // namespace folimar
