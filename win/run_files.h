// Files and folders that belong to one run of the program, named after its process id so that
// what a killed run left behind can be found and removed by a later run.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace win {

// stem, the process id in decimal, "-", serial in decimal, suffix: "~folimar-1234-7.tmp".
std::string RunFileName(std::string_view stem, DWORD pid, unsigned serial, std::string_view suffix);

// The process id a name of that form carries; nothing for any other name.
std::optional<DWORD> RunFileOwner(std::string_view name, std::string_view stem, std::string_view suffix);

// Whether a process of that id runs now; one that cannot be opened for lack of rights counts as running.
bool ProcessRunning(DWORD pid);

// A new name for this process in folder (ending in a backslash), not used yet by anything there;
// make creates the file or folder and fails when the name is taken. Empty, with error set, when no
// name could be made.
template <class Make>
std::string MakeRunFile(const std::string& folder, std::string_view stem, std::string_view suffix, DWORD& error,
                        Make&& make);

// Removes the files and folders (with their content) in folder that are named stem...suffix and
// belong to a process that no longer runs.
void RemoveDeadRunFiles(const std::string& folder, std::string_view stem, std::string_view suffix);

// ---- template definition ----

unsigned NextRunFileSerial();

template <class Make>
std::string MakeRunFile(const std::string& folder, std::string_view stem, std::string_view suffix, DWORD& error,
                        Make&& make)
{
    constexpr int kAttempts = 64;
    for (int i = 0; i < kAttempts; ++i) {
        std::string name = folder + RunFileName(stem, ::GetCurrentProcessId(), NextRunFileSerial(), suffix);
        ::SetLastError(ERROR_SUCCESS);
        if (make(name))
            return name;
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (error == ERROR_SUCCESS)
        error = ERROR_GEN_FAILURE;
    return {};
}

} // namespace win
