// The mouse as the test driver moves it: real pointer input through the system's input queue.
#include "tools/driver_pointer.h"

#include "tools/driver_wait.h"
#include "tools/driver_windows.h"
#include "tools/remote_memory.h"

namespace driver {

bool MovePointer(POINT screen)
{
    // Absolute input is in 1/65536 of the primary screen; the cursor is placed first as well, so
    // that rounding cannot put the pointer on the neighbouring pixel.
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    if (width <= 1 || height <= 1 || !::SetCursorPos(screen.x, screen.y))
        return false;
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = static_cast<LONG>((screen.x * 65535LL) / (width - 1));
    move.mi.dy = static_cast<LONG>((screen.y * 65535LL) / (height - 1));
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return ::SendInput(1, &move, sizeof(INPUT)) == 1;
}

bool RestPointerOn(HWND control, POINT client)
{
    POINT at = client;
    if (!::ClientToScreen(control, &at))
        return false;
    if (!MovePointer({at.x + 8, at.y}))
        return false;
    ::Sleep(kPollMs);
    return MovePointer(at);
}

bool MovePointerOff(HWND window)
{
    RECT r{};
    if (!::GetWindowRect(window, &r))
        return false;
    return MovePointer({r.left > 0 ? r.left - 1 : r.right, r.top});
}

std::optional<std::string> RestOnRowForTip(HWND list, int row, const std::string& other, int timeoutMs,
                                           std::string& error)
{
    RECT bounds{};
    if (!ReadRowBounds(list, row, bounds)) {
        error = "cannot find row " + std::to_string(row);
        return std::nullopt;
    }
    // Inside the row's first column, clear of the row's delete button at its left end.
    if (!RestPointerOn(list, {bounds.left + 40, (bounds.top + bounds.bottom) / 2})) {
        error = "cannot move the mouse onto row " + std::to_string(row);
        return std::nullopt;
    }
    const DWORD pid = ProcessOf(list);
    std::string text;
    WaitFor(timeoutMs, [&] {
        text = ShownTooltipText(pid);
        return !text.empty() && text != other;
    });
    return text == other ? std::string() : text;
}

bool DoubleClickAt(POINT screen)
{
    if (!MovePointer(screen))
        return false;
    INPUT inputs[4]{};
    const DWORD flags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = flags[i];
    }
    return ::SendInput(4, inputs, sizeof(INPUT)) == 4;
}

} // namespace driver
