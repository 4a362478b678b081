// Fuzzes the row note and the document-name rule: the note's text reads back as it was written,
// and the rule keeps its properties (ASCII case never matters, a name always matches the forms
// programs give it, nothing matches without the name or its stem in the document name).
#include "port/row_note.h"
#include "fuzz/fuzz_check.h"

#include <algorithm>
#include <string>
#include <string_view>

using namespace porttool;

namespace {

std::string MapAscii(std::string_view text, char from, char to)
{
    std::string out(text);
    for (char& c : out)
        if (c >= from && c < from + 26)
            c = static_cast<char>(c - from + to);
    return out;
}

std::string Lower(std::string_view text)
{
    return MapAscii(text, 'A', 'a');
}

bool ContainsNoCase(std::string_view text, std::string_view part)
{
    return !part.empty() && Lower(text).find(Lower(part)) != std::string::npos;
}

} // namespace

// The input: the document name, a NUL, then the note's text, also taken as one file name.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string_view document = input.substr(0, nul);
    const std::string_view rest = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

    if (const std::optional<TRowNote> note = ParseRowNote(rest)) {
        FUZZ_REQUIRE(RowNoteText(*note) == rest);
        FUZZ_REQUIRE(!note->names.empty());
        FUZZ_REQUIRE(IsRowJob(*note, document) ==
                     std::any_of(note->names.begin(), note->names.end(),
                                 [&](const std::string& name) { return DocumentNameMatches(document, name); }));
    }

    const std::string_view name = rest;
    const bool matches = DocumentNameMatches(document, name);
    const std::string_view stem = name.substr(0, name.rfind('.'));
    FUZZ_REQUIRE(!matches || ContainsNoCase(document, name) || ContainsNoCase(document, stem));
    FUZZ_REQUIRE(DocumentNameMatches(MapAscii(document, 'a', 'A'), name) == matches);
    FUZZ_REQUIRE(DocumentNameMatches(document, Lower(name)) == matches);
    if (!name.empty()) {
        const std::string n(name);
        FUZZ_REQUIRE(DocumentNameMatches(n, n));
        FUZZ_REQUIRE(DocumentNameMatches(n + " - Notepad", n));
        FUZZ_REQUIRE(DocumentNameMatches("C:\\docs\\" + n, n));
    }
    return 0;
}
