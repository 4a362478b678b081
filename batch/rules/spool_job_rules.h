// Which captured job a batch document may take: the rule over a job-id file's record.
#pragma once

#include "port/batch_job.h"

#include <string>
#include <string_view>

namespace folimar {

enum class TJobVerdict {
    Take,    // the document's own job: convert it
    Discard, // a job of another row or batch: delete its captured file, wait on
    Refuse,  // no job the port captured: the row fails and the named file stays as it is
};

// A job is the port's only when its file is a captured job's name directly in the spool folder;
// then it is the document's when it carries the document's token. A job without a token comes
// from a port that cannot tell who printed (the Windows port monitor): the document takes it,
// since only jobs that appeared after its print started are looked at.
TJobVerdict JudgeJob(const porttool::TJobIdRecord& job, std::string_view spoolFolder, std::string_view expectedToken);

} // namespace folimar
