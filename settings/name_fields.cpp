// The name pattern's fields from the system's clock and the user's name.
#include "settings/name_fields.h"

#include <windows.h>

#include <lmcons.h>

#include <utility>

namespace folimar {

TNameFields NameFieldsNow(std::string title)
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char user[UNLEN + 1] = {};
    DWORD size = sizeof user;
    // Without a name <User> stands for nothing, and the name falls back as an empty title does.
    if (!::GetUserNameA(user, &size))
        user[0] = '\0';
    return {std::move(title), DateField(now.wYear, now.wMonth, now.wDay),
            TimeField(now.wHour, now.wMinute, now.wSecond), user};
}

} // namespace folimar
