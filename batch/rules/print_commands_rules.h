// The rules of print-command execution over strings: the command line and DDE command made from
// a file type's templates, and the DDE service and topic the shell would use.
#pragma once

// Only standard headers here: the rules are built natively for fuzzing.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folimar {

// What the templates give for one document.
struct TPrintCommands {
    std::string commandLine;
    std::string ddeCommand;
    bool printable = false;

    bool operator==(const TPrintCommands&) const = default;
};

// The buffer an expansion goes into, with its terminating zero.
inline constexpr size_t kExpandedCommandBytes = 1024;

// Environment references of a template expanded; nothing when the expansion fails or does not fit
// in kExpandedCommandBytes (a cut command would print the wrong thing or nothing).
using EnvironmentExpander = std::function<std::optional<std::string>(const std::string& text)>;

// text with every "%1" replaced by documentPath as it is (no quotes added, the path not searched).
std::string FillDocumentPath(std::string_view text, std::string_view documentPath);

// An empty template, or one whose expansion fails, gives no command: without a command line the
// document is not printable; without a DDE command the DDE rule does not hold.
TPrintCommands BuildPrintCommandsWith(const std::string& commandTemplate, const std::string& ddeTemplate,
                                      const std::string& documentPath, const EnvironmentExpander& expand);

struct TDdeTarget {
    std::string application;
    std::string topic;

    bool operator==(const TDdeTarget&) const = default;
};

// The DDE service and topic: as the file type gives them, else the shell's defaults: the
// print program's file name without its extension, and "System".
TDdeTarget DdeTargetFor(const std::string& commandLine, const std::string& application, const std::string& topic);

} // namespace folimar
