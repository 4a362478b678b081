// Which captured job a batch document may take, and the row note that names it.
#include "batch/rules/spool_job_rules.h"

#include "files/text_rules.h"

namespace folimar {

TJobVerdict JudgeJob(const porttool::TJobIdRecord& job, bool inSpoolFolder, std::string_view rowToken, bool rowWaiting)
{
    if (!inSpoolFolder)
        return TJobVerdict::Refuse;
    if (job.token.empty())
        return rowWaiting ? TJobVerdict::Take : TJobVerdict::HandOver;
    if (rowToken.empty() || job.token != rowToken)
        return TJobVerdict::HandOver;
    return rowWaiting ? TJobVerdict::Take : TJobVerdict::Drop;
}

porttool::TRowNote RowNoteFor(std::string_view token, std::string_view documentPath, std::string_view printedPath)
{
    porttool::TRowNote note{std::string(token), {std::string(FileNamePart(documentPath))}};
    const std::string_view printed = FileNamePart(printedPath);
    if (!printed.empty() && !EqualsNoCaseAscii(printed, note.names.front()))
        note.names.emplace_back(printed);
    return note;
}

} // namespace folimar
