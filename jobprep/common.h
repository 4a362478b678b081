// File, folder and registry utilities shared by the windows and the worker threads.
// None of them raises: failures come back as an empty string or false.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace folimar {

// Removes one double quote at the start and one at the end, each only if present.
std::string StripQuotes(std::string_view s);

// A string value of up to 1024 bytes, returned as stored; empty on any failure.
std::string ReadRegistryString(HKEY root, const std::string& subKey, const std::string& valueName);

// The user's documents folder ending in a backslash, or "C:\" when it is not recorded.
std::string GetMyDocumentsFolder();

// Creates every missing folder along an absolute drive-letter path ("X:\...").
bool CreateFolderPath(const std::string& path);

// Reads the rest of an open file into text; false when it cannot be read or holds more than
// maxBytes (a small file of the program's own, never a job).
bool ReadSmallFile(HANDLE file, size_t maxBytes, std::string& text);

// Writes text, exactly, into the file at path, replacing what it held.
bool WriteTextFile(const std::string& path, std::string_view text);

// Writes Text, exactly, into Folder + "~dest.tmp"; Folder ends in a backslash.
bool WriteDestFile(const std::string& folder, std::string_view text);

bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);

// The ANSI code page of the user's locale, which Windows printer drivers write job texts in
// whatever code page this program runs with; 1252 when the locale gives none.
UINT LegacyAnsiCodePage();

// A text from a job (a DSC value) as UTF-8: unchanged when it is UTF-8 already, else read in
// the legacy ANSI code page (LegacyAnsiCodePage).
std::string DscTextToUtf8(std::string_view bytes);

// UTF-8 text in the program's ANSI code page, for a file name: unchanged when that code page is
// UTF-8; otherwise a character the code page lacks becomes "_", never a look-alike.
std::string Utf8ToAnsiName(const std::string& utf8);

// The position (0 = the program) of the first argument of a command line (GetCommandLineW) that
// the program's ANSI code page cannot hold exactly, so that its 8-bit form would name another
// file; -1 when every one fits.
int FirstLossyArgument(const WCHAR* commandLine);

// The one-line refusal of a path that names a Windows device.
std::string DeviceNameRefusal(const std::string& path);

inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

} // namespace folimar
