// Rules over text and paths that need no system call: quotes, path parts, UTF-8, Windows device
// names, file names made from document titles.
#pragma once

// Only standard headers here: the rules are built natively for fuzzing.
#include <cstddef>
#include <string>
#include <string_view>

namespace folimar {

// Bytes 0x00 to 0x20: the control characters and the space, which separate and trim everywhere
// (command lines, DSC values, page counts).
constexpr bool IsControlOrSpace(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// True when a and b are equal with ASCII letters compared without case (other bytes exactly).
bool EqualsNoCaseAscii(std::string_view a, std::string_view b);

// s without control characters and spaces at both ends.
std::string_view TrimControlAndSpace(std::string_view s);

// Removes one double quote at the start and one at the end, each only if present.
std::string StripQuotes(std::string_view s);

// The folder part of a path: up to and including its last '\', '/' or drive colon; empty for a
// bare name.
std::string_view FolderPart(std::string_view path);

// What follows the folder part: the file name (the whole path for a bare name).
std::string_view FileNamePart(std::string_view path);

// path with one trailing backslash added when it has none; empty stays empty.
std::string WithTrailingBackslash(std::string path);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF). Plain ASCII is UTF-8.
bool IsValidUtf8(std::string_view bytes);

// The UTF-16 code units of well-formed UTF-8 text (see IsValidUtf8); a malformed byte becomes
// U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

// True when a path, or a bare name, names one of Windows' devices instead of a file: its last
// component is CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, COM or LPT with a superscript 1, 2 or 3
// (as UTF-8 or as a code page 1252 byte), CONIN$ or CONOUT$, in any case, with any extension
// (everything from the first dot) and with trailing spaces and dots, which Windows drops. A path
// in the device namespace ("\\.\...") is a device too.
bool IsReservedDeviceName(std::string_view path);

// The most UTF-16 units a file name made from a title keeps.
inline constexpr size_t kTitleNameUnits = 30;

// The file name made from a title in UTF-8:
// - \ / | become "-", : becomes "_", * and ? are removed, < > become ( ), a double quote becomes
//   a single quote;
// - control characters (U+0000-U+001F, U+007F), which no file name may hold, become spaces;
// - then the name is cut to its first kTitleNameUnits UTF-16 units, never inside a character;
// - trailing spaces and dots, which Windows would drop without a word, are removed;
// - a name that is still a device name gets "_" at the end of its base name ("Aux" gives
//   "Aux_", "nul.txt" gives "nul_.txt").
std::string FileNameFromTitle(std::string_view utf8Title);

// The first bytes of text, at most maxBytes, not cutting a UTF-8 character in two when the text is
// UTF-8.
std::string_view CutUtf8(std::string_view text, size_t maxBytes);

} // namespace folimar
