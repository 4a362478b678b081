// The report-style list view wrapper: thin LVM_* messages in their ANSI forms.
#include "win/list_view.h"

#include "win/dpi.h"

namespace win {

bool ListView::Create(HWND parent, const Bounds& bounds, int id, HFONT font, DWORD style, DWORD listExStyle,
                      std::initializer_list<ListColumn> columns, DWORD exStyle)
{
    hwnd_ = CreateChild(parent, WC_LISTVIEWA, "", LVS_REPORT | style, bounds, id, font, exStyle);
    if (!hwnd_)
        return false;
    if (listExStyle)
        ::SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, listExStyle, listExStyle);
    int index = 0;
    for (const ListColumn& column : columns) {
        LVCOLUMNA lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        lvc.pszText = const_cast<char*>(column.caption); // the control copies the text
        lvc.cx = Scale(column.width);
        lvc.iSubItem = index;
        if (::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&lvc)) != index)
            return false;
        ++index;
    }
    return true;
}

HIMAGELIST ListView::SetImageList(HIMAGELIST images, int kind)
{
    return reinterpret_cast<HIMAGELIST>(
        ::SendMessageA(hwnd_, LVM_SETIMAGELIST, kind, reinterpret_cast<LPARAM>(images)));
}

int ListView::Count() const
{
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0));
}

int ListView::Insert(int index, const std::string& text, int image, LPARAM param)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    item.lParam = param;
    return static_cast<int>(::SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListView::Delete(int item)
{
    // The control reads -1 as no item too, but an index past the end must not delete anything.
    return item >= 0 && ::SendMessageA(hwnd_, LVM_DELETEITEM, item, 0) != FALSE;
}

bool ListView::DeleteAll()
{
    return ::SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0) != FALSE;
}

bool ListView::SetText(int item, int column, const std::string& text)
{
    if (item < 0)
        return false;
    LVITEMA lvi{};
    lvi.iSubItem = column;
    lvi.pszText = const_cast<char*>(text.c_str());
    return ::SendMessageA(hwnd_, LVM_SETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lvi)) != FALSE;
}

std::string ListView::Text(int item, int column) const
{
    if (item < 0 || item >= Count())
        return {};
    // The control says how many characters it copied, not how long the text is: grow the buffer
    // until the text leaves room to spare.
    std::string buffer(256, '\0');
    for (;;) {
        LVITEMA lvi{};
        lvi.iSubItem = column;
        lvi.pszText = buffer.data();
        lvi.cchTextMax = static_cast<int>(buffer.size());
        const auto n =
            static_cast<size_t>(::SendMessageA(hwnd_, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lvi)));
        if (n + 1 < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

bool ListView::GetItem(LVITEMA& item) const
{
    return ::SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != FALSE;
}

bool ListView::SetImage(int item, int column, int image)
{
    if (item < 0)
        return false;
    LVITEMA lvi{};
    lvi.mask = LVIF_IMAGE;
    lvi.iItem = item;
    lvi.iSubItem = column;
    lvi.iImage = image;
    return ::SendMessageA(hwnd_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&lvi)) != FALSE;
}

int ListView::Image(int item, int column) const
{
    LVITEMA lvi{};
    lvi.mask = LVIF_IMAGE;
    lvi.iItem = item;
    lvi.iSubItem = column;
    return item >= 0 && GetItem(lvi) ? lvi.iImage : -1;
}

LPARAM ListView::Param(int item) const
{
    LVITEMA lvi{};
    lvi.mask = LVIF_PARAM;
    lvi.iItem = item;
    return item >= 0 && GetItem(lvi) ? lvi.lParam : 0;
}

int ListView::Find(LPARAM param) const
{
    LVFINDINFOA find{};
    find.flags = LVFI_PARAM;
    find.lParam = param;
    return static_cast<int>(
        ::SendMessageA(hwnd_, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

int ListView::SelectedCount() const
{
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
}

int ListView::NextSelected(int after) const
{
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

std::vector<int> ListView::SelectedItems() const
{
    std::vector<int> items;
    for (int item = NextSelected(); item >= 0; item = NextSelected(item))
        items.push_back(item);
    return items;
}

bool ListView::SetState(int item, UINT state, UINT mask)
{
    LVITEMA lvi{};
    lvi.state = state;
    lvi.stateMask = mask;
    // wParam -1 sets the state of every item.
    return ::SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvi)) != FALSE;
}

bool ListView::Select(int item, bool selected)
{
    return item >= 0 && SetState(item, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

bool ListView::SelectOnly(int item)
{
    if (item < 0 || item >= Count())
        return false;
    SetState(-1, 0, LVIS_SELECTED);
    if (!SetState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED))
        return false;
    ::SendMessageA(hwnd_, LVM_ENSUREVISIBLE, item, FALSE);
    return true;
}

int ListView::ColumnWidth(int column) const
{
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
}

bool ListView::SetColumnWidth(int column, int width)
{
    return ::SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0)) != FALSE;
}

bool ListView::ItemBounds(int item, RECT& rect) const
{
    rect = RECT{};
    rect.left = LVIR_BOUNDS;
    return item >= 0 && ::SendMessageA(hwnd_, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rect)) != FALSE;
}

} // namespace win
