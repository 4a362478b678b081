// Whether a folder accepts new files.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// Creates a uniquely named empty file ("~" prefix) in folder and removes it again: true when that
// worked. On failure error holds the reason, never 0.
bool CanCreateFileIn(const std::string& folder, DWORD& error);

} // namespace win
