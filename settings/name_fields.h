// What the name pattern's fields stand for now: the local date and time and the user's name.
#pragma once

#include "settings/name_pattern.h"

#include <string>

namespace folimar {

// The fields for a job of this title (UTF-8) at this moment, for this process's user.
TNameFields NameFieldsNow(std::string title);

} // namespace folimar
