// Text between code pages: job texts in the printing system's legacy code page, names in the
// program's ANSI code page. Nothing here takes a best-fit look-alike for a character.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace folimar {

// True when a and b, text in the ANSI code page, name one file as the file system compares names:
// without case, letters beyond ASCII included ("Ärger.txt" and "ärger.txt"), nothing else folded.
bool SameNameText(std::string_view a, std::string_view b);

// The ANSI code page of the user's locale, which Windows printer drivers write job texts in
// whatever code page this program runs with; 1252 when the locale gives none.
UINT LegacyAnsiCodePage();

// A text from a job (a DSC value) as UTF-8: unchanged when it is UTF-8 already, else read in
// the legacy ANSI code page (LegacyAnsiCodePage).
std::string DscTextToUtf8(std::string_view bytes);

// UTF-8 text in the program's ANSI code page, for a file name: unchanged when that code page is
// UTF-8; otherwise a character the code page lacks becomes "_", never a look-alike.
std::string Utf8ToAnsiName(const std::string& utf8);

// Whether the program's ANSI code page holds every one of the units of wide text exactly.
bool FitsAnsiCodePage(const WCHAR* wide, int units);

// Whether text in the program's ANSI code page has an exact form in the legacy ANSI code page
// (LegacyAnsiCodePage), the one a program without a UTF-8 manifest reads its command line in.
bool FitsLegacyAnsiCodePage(std::string_view text);

} // namespace folimar
