// Fuzzes the commands made from a file type's templates and the DDE target: three input lines
// (command template, DDE template, document path) over a small environment. Checks the result
// against a plain reference of the fill and the two printable rules (judged on the templates), and the DDE defaults.
#include "batch/rules/print_commands_rules.h"
#include "fuzz/fuzz_check.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

using namespace folimar;

namespace {

// %A% names the document through the environment, %E% is empty, %X% does not fit.
std::optional<std::string> Expand(const std::string& text)
{
    static const std::map<std::string, std::string> variables = {{"%A%", "a.exe %1"}, {"%E%", ""}};
    if (text.find("%X%") != std::string::npos)
        return std::nullopt;
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [name, value] : variables) {
            if (text.compare(i, name.size(), name) == 0) {
                out += value;
                i += name.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

// The fill written the other way round: the text cut at each "%1", joined with the path.
std::string ReferenceFill(const std::string& text, const std::string& path)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (i + 1 < text.size() && text[i] == '%' && text[i + 1] == '1') {
            out += path;
            i += 2;
        } else {
            out += text[i++];
        }
    }
    return out;
}

TPrintCommands Reference(const std::string& command, const std::string& dde, const std::string& path)
{
    TPrintCommands r;
    if (command.empty() || !Expand(command))
        return r;
    const std::string expanded = *Expand(command);
    r.commandLine = ReferenceFill(expanded, path);
    bool ddeUsable = true;
    if (!dde.empty()) {
        ddeUsable = Expand(dde).has_value();
        if (ddeUsable)
            r.ddeCommand = ReferenceFill(*Expand(dde), path);
    }
    // Only the templates are judged: a "%" in the document's own name is part of the name.
    const bool byCommand =
        expanded.find("%1") != std::string::npos && ReferenceFill(expanded, "").find('%') == std::string::npos;
    const bool byDde =
        ddeUsable && r.ddeCommand != dde && ReferenceFill(*Expand(dde), "").find('%') == std::string::npos;
    r.printable = byCommand || byDde;
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string lines[3];
    for (std::string& line : lines) {
        const size_t end = input.find('\n');
        line = std::string(input.substr(0, end));
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    }
    const std::string &command = lines[0], &dde = lines[1], &path = lines[2];

    const TPrintCommands built = BuildPrintCommandsWith(command, dde, path, Expand);
    FUZZ_REQUIRE(built == Reference(command, dde, path));
    FUZZ_REQUIRE(FillDocumentPath(command, path) == ReferenceFill(command, path));
    // The DDE target: given names stay; a derived service is a bare file name.
    const TDdeTarget given = DdeTargetFor(command, "App", "Topic");
    FUZZ_REQUIRE(given.application == "App" && given.topic == "Topic");
    const TDdeTarget derived = DdeTargetFor(command, "", "");
    FUZZ_REQUIRE(derived.topic == "System");
    FUZZ_REQUIRE(derived.application.find_first_of("\\/:") == std::string::npos);
    FUZZ_REQUIRE(derived.application.size() <= command.size());
    return 0;
}
