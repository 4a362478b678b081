// The mouse as the test driver moves it: real pointer input through the system's input queue.
#pragma once

#include <windows.h>

namespace driver {

// Moves the pointer to a point of the screen as a mouse would: the window under it gets its
// WM_MOUSEMOVE from the input queue, as from a user's hand.
bool MovePointer(POINT screen);

// Rests the pointer on a point of control's client area, coming to it from a few pixels away
// so that the control sees the mouse arrive and then stop.
bool RestPointerOn(HWND control, POINT client);

// Moves the pointer off window: just beside its left edge (right edge when at the screen's left).
bool MovePointerOff(HWND window);

// Moves the pointer to a point of the screen and double-clicks the left button there.
bool DoubleClickAt(POINT screen);

} // namespace driver
