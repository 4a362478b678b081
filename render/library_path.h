// Turns a Windows path into the form the Ghostscript library opens files by.
#pragma once

#include <optional>
#include <string>

namespace folimar {

// Winelib: the Unix path of a Windows path (the file itself need not exist yet).
// Windows: the path unchanged. Empty when the path cannot be mapped.
std::optional<std::string> ToLibraryPath(const std::string& windowsPath);

} // namespace folimar
