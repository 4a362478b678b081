// UTF-8 and UTF-16 across the spooler's wide-character interface.
#pragma once

#include <string>
#include <string_view>

namespace qvmon {

// UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view wide);

// UTF-8 text as UTF-16; a malformed byte becomes U+FFFD.
std::wstring ToWide(std::string_view utf8);

} // namespace qvmon
