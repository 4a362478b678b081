// Lets a rendering test skip itself in a build that cannot load the Ghostscript library.
#pragma once

#include "render/gs_library.h"

// Put at the top of a test (or a fixture's SetUp) that runs Ghostscript. The Winelib build
// links libgs and always runs such tests; the Windows build needs gsdll64.dll beside the
// test program or an installed Ghostscript.
#define FOLIMAR_REQUIRE_GHOSTSCRIPT()                                                                                  \
    do {                                                                                                               \
        if (!::folimar::LoadGsApi())                                                                                   \
            GTEST_SKIP() << "no Ghostscript DLL";                                                                      \
    } while (0)
