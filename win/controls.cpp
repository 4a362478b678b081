// Child controls, the form font, tool tips and notification forwarding for container controls.
#include "win/controls.h"

#include "win/dpi.h"

#include <commctrl.h>

#include <memory>
#include <vector>

namespace win {

HWND CreateChild(HWND parent, const char* className, const char* text, DWORD style, const Bounds& bounds, int id,
                 HFONT font, DWORD exStyle)
{
    // The edges are scaled, not the sizes: controls that meet at 96 DPI still meet, and margins
    // to the scaled client area keep their proportion.
    const int left = Scale(bounds.left), top = Scale(bounds.top);
    const int right = Scale(bounds.left + bounds.width), bottom = Scale(bounds.top + bounds.height);
    HWND hwnd =
        ::CreateWindowExA(exStyle, className, text, WS_CHILD | style, left, top, right - left, bottom - top, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    if (hwnd && font)
        ::SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return hwnd;
}

Font CreateFormFont(bool bold, bool underline)
{
    // A positive height asks for the cell height: 13 pixels at 96 DPI is the 8-point size of this face.
    return Font(::CreateFontA(Scale(13), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
}

namespace {

constexpr UINT_PTR kForwardSubclassId = 1;

LRESULT CALLBACK ForwardProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        return ::SendMessageA(::GetParent(hwnd), msg, wParam, lParam);
    case WM_ERASEBKGND: {
        // Group boxes leave their inside unpainted; use the colour the parent gives the container.
        HDC dc = reinterpret_cast<HDC>(wParam);
        auto brush = reinterpret_cast<HBRUSH>(
            ::SendMessageA(::GetParent(hwnd), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(hwnd)));
        if (!brush)
            break;
        RECT rc;
        ::GetClientRect(hwnd, &rc);
        ::FillRect(dc, &rc, brush);
        return 1;
    }
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd, ForwardProc, kForwardSubclassId);
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

} // namespace

bool ForwardChildNotifications(HWND container)
{
    return ::SetWindowSubclass(container, ForwardProc, kForwardSubclassId, 0) != FALSE;
}

namespace {

constexpr UINT_PTR kDoubleClickSubclassId = 2;

LRESULT CALLBACK DoubleClickProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto* action = reinterpret_cast<std::function<void()>*>(data);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, DoubleClickProc, kDoubleClickSubclassId);
        delete action;
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_LBUTTONDBLCLK) {
        try {
            (*action)();
        } catch (...) {
            // No C++ exception may unwind into the system.
        }
    }
    return result;
}

} // namespace

bool OnDoubleClick(HWND control, std::function<void()> action)
{
    auto owned = std::make_unique<std::function<void()>>(std::move(action));
    if (!control || !::SetWindowSubclass(control, DoubleClickProc, kDoubleClickSubclassId,
                                         reinterpret_cast<DWORD_PTR>(owned.get())))
        return false;
    owned.release(); // freed by the subclass when the control goes
    return true;
}

namespace {

HWND CreateContainer(HWND parent, const char* className, const char* text, DWORD style, const Bounds& bounds, int id,
                     HFONT font)
{
    HWND hwnd = CreateChild(parent, className, text, WS_VISIBLE | WS_CLIPCHILDREN | style, bounds, id, font,
                            WS_EX_CONTROLPARENT);
    if (hwnd)
        ForwardChildNotifications(hwnd);
    return hwnd;
}

} // namespace

HWND CreatePanel(HWND parent, const Bounds& bounds, int id, HFONT font, DWORD style)
{
    return CreateContainer(parent, "STATIC", "", style, bounds, id, font);
}

HWND CreateGroupBox(HWND parent, const char* caption, const Bounds& bounds, int id, HFONT font)
{
    return CreateContainer(parent, "BUTTON", caption, BS_GROUPBOX, bounds, id, font);
}

HWND CreatePathField(HWND parent, const Bounds& bounds, int id, HFONT font, std::function<void()> browse)
{
    HWND hwnd = CreateChild(parent, "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, bounds, id,
                            font, WS_EX_CLIENTEDGE);
    OnDoubleClick(hwnd, std::move(browse));
    return hwnd;
}

std::string GetText(HWND control)
{
    int length = ::GetWindowTextLengthA(control);
    if (length <= 0)
        return {};
    std::vector<char> buf(static_cast<size_t>(length) + 1, '\0');
    int n = ::GetWindowTextA(control, buf.data(), length + 1);
    return std::string(buf.data(), static_cast<size_t>(n > 0 ? n : 0));
}

bool Hints::Create(HWND owner)
{
    tooltip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    return tooltip_ != nullptr;
}

namespace {

TOOLINFOA ToolFor(HWND control, const std::string& text)
{
    TOOLINFOA ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ::GetParent(control);
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<char*>(text.c_str()); // the tool tip copies the text
    return ti;
}

TOOLINFOA AreaFor(HWND control, UINT_PTR id, const RECT& area, const std::string& text)
{
    TOOLINFOA ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = control;
    ti.uId = id;
    ti.rect = area;
    ti.lpszText = const_cast<char*>(text.c_str()); // the tool tip copies the text
    return ti;
}

bool IsMouseMessage(UINT msg)
{
    return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK;
}

} // namespace

void Hints::Send(UINT msg, HWND control, const TOOLINFOA& tool)
{
    if (tooltip_ && control)
        ::SendMessageA(tooltip_, msg, 0, reinterpret_cast<LPARAM>(&tool));
}

void Hints::Add(HWND control, const std::string& text)
{
    Send(TTM_ADDTOOLA, control, ToolFor(control, text));
}

void Hints::Update(HWND control, const std::string& text)
{
    Send(TTM_UPDATETIPTEXTA, control, ToolFor(control, text));
}

void Hints::Remove(HWND control)
{
    Send(TTM_DELTOOLA, control, ToolFor(control, ""));
}

void Hints::AddArea(HWND control, UINT_PTR id, const RECT& area, const std::string& text)
{
    Send(TTM_ADDTOOLA, control, AreaFor(control, id, area, text));
}

void Hints::MoveArea(HWND control, UINT_PTR id, const RECT& area)
{
    Send(TTM_NEWTOOLRECTA, control, AreaFor(control, id, area, ""));
}

void Hints::UpdateArea(HWND control, UINT_PTR id, const std::string& text)
{
    Send(TTM_UPDATETIPTEXTA, control, AreaFor(control, id, {}, text));
}

void Hints::RemoveArea(HWND control, UINT_PTR id)
{
    Send(TTM_DELTOOLA, control, AreaFor(control, id, {}, ""));
}

void Hints::Relay(HWND control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!tooltip_ || !IsMouseMessage(msg))
        return;
    // The tool tip reads the message's point in the control's client pixels, as sent.
    MSG message{};
    message.hwnd = control;
    message.message = msg;
    message.wParam = wParam;
    message.lParam = lParam;
    message.time = static_cast<DWORD>(::GetMessageTime());
    const DWORD pos = ::GetMessagePos();
    message.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    ::SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}

} // namespace win
