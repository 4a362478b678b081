// Document information of a job (title, author, dates) and the pdfmark fragment that carries it.
#pragma once

// Only standard headers here: the fragment builder is built natively for fuzzing.
#include <string>
#include <string_view>

namespace folimar {

// The seven entries in fragment order. Dates hold the date digits only (normally the 14 of
// "yyyymmddhhnnss"); the other fields hold text as the job wrote it: UTF-8, or the printing
// system's legacy ANSI code page.
struct TPDFDocInfo {
    std::string Author;
    std::string CreationDate;
    std::string Creator;
    std::string Keywords;
    std::string ModDate;
    std::string Subject;
    std::string Title;

    bool operator==(const TPDFDocInfo&) const = default;
};

// Turns a non-empty text field into its PostScript form; UnicodeHexString in the product.
using TTextEncoder = std::string (*)(const std::string& text);

// Backslash-escapes "\", "(" and ")" so the text can stand inside a PostScript string literal.
std::string EscapePostScriptString(std::string_view text);

// A date field as a PostScript string: "(D:" digits utcOffset ")", or "()" when empty.
std::string PostScriptDate(const std::string& digits, std::string_view utcOffset);

// The fragment appended to a job: fourteen lines separated by single carriage returns (no
// line feed, nothing after the last line "%%EOF"), beginning with an empty line. Empty fields
// are written (); dates as PostScriptDate; the other fields through encodeText.
std::string BuildDocInfoFragment(const TPDFDocInfo& docInfo, std::string_view utcOffset, TTextEncoder encodeText);

// The functions below call the system (defined in doc_info_file.cpp).

// S as UTF-16 (read as UTF-8 when it is UTF-8, else in the legacy ANSI code page, see
// DscTextToUtf8), written as a PostScript hex string with a byte-order mark: "Report" gives
// <FEFF005200650070006F00720074>.
std::string UnicodeHexString(const std::string& s);

// Fills all seven fields from the header of the job fileName, the product name and the clock.
// Leaves docInfo unchanged when the job is missing or empty. Throws JobFileError when the job
// exists but cannot be read.
void DocInfoFromHeader(const std::string& fileName, TPDFDocInfo& docInfo);

// Appends the fragment for the job fileName after its last byte. Throws JobFileError, before
// anything is written, when the job's header cannot be read; a job that cannot be opened for
// writing, positioned or written is left as it is without an error.
void AppendDocInfo(const std::string& fileName);

} // namespace folimar
