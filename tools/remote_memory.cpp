// Memory in another process, and the list-view and drop messages that need it.
#include "tools/remote_memory.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

namespace driver {

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr int kTextChars = 1024;

bool Ask(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD_PTR& answer)
{
    return ::SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &answer) != 0;
}

} // namespace

RemoteMemory::RemoteMemory(HWND owner, size_t size)
{
    DWORD pid = 0;
    ::GetWindowThreadProcessId(owner, &pid);
    process_.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_)
        address_ = ::VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory()
{
    if (address_)
        ::VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
}

bool RemoteMemory::Write(size_t offset, const void* data, size_t size) const
{
    SIZE_T done = 0;
    return address_ && ::WriteProcessMemory(process_.get(), address() + offset, data, size, &done) && done == size;
}

bool RemoteMemory::Read(size_t offset, void* data, size_t size) const
{
    SIZE_T done = 0;
    return address_ && ::ReadProcessMemory(process_.get(), address() + offset, data, size, &done) && done == size;
}

bool ReadListRows(HWND list, int columns, std::vector<ListRow>& rows)
{
    DWORD_PTR count = 0;
    if (!Ask(list, LVM_GETITEMCOUNT, 0, 0, count))
        return false;
    RemoteMemory memory(list, sizeof(LVITEMA) + kTextChars);
    if (!memory.valid())
        return false;
    char* remoteText = memory.address() + sizeof(LVITEMA);
    rows.clear();
    for (int i = 0; i < static_cast<int>(count); ++i) {
        ListRow row;
        for (int column = 0; column < columns; ++column) {
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
            item.iItem = i;
            item.iSubItem = column;
            item.stateMask = LVIS_SELECTED;
            item.pszText = remoteText;
            item.cchTextMax = kTextChars;
            item.iImage = -1;
            const char empty = '\0';
            DWORD_PTR ok = 0;
            if (!memory.Write(0, &item, sizeof(item)) || !memory.Write(sizeof(item), &empty, 1) ||
                !Ask(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.address()), ok) || !ok) {
                // A column past the third is optional: a list without it reads as empty there.
                if (column < 3)
                    return false;
                row.texts.emplace_back();
                continue;
            }
            char text[kTextChars] = {};
            if (!memory.Read(0, &item, sizeof(item)) || !memory.Read(sizeof(item), text, sizeof(text)))
                return false;
            text[kTextChars - 1] = '\0';
            row.texts.emplace_back(text);
            if (column == 0) {
                row.image = item.iImage;
                row.selected = (item.state & LVIS_SELECTED) != 0;
            } else if (column == 2) {
                row.statusImage = item.iImage;
            }
        }
        rows.push_back(std::move(row));
    }
    return true;
}

std::string DropFilesBlock(const std::vector<std::string>& paths)
{
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = FALSE;
    std::string block(reinterpret_cast<const char*>(&header), sizeof(header));
    for (const std::string& path : paths)
        block.append(path).push_back('\0');
    block.push_back('\0');
    return block;
}

bool ReadRowBounds(HWND list, int row, RECT& bounds)
{
    RemoteMemory memory(list, sizeof(RECT));
    bounds = {LVIR_LABEL, 0, 0, 0};
    DWORD_PTR ok = 0;
    return memory.Write(0, &bounds, sizeof(bounds)) &&
           Ask(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(memory.address()), ok) && ok &&
           memory.Read(0, &bounds, sizeof(bounds));
}

} // namespace driver
