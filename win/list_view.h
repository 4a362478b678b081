// A report-style list view: columns, items with texts, images and a value of the program's own.
#pragma once

#include "win/controls.h"

#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace win {

struct ListColumn {
    const char* caption;
    int width; // pixels at 96 DPI
};

// Items are addressed by their index (0 = top); an index of -1 names no item. The control
// belongs to its parent window and is destroyed with it.
class ListView {
public:
    ListView() = default;
    explicit ListView(HWND hwnd) : hwnd_(hwnd) {}

    // Makes the control in report view (style adds to WS_CHILD | LVS_REPORT; listExStyle takes
    // LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES, LVS_EX_SUBITEMIMAGES...) with its columns, left to
    // right; false when the control or a column cannot be made.
    bool Create(HWND parent, const Bounds& bounds, int id, HFONT font, DWORD style, DWORD listExStyle,
                std::initializer_list<ListColumn> columns, DWORD exStyle = WS_EX_CLIENTEDGE);
    HWND Handle() const { return hwnd_; }

    // Returns the previous list of that kind (LVSIL_SMALL...). Without LVS_SHAREIMAGELISTS the
    // control destroys the lists it holds when it is destroyed.
    HIMAGELIST SetImageList(HIMAGELIST images, int kind = LVSIL_SMALL);

    int Count() const;
    // Inserts an item before index (Count() or more appends); its index, or -1.
    int Insert(int index, const std::string& text, int image, LPARAM param);
    int Append(const std::string& text, int image, LPARAM param) { return Insert(Count(), text, image, param); }
    bool Delete(int item);
    bool DeleteAll();

    // Column 0 is the item's own text, columns from 1 its sub-items.
    bool SetText(int item, int column, const std::string& text);
    std::string Text(int item, int column = 0) const;
    // A sub-item's image shows only with LVS_EX_SUBITEMIMAGES. Image() gives -1 for no item.
    bool SetImage(int item, int column, int image);
    int Image(int item, int column = 0) const;
    LPARAM Param(int item) const;
    // The first item that carries param, or -1.
    int Find(LPARAM param) const;

    int SelectedCount() const;
    // The first selected item after item (-1: from the top), or -1.
    int NextSelected(int after = -1) const;
    std::vector<int> SelectedItems() const;
    bool Select(int item, bool selected = true);
    // Selects item alone, focuses it and scrolls it into view.
    bool SelectOnly(int item);

    int ColumnWidth(int column) const;
    bool SetColumnWidth(int column, int width);

    // The item's whole row, in the control's client coordinates.
    bool ItemBounds(int item, RECT& rect) const;

private:
    bool GetItem(LVITEMA& item) const;
    bool SetState(int item, UINT state, UINT mask);

    HWND hwnd_ = nullptr;
};

} // namespace win
