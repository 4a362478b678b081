// The test driver's dealings with processes rather than windows: its recording mode, a process's
// primary thread and a DDE execute conversation.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

// The value of an environment variable; empty when it is not set.
std::string EnvironmentValue(const char* name);

// Appends line and a line feed to the file at path.
bool AppendLine(const std::string& path, const std::string& line);

// The recording mode: appends our command line to recordFile and, when FOLIMAR_TESTDRIVER_HOLD
// names a file, waits (at most a minute) until it exists and appends "released". Exit code.
int Record(const std::string& recordFile);

// The primary thread of process pid: the first one it created. 0 with the last error set.
DWORD PrimaryThreadOf(DWORD pid);

// Sends command (ANSI text) as a DDE execute to service and topic, trying to connect for up to
// timeoutMs while the server may still be starting. True when the server acknowledged it; false
// with error set otherwise.
bool DdeExecute(const std::string& service, const std::string& topic, const std::string& command, int timeoutMs,
                std::string& error);

} // namespace driver
