// The colours of the program's windows, and one brush of each that every window paints with.
#pragma once

#include <windows.h>

namespace win {

// The face of every window and dialog.
inline constexpr COLORREF kFormColor = RGB(240, 240, 240);
// Banner panels.
inline constexpr COLORREF kPanelColor = RGB(255, 255, 255);

// Brushes of those colours, made on first use and shared by all windows until the program ends.
HBRUSH FormBrush();
HBRUSH PanelBrush();

} // namespace win
