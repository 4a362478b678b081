// The shared brushes of the form colours.
#include "win/form_colors.h"

#include "win/gdi.h"

namespace win {

HBRUSH FormBrush()
{
    static const Brush brush(::CreateSolidBrush(kFormColor));
    return brush.get();
}

HBRUSH PanelBrush()
{
    static const Brush brush(::CreateSolidBrush(kPanelColor));
    return brush.get();
}

} // namespace win
