// A uniquely named folder under the user's temporary folder, named after this process and removed
// with its content.
#pragma once

#include <string>
#include <string_view>

namespace win {

class TempFolder {
public:
    TempFolder(); // valid() tells whether the folder could be made
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool valid() const { return !path_.empty(); }
    // The folder, ending in a backslash.
    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + std::string(name); }

private:
    std::string path_;
};

// Removes the working folders that runs which no longer run left in the temporary folder.
void RemoveDeadRunFolders();

// Deletes a folder and everything below it, read-only files included.
void RemoveTree(const std::string& folderWithBackslash);

} // namespace win
