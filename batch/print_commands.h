// Printing one document through its file type's print command: the command line and DDE command
// made from the templates, the hidden print process, the DDE execute and the end of the process.
#pragma once

#include "win/handle.h"

#include <windows.h>

#include <string>

namespace folimar {

// What the templates give for one document.
struct TPrintCommands {
    std::string commandLine;
    std::string ddeCommand;
    bool printable = false;
};

TPrintCommands BuildPrintCommands(const std::string& commandTemplate, const std::string& ddeTemplate,
                                  const std::string& documentPath);

// The DDE service and topic: as the file type gives them, else the shell's defaults: the print
// program's file name without its extension, and "System".
struct TDdeTarget {
    std::string application;
    std::string topic;
};
TDdeTarget DdeTargetFor(const std::string& commandLine, const std::string& application, const std::string& topic);

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

} // namespace folimar
