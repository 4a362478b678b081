// The application's main window handle, read from worker threads.
#include "win/app_window.h"

#include <atomic>

namespace win {

namespace {
std::atomic<HWND> g_mainWindow{nullptr};
}

void SetAppMainWindow(HWND hwnd) { g_mainWindow.store(hwnd); }
HWND GetAppMainWindow() { return g_mainWindow.load(); }

} // namespace win
