// Memory in another process, for messages whose parameters point at data (list-view items,
// dropped files): a test driver cannot hand such a control pointers into its own memory.
#pragma once

#include "win/handle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// A block of read-write memory in the process that owns a window; freed with the object unless
// released to that process.
class RemoteMemory {
public:
    RemoteMemory(HWND owner, size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool valid() const { return address_ != nullptr; }
    char* address() const { return static_cast<char*>(address_); }
    bool Write(size_t offset, const void* data, size_t size) const;
    bool Read(size_t offset, void* data, size_t size) const;
    // The block stays in the other process, which now owns it.
    void Release() { address_ = nullptr; }

private:
    win::UniqueHandle process_;
    void* address_ = nullptr;
};

// One row of a list view as a user sees it: its columns' texts, the item's image, the image of
// its third column (-1 where it has none) and whether it is selected.
struct ListRow {
    std::vector<std::string> texts;
    int image = -1;
    int statusImage = -1;
    bool selected = false;
};

// The rows of a list view of another process with columns texts each; false when it does not
// answer.
bool ReadListRows(HWND list, int columns, std::vector<ListRow>& rows);

// The DROPFILES block the shell hands a window for files dropped on it (8-bit paths).
std::string DropFilesBlock(const std::vector<std::string>& paths);

// The bounds of a list view row's label, in the list's client pixels.
bool ReadRowBounds(HWND list, int row, RECT& bounds);

} // namespace driver
