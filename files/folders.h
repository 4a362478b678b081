// Folders and files on disk: whether they exist, creating a folder path, whether a folder takes
// new files. None of them raises: failures come back as false.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace folimar {

bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);

// Creates every missing folder along an absolute drive-letter path ("X:\...").
bool CreateFolderPath(const std::string& path);

// Creates a uniquely named empty file ("~" prefix) in folder and removes it again: true when that
// worked. On failure error holds the reason, never 0.
bool CanCreateFileIn(const std::string& folder, DWORD& error);

// True when path is folder itself or lies inside it, by what the folders are on disk (volume and
// file index) rather than by their spelling: another drive letter for the same disk, short names,
// links, "..". Parts of path that do not exist yet are skipped up to the first that does; false
// when folder does not exist.
bool IsSameOrInsideFolder(const std::string& path, const std::string& folder);

// The bytes the files directly in folder hold together (0 when it cannot be read).
uint64_t FolderFileBytes(const std::string& folder);

// True when path is a regular file, no link of any kind (symbolic, junction or a second hard
// link), whose own folder is folder itself, judged as IsSameOrInsideFolder judges: by what the
// folders are on disk, not by their spelling.
bool IsPlainFileDirectlyIn(const std::string& path, const std::string& folder);

} // namespace folimar
