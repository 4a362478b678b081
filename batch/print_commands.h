// Printing one document through its file type's print command: the command line and DDE command
// made from the templates, the hidden print process, the DDE execute and the end of the process.
#pragma once

#include "win/handle.h"

#include <windows.h>

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

TPrintCommands BuildPrintCommands(const std::string& commandTemplate, const std::string& ddeTemplate,
                                  const std::string& documentPath);

// A started print application; owned by the caller until EndPrintCommand.
struct TPrintProcess {
    win::UniqueHandle process;
    win::UniqueHandle thread;
    DWORD threadId = 0;
};

// Starts the command line as a hidden process; false when it cannot be started.
bool StartPrintCommand(const std::string& commandLine, TPrintProcess& process);

// One DDE execute conversation; true when the server accepted the command.
bool ExecuteDdeCommand(const std::string& application, const std::string& topic, const std::string& command);

// Asks the application to quit (WM_QUIT to its primary thread) or, with kill, ends it at once;
// closes its handles either way.
void EndPrintCommand(TPrintProcess& process, bool kill);

struct TDdeTarget {
    std::string application;
    std::string topic;

    bool operator==(const TDdeTarget&) const = default;
};

// The DDE service and topic: as the file type gives them, else the shell's defaults: the
// print program's file name without its extension, and "System".
TDdeTarget DdeTargetFor(const std::string& commandLine, const std::string& application, const std::string& topic);

// The rules below take the environment expansion as a function.

// The buffer an expansion goes into, with its terminating zero.
inline constexpr size_t kExpandedCommandBytes = 1024;

// Environment references of a template expanded; nothing when the expansion fails or does not fit
// in kExpandedCommandBytes (a cut command would print the wrong thing or nothing).
using EnvironmentExpander = std::function<std::optional<std::string>(const std::string& text)>;

// ExpandEnvironmentStringsA into kExpandedCommandBytes.
std::optional<std::string> ExpandEnvironment(const std::string& text);

// text with every "%1" replaced by documentPath as it is (no quotes added, the path not searched).
std::string FillDocumentPath(std::string_view text, std::string_view documentPath);

// An empty template, or one whose expansion fails, gives no command: without a command line the
// document is not printable; without a DDE command the DDE rule does not hold.
TPrintCommands BuildPrintCommandsWith(const std::string& commandTemplate, const std::string& ddeTemplate,
                                      const std::string& documentPath, const EnvironmentExpander& expand);

} // namespace folimar
