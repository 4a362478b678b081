// The print programs' command lines, the DDE command they serve and their file-type registration.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace porttool {

// The DDE service and topic of print_dde.
inline constexpr char kDdeService[] = "QuorvelPrint";
inline constexpr char kDdeTopic[] = "System";

// print_text's command line: "FILE [PRINTER]", or the print verb's "/p FILE" ("/p" in any case,
// also "-p"), which prints to the default printer. nullopt for anything else, an empty file or
// printer name included.
struct PrintTextArgs {
    std::string file;
    std::string printer; // empty: the default printer
    bool printVerb = false;
};
std::optional<PrintTextArgs> ParsePrintTextArgs(const std::vector<std::string>& args);

// One DDE execute command: [print("PATH")] or [open("PATH")], the verb in any case, blanks
// allowed around the whole and between its parts. The path is taken as it is between its quotes,
// byte for byte, and may not be empty nor hold a quote. nullopt for anything else.
struct DdeCommand {
    enum class Verb { Print, Open } verb = Verb::Print;
    std::string path;
};
std::optional<DdeCommand> ParseDdeCommand(std::string_view text);

// One value to write below HKEY_CLASSES_ROOT: an empty name is the key's default value.
struct RegistryValue {
    std::string key;
    std::string name;
    std::string data;
};

// What makes ".txt" print with print_text and ".qdde" with print_dde through DDE, given the two
// programs' full Windows paths.
std::vector<RegistryValue> PrintProgramEntries(const std::string& printText, const std::string& printDde);

} // namespace porttool
