// Winelib: Ghostscript is Linux's libgs, linked directly.
#include "render/gs_library.h"

#include <ghostscript/iapi.h>

namespace folimar {

const GsApi* LoadGsApi(std::string* searched)
{
    static const GsApi api{
        gsapi_new_instance, gsapi_set_stdio, gsapi_init_with_args, gsapi_exit, gsapi_delete_instance,
    };
    if (searched)
        searched->clear();
    return &api;
}

} // namespace folimar
