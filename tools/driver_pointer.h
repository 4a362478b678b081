// The mouse as the test driver moves it: real pointer input through the system's input queue.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace driver {

// Moves the pointer to a point of the screen as a mouse would: the window under it gets its
// WM_MOUSEMOVE from the input queue, as from a user's hand.
bool MovePointer(POINT screen);

// Rests the pointer on a point of control's client area, coming to it from a few pixels away
// so that the control sees the mouse arrive and then stop.
bool RestPointerOn(HWND control, POINT client);

// Moves the pointer off window: just beside its left edge (right edge when at the screen's left).
bool MovePointerOff(HWND window);

// Rests the pointer on row of a list view and waits up to timeoutMs for a tooltip of the list's
// process with a text other than other: that text, empty when none came; nothing (the reason in
// error) when the row or the mouse cannot be reached.
std::optional<std::string> RestOnRowForTip(HWND list, int row, const std::string& other, int timeoutMs,
                                           std::string& error);

// Moves the pointer to a point of the screen and double-clicks the left button there.
bool DoubleClickAt(POINT screen);

} // namespace driver
