// Which captured job a batch document may take: the rule over a job-id file's record, and the
// row note that lets a port tell the document's job from others.
#pragma once

#include "port/batch_job.h"
#include "port/row_note.h"

#include <string>
#include <string_view>

namespace folimar {

enum class TJobVerdict {
    Take,     // the row's own job: convert it
    Drop,     // the row's own job come after its row ended: it goes with the spool folder
    HandOver, // another row's or batch's job, or one more of this row: an ordinary print, for single-job mode
    Refuse,   // its file is none the spool folder holds: nothing is done to it
};

// Which job is a row's. inSpoolFolder: the job-id file names a plain file directly in the spool
// folder (IsPlainFileDirectlyIn), where only ports put files. rowWaiting: the row still waits for
// its job, which was reported after the row's print started. A job with a token is the row's when
// it carries the row's token (both of our ports write it); a job without one comes from a port
// that writes the job-id file with the path alone, and the first such job a waiting row sees is
// its own. No job that is not the row's is ever deleted: it is another program's print.
TJobVerdict JudgeJob(const porttool::TJobIdRecord& job, bool inSpoolFolder, std::string_view rowToken, bool rowWaiting);

// The row note of a document printed with token: the document's file name and, when its print
// program gets another name for it (the 8.3 short name), that file name too.
porttool::TRowNote RowNoteFor(std::string_view token, std::string_view documentPath, std::string_view printedPath);

} // namespace folimar
