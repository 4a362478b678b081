// Printing one document through its file type's print command: the command line and DDE command
// made from the templates, the hidden print process, the DDE execute and the end of the process.
#pragma once

#include "batch/rules/print_commands_rules.h"
#include "win/handle.h"

#include <windows.h>

#include <optional>
#include <string>

namespace folimar {

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

// One DDE execute conversation; true when the server accepted the command. While no server
// answers, the connection is tried again for up to connectWaitMs (a print application that is
// still starting has not registered its service yet).
bool ExecuteDdeCommand(const std::string& application, const std::string& topic, const std::string& command,
                       DWORD connectWaitMs = 0);

// How long a print application may take to go once asked to quit; then it is ended.
inline constexpr DWORD kPrintAppQuitWaitMs = 5000;

// Asks the application to quit (WM_QUIT to its primary thread) and ends it (exit code 1) when it
// is still there after quitWait; with kill, ends it at once. Closes its handles either way.
void EndPrintCommand(TPrintProcess& process, bool kill, DWORD quitWait = kPrintAppQuitWaitMs);

// ExpandEnvironmentStringsA into kExpandedCommandBytes.
std::optional<std::string> ExpandEnvironment(const std::string& text);

} // namespace folimar
