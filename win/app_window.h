// The application's main window as the program entry records it.
#pragma once

#include <windows.h>

namespace win {

void SetAppMainWindow(HWND hwnd);

} // namespace win
