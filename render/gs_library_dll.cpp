// Windows: Ghostscript is gsdll64.dll, loaded at run time from the program's folder or from
// where an installed Ghostscript records it.
#include "render/gs_library.h"

#include "files/text_rules.h"
#include "render/gs_dll_search.h"
#include "win/error_text.h"
#include "win/program_path.h"

#include <windows.h>

#include <memory>
#include <vector>

// The library's calls are __stdcall on 32-bit Windows; GsApi's plain pointers are right only
// for the single x64 calling convention, which is also what gsdll64.dll is built for.
static_assert(sizeof(void*) == 8, "the Windows build loads the 64-bit gsdll64.dll");

namespace folimar {

namespace {

struct ModuleFree {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

struct LoadResult {
    GsApi api{};
    bool loaded = false;
    std::string searched;
};

template <class Fn> bool Resolve(HMODULE module, const char* name, Fn* fn, std::string* missing)
{
    FARPROC proc = ::GetProcAddress(module, name);
    if (!proc) {
        *missing = name;
        return false;
    }
    // Through void (*)(), the one function type every other may be cast from without a warning.
    *fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
    return true;
}

// Loads one candidate; on failure *note says why, unless the file simply is not there.
bool TryLoad(const std::string& path, GsApi* api, std::string* note)
{
    // The full path keeps the search order away from the current folder, and the altered
    // search path lets the DLL find companions of its own beside it.
    Module module(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) {
        DWORD error = ::GetLastError();
        if (error != ERROR_MOD_NOT_FOUND && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            *note = " (" + win::SystemErrorText(error) + ")";
        return false;
    }
    std::string missing;
    GsApi found{};
    if (!Resolve(module.get(), "gsapi_new_instance", &found.new_instance, &missing) ||
        !Resolve(module.get(), "gsapi_set_stdio", &found.set_stdio, &missing) ||
        !Resolve(module.get(), "gsapi_init_with_args", &found.init_with_args, &missing) ||
        !Resolve(module.get(), "gsapi_exit", &found.exit, &missing) ||
        !Resolve(module.get(), "gsapi_delete_instance", &found.delete_instance, &missing)) {
        *note = " (has no " + missing + ")";
        return false;
    }
    *api = found;
    // Stays loaded for the life of the process: unloading at exit could pull the code away
    // from a conversion thread that is still running.
    module.release();
    return true;
}

std::string ProgramFolder()
{
    return std::string(FolderPart(win::ProgramPath()));
}

LoadResult Load()
{
    LoadResult result;
    auto tryPath = [&result](const std::string& path) {
        std::string note;
        result.loaded = TryLoad(path, &result.api, &note);
        result.searched += path + note;
        return result.loaded;
    };
    if (tryPath(ProgramFolder() + kGsDllName))
        return result;

    std::vector<std::string> keys(std::begin(kGsProductKeys), std::end(kGsProductKeys));
    std::string where;
    for (const std::string& key : keys)
        where += (where.empty() ? "" : ", ") + std::string("HKEY_LOCAL_MACHINE\\") + key;
    result.searched += "; the registry (" + where + "): ";
    std::vector<std::string> registered = RegisteredGsDlls(HKEY_LOCAL_MACHINE, keys);
    if (registered.empty())
        result.searched += "no installed Ghostscript";
    for (size_t i = 0; i < registered.size(); ++i) {
        if (i > 0)
            result.searched += ", ";
        if (tryPath(registered[i]))
            break;
    }
    return result;
}

} // namespace

const GsApi* LoadGsApi(std::string* searched)
{
    // Once per process; a function-local static is initialised by exactly one thread.
    static const LoadResult result = Load();
    if (searched)
        *searched = result.searched;
    return result.loaded ? &result.api : nullptr;
}

} // namespace folimar
