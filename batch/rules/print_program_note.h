// The note a batch keeps of its running print program, so that a later start can end a program
// a killed batch left behind: its process id and its creation time (a process id is reused once
// its process has gone; the pair names one process only).
#pragma once

// Only standard headers here: pure rules over text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace folimar {

struct TPrintProgramNote {
    uint32_t processId = 0;
    uint64_t created = 0; // FILETIME units, as the system reports the process's creation

    bool operator==(const TPrintProgramNote&) const = default;
};

// "<process id> <creation time>" in decimal.
std::string FormatPrintProgramNote(const TPrintProgramNote& note);

// The note as FormatPrintProgramNote writes it (a line end after it allowed); nothing for any
// other text, a zero process id or creation time included.
std::optional<TPrintProgramNote> ParsePrintProgramNote(std::string_view text);

} // namespace folimar
