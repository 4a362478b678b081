// Small files of the program's own (notes, never jobs): read whole, written whole.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace folimar {

// Reads the rest of an open file into text; false when it cannot be read or holds more than
// maxBytes.
bool ReadSmallFile(HANDLE file, size_t maxBytes, std::string& text);

// Writes text, exactly, into the file at path, replacing what it held.
bool WriteTextFile(const std::string& path, std::string_view text);

// Writes text into a temporary file beside path, then renames it to path (replacing what was
// there), so that a reader in another process finds the old file, the new one whole, or none.
// False with nothing of the temporary file left when it cannot.
bool ReplaceTextFile(const std::string& path, std::string_view text);

// Writes Text, exactly, into Folder + "~dest.tmp", the note that tells the printer's port where a
// batch's PDF goes; Folder ends in a backslash and is created when missing.
bool WriteDestFile(const std::string& folder, std::string_view text);

} // namespace folimar
