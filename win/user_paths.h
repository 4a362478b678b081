// File names in messages as the user gave them: Linux paths stay Linux paths under Wine.
#pragma once

#include <string>
#include <string_view>

namespace win {

// The text with every path on Wine's drive Z: ("Z:\home\me\job.ps", the root of the Linux file
// system) written as the Linux path it stands for ("/home/me/job.ps"). A path ends at a colon, a
// double quote, a line end or the end of the text, none of which a Windows path holds.
std::string UnixPathsIn(std::string_view text);

// The message for this process's user: in the Winelib build, when a command-line argument is a
// Linux path (it starts with "/"), with its Z: paths as Linux paths; otherwise as it is.
std::string MessageForUser(const std::string& message);

} // namespace win
