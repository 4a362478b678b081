// Which captured job a batch document may take: the rule over a job-id file's record, and the
// row note that lets a port tell the document's job from others.
#pragma once

#include "port/batch_job.h"
#include "port/row_note.h"

#include <string>
#include <string_view>

namespace folimar {

enum class TJobVerdict {
    Take,    // the document's own job: convert it
    Discard, // a job of another row or batch, or of no known row: delete its captured file, wait on
    Refuse,  // no job the port captured: the row fails and the named file stays as it is
};

// A job is the port's only when its file is a captured job's name directly in the spool folder;
// then it is the document's only when it carries the document's token. Both ports write the token
// of the row a job belongs to (the Linux port from the printing process's environment, the
// Windows port monitor from the row note when the job's document name matches it), so a job
// without one was never meant for this batch.
TJobVerdict JudgeJob(const porttool::TJobIdRecord& job, std::string_view spoolFolder, std::string_view expectedToken);

// The row note of a document printed with token: the document's file name and, when its print
// program gets another name for it (the 8.3 short name), that file name too.
porttool::TRowNote RowNoteFor(std::string_view token, std::string_view documentPath, std::string_view printedPath);

} // namespace folimar
