// Facts about the windows of other processes, as the test driver reads them.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace driver {

// How long a window of another process has to answer a message.
inline constexpr UINT kSendTimeoutMs = 5000;

std::string ClassOf(HWND hwnd);

// The window's text from its own window procedure: for controls of another process the cached
// caption that GetWindowTextA reads can be out of date.
std::string TextOf(HWND hwnd);

DWORD ProcessOf(HWND hwnd);

// The first visible top-level window that match accepts, or null.
HWND FindTopLevel(const std::function<bool(HWND)>& match);

// Every control below parent, in the window manager's order (creation order unless re-ordered).
std::vector<HWND> ControlsOf(HWND parent);

// A message answered by a control of another process; nullopt when it does not answer.
std::optional<DWORD_PTR> Ask(HWND control, UINT msg, WPARAM wParam = 0);

// The text of a tooltip the process shows now; empty when it shows none.
std::string ShownTooltipText(DWORD pid);

} // namespace driver
