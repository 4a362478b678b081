// The batch's two user settings as a record: what the settings file stores and the dialog edits.
#pragma once

#include <string>

namespace folimar {

struct TSettings {
    std::string outputFolder; // joined to file names as stored
    bool overwrite = true;    // false: "New name", a numbered name beside an existing PDF

    bool operator==(const TSettings&) const = default;
};

} // namespace folimar
