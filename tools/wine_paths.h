// Path forms across the Wine boundary, for the tools that join Linux commands and Win32 programs.
#pragma once

#include <string>

namespace porttool {

// Winelib: a Unix path ("/...") as Wine's Windows path ("Z:\..."). Any other path, and every
// path in the Windows build, comes back unchanged; empty when Wine cannot map it or the ANSI
// code page cannot hold it exactly.
std::string WindowsPathOf(const std::string& path);

// The folder part of a Windows path, with its trailing backslash; empty when there is none.
std::string FolderOf(const std::string& path);

// The name part of a path: what follows its last backslash or slash.
std::string FileNameOf(const std::string& path);

} // namespace porttool
