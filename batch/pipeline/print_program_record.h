// The running print program noted in the data folder, and its end at a later start should the
// batch that started it have been killed (where no job object ended it with the batch).
#pragma once

#include "batch/pipeline/print_commands.h"

#include <string>

namespace folimar {

// Notes the process at notePath for as long as this object lives; an empty path notes nothing.
class TPrintProgramRecord {
public:
    TPrintProgramRecord(std::string notePath, const TPrintProcess& process);
    TPrintProgramRecord(const TPrintProgramRecord&) = delete;
    TPrintProgramRecord& operator=(const TPrintProgramRecord&) = delete;
    ~TPrintProgramRecord();

private:
    std::string FNotePath;
};

// When no batch runs in any instance: ends the print program noted at notePath if it still runs
// (the same process, not one that took its id later), and removes the note.
void EndPrintProgramAfterLostBatch(const std::string& notePath);

} // namespace folimar
