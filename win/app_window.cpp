// The application's main window as the program entry records it.
#include "win/app_window.h"

#include <atomic>

namespace win {

namespace {
std::atomic<HWND> g_mainWindow{nullptr};
}

void SetAppMainWindow(HWND hwnd)
{
    g_mainWindow.store(hwnd);
}

} // namespace win
