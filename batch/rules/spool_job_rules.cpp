// Which captured job a batch document may take.
#include "batch/rules/spool_job_rules.h"

#include "files/text_rules.h"

namespace folimar {

TJobVerdict JudgeJob(const porttool::TJobIdRecord& job, std::string_view spoolFolder, std::string_view expectedToken)
{
    const std::string_view folder = FolderPart(job.psPath);
    const std::string_view name = std::string_view(job.psPath).substr(folder.size());
    if (spoolFolder.empty() || !EqualsNoCaseAscii(folder, spoolFolder) || !porttool::IsCapturedJobName(name))
        return TJobVerdict::Refuse;
    if (job.token.empty() || job.token == expectedToken)
        return TJobVerdict::Take;
    return TJobVerdict::Discard;
}

} // namespace folimar
