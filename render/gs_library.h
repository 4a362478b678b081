// The five calls of the Ghostscript library that the render module uses.
// Deliberately free of <windows.h>: on Winelib the library is Linux's libgs and its calls
// use the platform's plain calling convention, not the Windows one.
#pragma once

#include <string>

namespace folimar {

using GsInFn = int (*)(void* caller, char* buf, int len);
using GsOutFn = int (*)(void* caller, const char* str, int len);

struct GsApi {
    int (*new_instance)(void** instance, void* caller);
    int (*set_stdio)(void* instance, GsInFn in, GsOutFn out, GsOutFn err);
    int (*init_with_args)(void* instance, int argc, char** argv);
    int (*exit)(void* instance);
    void (*delete_instance)(void* instance);
};

// The library's calls, or null when it cannot be loaded; where it looked goes to *searched.
const GsApi* LoadGsApi(std::string* searched = nullptr);

} // namespace folimar
