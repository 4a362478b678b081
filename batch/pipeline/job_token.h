// How a batch document's job is known for its own: the token its print program carries to the
// printer's port, and the row note in the spool folder for a port that cannot see the program.
#pragma once

#include "port/row_note.h"

#include <string>

namespace folimar {

// Puts the token into the environment that print programs started meanwhile inherit, and takes it
// out again when the scope ends. Under Wine the printer's "|command" port is run by the printing
// process's Unix side, which inherits the Unix environment of the process that started it, not
// the Windows environment block: so the token goes there. Windows' port monitor runs in the
// spooler and sees no print program's environment; there the scope does nothing.
class TJobTokenScope {
public:
    explicit TJobTokenScope(const std::string& token);
    ~TJobTokenScope();
    TJobTokenScope(const TJobTokenScope&) = delete;
    TJobTokenScope& operator=(const TJobTokenScope&) = delete;

private:
    bool set_ = false;
};

// Keeps the row note (RowNoteText) as spoolFolder + "~row.tmp" while the scope lives: written whole
// through a temporary file, so that the Windows port monitor, reading it at a job's start, finds a
// whole note or none; removed when the scope ends, however the row ends.
class TRowNoteScope {
public:
    TRowNoteScope(const std::string& spoolFolder, const porttool::TRowNote& note);
    ~TRowNoteScope();
    TRowNoteScope(const TRowNoteScope&) = delete;
    TRowNoteScope& operator=(const TRowNoteScope&) = delete;

    // False when the note could not be written: the Windows port monitor would then take the
    // row's job for an ordinary print.
    bool Written() const { return !FPath.empty(); }

private:
    std::string FPath; // empty when nothing was written
};

} // namespace folimar
