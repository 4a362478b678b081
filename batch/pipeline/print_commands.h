// Printing one document through its file type's print command: the command line and DDE command
// made from the templates, the hidden print process, the DDE execute and the end of the process.
#pragma once

#include "batch/rules/print_commands_rules.h"
#include "win/handle.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace folimar {

TPrintCommands BuildPrintCommands(const std::string& commandTemplate, const std::string& ddeTemplate,
                                  const std::string& documentPath);

// The name of the document to give its print program: the path itself when every character of
// it has a form in the legacy ANSI code page, which a program without a UTF-8 manifest reads
// its command line in; else the path's short (8.3) name, which any program can open. Nothing when
// the volume keeps no short name for it: the program would get a name with "?" in it.
std::optional<std::string> NameForPrintProgram(const std::string& path);

// A started print application; owned by the caller until EndPrintCommand. Its job object holds
// it and every process it starts, and ends them all when it is closed, also when this program
// dies.
struct TPrintProcess {
    win::UniqueHandle process;
    win::UniqueHandle thread;
    DWORD threadId = 0;
    DWORD processId = 0;
    FILETIME created{};    // with the id, names this process and no later one that reuses the id
    win::UniqueHandle job; // null where the system gives none: then only the process is ended
};

// The processor time (ms) the print application has used so far: its job's processes where the
// system counts them (Windows), else its own process or at least its first thread (Wine counts
// only threads of other processes).
uint64_t ProcessorTimeMs(const TPrintProcess& process);

// Starts the command line as a hidden process inside a job object of its own; false, with the
// last error set, when it cannot be started.
bool StartPrintCommand(const std::string& commandLine, TPrintProcess& process);

// One DDE execute conversation; true when the server accepted the command. While no server
// answers, the connection is tried again for up to connectWaitMs (a print application that is
// still starting has not registered its service yet), unless stop (may be null) is set first.
bool ExecuteDdeCommand(const std::string& application, const std::string& topic, const std::string& command,
                       DWORD connectWaitMs = 0, HANDLE stop = nullptr);

// How long a print application may take to go once asked to quit; then it is ended.
inline constexpr DWORD kPrintAppQuitWaitMs = 5000;

// Asks the application to quit (WM_QUIT to its primary thread) and ends it (exit code 1) when it
// is still there after quitWait; with kill, ends it at once. Whatever it started and left running
// is ended with it. Closes its handles either way.
void EndPrintCommand(TPrintProcess& process, bool kill, DWORD quitWait = kPrintAppQuitWaitMs);

// Ends the process id when it is still the one created at created (a process that ended long
// ago may have left its id to another); false when there was none such to end.
bool EndProcessIfSame(DWORD processId, const FILETIME& created);

// ExpandEnvironmentStringsA into kExpandedCommandBytes.
std::optional<std::string> ExpandEnvironment(const std::string& text);

} // namespace folimar
