// GoogleTest for Win32 test programs: gtest's library was built for Linux, so its headers
// must not see the Windows macros that Winelib defines.
#pragma once

#if defined(__WINE__)
#pragma push_macro("_WIN32")
#pragma push_macro("_WIN64")
#pragma push_macro("WIN32")
#pragma push_macro("WIN64")
#undef _WIN32
#undef _WIN64
#undef WIN32
#undef WIN64
#include <gtest/gtest.h>
#pragma pop_macro("WIN64")
#pragma pop_macro("WIN32")
#pragma pop_macro("_WIN64")
#pragma pop_macro("_WIN32")
#else
#include <gtest/gtest.h>
#endif

#include <windows.h>
