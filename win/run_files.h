// Files and folders that belong to one run of the program, named after its process id so that
// what a killed run left behind can be found and removed by a later run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace win {

// One run of a program: its process id, and its start time, which tells it from a later process
// that got the same id.
struct RunId {
    DWORD pid = 0;
    uint64_t started = 0; // the process's creation time (FILETIME units)

    bool operator==(const RunId&) const = default;
};

// This process.
RunId CurrentRun();

// stem, the process id in decimal, "-", the start time in hexadecimal, "-", serial in decimal,
// suffix: "~folimar-1234-1dc6b0f2a3b4c5d-7.tmp".
std::string RunFileName(std::string_view stem, const RunId& run, unsigned serial, std::string_view suffix);

// The run a name of that form carries; nothing for any other name.
std::optional<RunId> RunFileOwner(std::string_view name, std::string_view stem, std::string_view suffix);

// Whether that run still goes on; a process that cannot be opened for lack of rights counts as running.
bool RunGoesOn(const RunId& run);

// A new name for this process in folder (ending in a backslash), not used yet by anything there;
// make creates the file or folder and fails when the name is taken. Empty, with error set, when no
// name could be made.
template <class Make>
std::string MakeRunFile(const std::string& folder, std::string_view stem, std::string_view suffix, DWORD& error,
                        Make&& make);

// Tells whether a file of an ended run may go (its full path given): another machine's run, or one
// in another Wine prefix, has an id that names nothing here.
using RunFileCheck = std::function<bool(const std::string& path)>;

// Removes the files and folders (with their content) in folder that are named stem...suffix and
// belong to a run that has ended, and that mayRemove (when given) lets go.
void RemoveDeadRunFiles(const std::string& folder, std::string_view stem, std::string_view suffix,
                        const RunFileCheck& mayRemove = {});

// ---- template definition ----

unsigned NextRunFileSerial();

template <class Make>
std::string MakeRunFile(const std::string& folder, std::string_view stem, std::string_view suffix, DWORD& error,
                        Make&& make)
{
    constexpr int kAttempts = 64;
    for (int i = 0; i < kAttempts; ++i) {
        std::string name = folder + RunFileName(stem, CurrentRun(), NextRunFileSerial(), suffix);
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
