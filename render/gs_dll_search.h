// Where an installed Ghostscript records its DLL in the registry, newest version first.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace folimar {

// The 64-bit Ghostscript library, as the Windows installers name it.
inline constexpr char kGsDllName[] = "gsdll64.dll";

// The keys below HKEY_LOCAL_MACHINE under which the installers record one subkey per version.
inline constexpr const char* kGsProductKeys[] = {
    "SOFTWARE\\GPL Ghostscript",
    "SOFTWARE\\Artifex Ghostscript",
};

// One version subkey: productKey + "\" + version holds the GS_DLL value.
struct GsInstall {
    std::string productKey;
    std::string version;
};

// Keeps the subkeys whose names are versions ("9.56.1", "10.02.1": numbers joined by dots),
// newest first; equal versions keep their order, so the earlier product key wins.
std::vector<GsInstall> NewestGsFirst(std::vector<GsInstall> installs);

// The GS_DLL paths recorded under root for each product key, newest version first.
std::vector<std::string> RegisteredGsDlls(HKEY root, const std::vector<std::string>& productKeys);

} // namespace folimar
