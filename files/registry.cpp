// String values from the registry.
#include "files/registry.h"

#include "win/handle.h"

namespace folimar {

std::string ReadRegistryString(HKEY root, const std::string& subKey, const std::string& valueName)
{
    constexpr DWORD kMaxData = 1024;
    win::RegKey key;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    char buf[kMaxData + 1];
    DWORD size = kMaxData;
    if (::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size) !=
        ERROR_SUCCESS)
        return {};
    if (size > kMaxData)
        size = 0;
    buf[size] = '\0';
    return std::string(buf); // up to the first NUL
}

} // namespace folimar
