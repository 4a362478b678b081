// The application's main window: where worker threads post their progress.
#pragma once

#include <windows.h>

namespace win {

void SetAppMainWindow(HWND hwnd);
HWND GetAppMainWindow();

} // namespace win
