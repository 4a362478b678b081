// Registry and file-system reads of the print command lookup.
#include "batch/pipeline/print_command_lookup.h"

#include "files/folders.h"
#include "win/handle.h"

namespace folimar {

TDefaultValue ReadDefaultValue(HKEY root, const std::string& keyPath)
{
    TDefaultValue result;
    win::RegKey key;
    if (::RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return result;
    result.keyOpened = true;
    char buffer[kMaxTypeValueBytes];
    DWORD size = sizeof(buffer);
    if (::RegQueryValueExA(key.get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ==
            ERROR_SUCCESS &&
        size <= sizeof(buffer))
        result.text = DefaultValueText(std::string_view(buffer, size));
    return result;
}

TPrintCommandInfo LookupPrintCommand(std::string_view extension)
{
    return LookupPrintCommandWith(
        extension, [](const std::string& keyPath) { return ReadDefaultValue(HKEY_CLASSES_ROOT, keyPath); });
}

std::string GetImagePrintCommand(std::string_view extension)
{
    if (!IsImageExtension(extension))
        return {};
    char expanded[1024];
    DWORD length = ::ExpandEnvironmentStringsA(kPaintProgram, expanded, sizeof(expanded));
    if (length == 0 || length > sizeof(expanded))
        return {};
    return ImagePrintCommand(extension, expanded, FileExists(expanded));
}

} // namespace folimar
