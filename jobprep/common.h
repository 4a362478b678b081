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

// Writes Text, exactly, into Folder + "~dest.tmp"; Folder ends in a backslash.
bool WriteDestFile(const std::string& folder, std::string_view text);

bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);

inline constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

} // namespace folimar
