// Writing a whole buffer to a file handle, for both printer ports.
#pragma once

#include <windows.h>

#include <string_view>

namespace porttool {

// Writes all of data to file; false with the last error set otherwise. A write that makes no
// progress and reports no error is a failure too, never read as success.
bool WriteAll(HANDLE file, std::string_view data);

} // namespace porttool
