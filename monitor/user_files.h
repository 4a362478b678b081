// The files the port monitor makes for a job's owner, and what it reads from the registry.
#pragma once

#include "win/handle.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qvmon {

// The owner's application-data folder as the user's shell records it (the "AppData" value of
// HKEY_USERS\<sid>\...\Shell Folders, which the program reads from its own HKEY_CURRENT_USER),
// ending in a backslash; empty when not recorded.
std::wstring UserAppDataFolder(const std::wstring& sid);

// folimar.exe's full path as the installer recorded it; empty when not recorded.
std::wstring ProgramPath();

// Creates folder and every missing folder above it; true when it exists afterwards.
bool CreateFolders(const std::wstring& folder);

bool FileExists(const std::wstring& path);

// The whole content of a small file another process may replace or delete meanwhile; false when
// it cannot be read or holds more than maxBytes.
bool ReadSmallFile(const std::wstring& path, size_t maxBytes, std::string& text);

// Creates a file that did not exist, named folder + nameOf(n) for the first n from 0 whose name is
// free, opened for writing; sets path. An invalid handle with the last error set otherwise.
win::UniqueHandle CreateNewFile(const std::wstring& folder, const std::function<std::wstring(int)>& nameOf,
                                std::wstring& path);

// Writes a whole new file (replacing an older one); on failure nothing is left of it.
bool WriteWholeFile(const std::wstring& path, std::string_view content);

// Announces a captured job in folder under the name id in decimal: content goes into a temporary
// file first, which is then renamed, so that a reader finds the job-id file whole or not at all.
// The spooler's ids are unique while it runs, so a file of that name is a stale one and is
// replaced. False with the last error set and nothing of ours left otherwise.
bool PublishJobId(const std::wstring& folder, uint32_t id, std::string_view content);

// Makes folder (and the folders above it) with an access list of its own: full control for
// LocalSystem, the administrators and, when sid is not empty, that user; what is made inside
// inherits it. True when the folder exists afterwards.
bool CreatePrivateFolder(const std::wstring& folder, const std::wstring& sid);

// Moves a file of ours to target, a name that must be free (copying across volumes); sets moved
// to target. False with the last error set otherwise.
bool MoveIntoFolder(const std::wstring& path, const std::wstring& target, std::wstring& moved);

// True when a process runs program (full path, any case) as the user of sid.
bool ProgramRunsAs(const std::wstring& program, const std::wstring& sid);

// Deletes a file of ours when the scope ends, unless it is kept; the last error survives.
class PendingFile {
public:
    PendingFile() = default;
    explicit PendingFile(std::wstring path) : path_(std::move(path)) {}
    ~PendingFile() { Discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    void Keep() { path_.clear(); }
    void Discard();

private:
    std::wstring path_;
};

} // namespace qvmon
