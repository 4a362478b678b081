// Writing a whole buffer to a file handle, for both printer ports.
#include "port/write_all.h"

namespace porttool {

bool WriteAll(HANDLE file, std::string_view data)
{
    while (!data.empty()) {
        DWORD written = 0;
        if (!::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr))
            return false;
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data.remove_prefix(written);
    }
    return true;
}

} // namespace porttool
