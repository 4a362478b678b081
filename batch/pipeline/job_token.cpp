// The print program's token in the environment it inherits, and the row note.
#include "batch/pipeline/job_token.h"

#include "base/printer_constants.h"
#include "files/folders.h"
#include "files/small_file.h"
#include "port/batch_job.h"

#include <windows.h>

#include <stdlib.h>

namespace folimar {

TJobTokenScope::TJobTokenScope(const std::string& token)
{
#ifdef __WINE__
    // Only the print-files thread starts print programs, one at a time, so no two scopes overlap.
    set_ = !token.empty() && ::setenv(porttool::kJobTokenVariable, token.c_str(), 1) == 0;
#else
    (void)token;
#endif
}

TJobTokenScope::~TJobTokenScope()
{
#ifdef __WINE__
    if (set_)
        ::unsetenv(porttool::kJobTokenVariable);
#endif
}

TRowNoteScope::TRowNoteScope(const std::string& spoolFolder, const porttool::TRowNote& note)
{
    // As the destination note: a spool folder removed meanwhile is made again.
    if (!DirectoryExists(spoolFolder))
        CreateFolderPath(spoolFolder);
    const std::string path = spoolFolder + kRowNoteFileName;
    if (ReplaceTextFile(path, porttool::RowNoteText(note)))
        FPath = path;
}

TRowNoteScope::~TRowNoteScope()
{
    if (!FPath.empty())
        ::DeleteFileA(FPath.c_str());
}

} // namespace folimar
