// Reads the Ghostscript versions an installer recorded and orders them newest first.
#include "render/gs_dll_search.h"

#include "files/registry.h"
#include "win/handle.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace folimar {

namespace {

// "10.02.1" -> {10, 2, 1}; anything but numbers joined by single dots is not a version.
std::optional<std::vector<uint32_t>> ParseVersion(std::string_view name)
{
    std::vector<uint32_t> parts;
    for (;;) {
        size_t dot = name.find('.');
        std::string_view part = name.substr(0, dot);
        uint32_t value = 0;
        auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || error != std::errc() || end != part.data() + part.size())
            return std::nullopt;
        parts.push_back(value);
        if (dot == std::string_view::npos)
            break;
        name.remove_prefix(dot + 1);
    }
    // "10.0" and "10.0.0" are the same version.
    while (parts.size() > 1 && parts.back() == 0)
        parts.pop_back();
    return parts;
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& key)
{
    std::vector<std::string> names;
    win::RegKey handle;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[256]; // the registry's longest key name is 255 characters
        DWORD length = sizeof(name);
        LONG status = ::RegEnumKeyExA(handle.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS)
            names.emplace_back(name, length);
    }
    return names;
}

} // namespace

std::vector<GsInstall> NewestGsFirst(std::vector<GsInstall> installs)
{
    struct Parsed {
        GsInstall install;
        std::vector<uint32_t> version;
    };
    std::vector<Parsed> parsed;
    for (GsInstall& install : installs) {
        if (std::optional<std::vector<uint32_t>> version = ParseVersion(install.version))
            parsed.push_back({std::move(install), std::move(*version)});
    }
    std::stable_sort(parsed.begin(), parsed.end(),
                     [](const Parsed& a, const Parsed& b) { return a.version > b.version; });
    std::vector<GsInstall> result;
    result.reserve(parsed.size());
    for (Parsed& p : parsed)
        result.push_back(std::move(p.install));
    return result;
}

std::vector<std::string> RegisteredGsDlls(HKEY root, const std::vector<std::string>& productKeys)
{
    std::vector<GsInstall> installs;
    for (const std::string& key : productKeys) {
        for (std::string& version : SubkeyNames(root, key))
            installs.push_back({key, std::move(version)});
    }
    std::vector<std::string> paths;
    for (const GsInstall& install : NewestGsFirst(std::move(installs))) {
        std::string path = ReadRegistryString(root, install.productKey + "\\" + install.version, "GS_DLL");
        if (!path.empty())
            paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace folimar
