// Lays a plain text out on printed pages of a fixed-pitch font.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace porttool {

struct PageSize {
    int columns; // characters per line
    int lines;   // lines per page
};

inline constexpr int kTabWidth = 8;

using Page = std::vector<std::string>;

// The text of a text file's bytes as UTF-8: the bytes after a UTF-8 byte-order mark, or the bytes
// themselves when they are valid UTF-8 (plain ASCII is); nothing otherwise: such text is in the
// ANSI code page, for the caller to convert.
std::optional<std::string_view> Utf8TextOf(std::string_view bytes);

// The text is UTF-8: a column holds one character, whatever its number of bytes.
// Lines end at LF, CR LF or a lone CR; tabs advance to the next multiple of kTabWidth columns;
// a line longer than the page is wrapped; a form feed starts a new page unless the current one
// is still empty, so form feeds never make blank pages. A size below 1 counts as 1. There is
// always at least one page.
std::vector<Page> PaginateText(std::string_view text, PageSize size);

} // namespace porttool
