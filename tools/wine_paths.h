// Path forms across the Wine boundary, for the tools that join Linux commands and Win32 programs.
#pragma once

#include <string>

namespace porttool {

// Winelib: a Unix path ("/...") as Wine's Windows path ("Z:\..."). Any other path, and every
// path in the Windows build, comes back unchanged; empty when Wine cannot map it or the ANSI
// code page cannot hold it exactly.
std::string WindowsPathOf(const std::string& path);

} // namespace porttool
