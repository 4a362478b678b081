// Fuzzes the font program strip passes against a plain reference and checks what the sink is handed.
#include "fuzz/fuzz_check.h"
#include "jobprep/strip_fonts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace folimar;

namespace {

// The pass as the job preparation describes it, written the slow obvious way with string_view::find.
bool ReferencePass(std::string_view text, const StripMarkers& m, std::string& out)
{
    size_t cursor = 0;
    bool cut = false;
    for (;;) {
        size_t s = text.find(m.start, cursor);
        if (s == std::string_view::npos)
            break;
        size_t e = text.find(m.end, s);
        if (e == std::string_view::npos)
            break;
        cut = true;
        out.append(text.substr(cursor, s - cursor));
        cursor = e + m.end.size();
        if (cursor < text.size()) {
            // The byte after the marker is passed over unless it ends the line itself.
            size_t lf = text.find('\n', text[cursor] == '\n' ? cursor : cursor + 1);
            cursor = lf == std::string_view::npos ? text.size() : lf + 1;
        }
    }
    if (cut)
        out.append(text.substr(cursor));
    return cut;
}

// One pass: the same result as the reference, and pieces that tile the input in order around the cuts.
std::string CheckPass(std::string_view input, const StripMarkers& markers)
{
    std::vector<std::string_view> pieces;
    std::string collected;
    bool cut = StripPass(input, markers, [&](std::string_view piece) {
        pieces.push_back(piece);
        collected.append(piece);
    });
    std::string reference;
    FUZZ_REQUIRE(cut == ReferencePass(input, markers, reference));
    FUZZ_REQUIRE(collected == reference);
    if (!cut) {
        FUZZ_REQUIRE(pieces.empty());
        return std::string(input);
    }
    FUZZ_REQUIRE(pieces.size() >= 2);
    FUZZ_REQUIRE(collected.size() < input.size());
    FUZZ_REQUIRE(pieces.front().data() == input.data());
    FUZZ_REQUIRE(pieces.back().data() + pieces.back().size() == input.data() + input.size());
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        // Each cut span between two kept pieces starts with the start marker and holds an end marker.
        const char* gapBegin = pieces[i].data() + pieces[i].size();
        const char* gapEnd = pieces[i + 1].data();
        FUZZ_REQUIRE(gapBegin < gapEnd);
        std::string_view gap(gapBegin, static_cast<size_t>(gapEnd - gapBegin));
        FUZZ_REQUIRE(gap.substr(0, markers.start.size()) == markers.start);
        FUZZ_REQUIRE(gap.find(markers.end) != std::string_view::npos);
    }
    return collected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string afterFirst = CheckPass(input, kFontPass1);
    std::string afterSecond = CheckPass(afterFirst, kFontPass2);

    // The in-place run, which the file rewrite uses, gives what the two passes give one after the other.
    std::string buffer(input);
    size_t kept = StripFontPrograms(buffer.data(), buffer.size());
    FUZZ_REQUIRE(kept <= size);
    FUZZ_REQUIRE(std::string_view(buffer.data(), kept) == afterSecond);
    return 0;
}
