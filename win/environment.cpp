// Environment blocks for child processes.
#include "win/environment.h"

#include <windows.h>

namespace win {

namespace {

bool SameName(std::string_view entry, const std::string& name)
{
    // "=C:=C:\dir" entries keep the drives' folders: their name starts after the first "=".
    const size_t equals = entry.find('=', 1);
    return equals == name.size() &&
           ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, entry.data(), static_cast<int>(equals), name.data(),
                            static_cast<int>(name.size())) == CSTR_EQUAL;
}

} // namespace

std::string EnvironmentBlockWith(std::string_view block, const EnvironmentSettings& settings)
{
    std::string result;
    for (size_t at = 0; at < block.size() && block[at] != '\0';) {
        const size_t end = block.find('\0', at);
        const std::string_view entry = block.substr(at, end == std::string_view::npos ? end : end - at);
        bool replaced = false;
        for (const auto& setting : settings)
            replaced = replaced || SameName(entry, setting.first);
        if (!replaced)
            result.append(entry).push_back('\0');
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    for (const auto& [name, value] : settings)
        result.append(name).append("=").append(value).push_back('\0');
    result.push_back('\0');
    return result;
}

std::string CurrentEnvironmentWith(const EnvironmentSettings& settings)
{
    char* strings = ::GetEnvironmentStringsA();
    std::string_view block;
    if (strings) {
        // The block ends at its first empty entry.
        size_t size = 0;
        while (strings[size] != '\0' || strings[size + 1] != '\0')
            ++size;
        block = std::string_view(strings, size + 1);
    }
    std::string result = EnvironmentBlockWith(block, settings);
    if (strings)
        ::FreeEnvironmentStringsA(strings);
    return result;
}

} // namespace win
