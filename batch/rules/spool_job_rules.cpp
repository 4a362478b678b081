// Which captured job a batch document may take, and the row note that names it.
#include "batch/rules/spool_job_rules.h"

#include "files/text_rules.h"

namespace folimar {

TJobVerdict JudgeJob(const porttool::TJobIdRecord& job, std::string_view spoolFolder, std::string_view expectedToken)
{
    const std::string_view folder = FolderPart(job.psPath);
    const std::string_view name = std::string_view(job.psPath).substr(folder.size());
    if (spoolFolder.empty() || !EqualsNoCaseAscii(folder, spoolFolder) || !porttool::IsCapturedJobName(name))
        return TJobVerdict::Refuse;
    if (!expectedToken.empty() && job.token == expectedToken)
        return TJobVerdict::Take;
    return TJobVerdict::Discard;
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
