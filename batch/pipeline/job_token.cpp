// The print program's token in the environment it inherits.
#include "batch/pipeline/job_token.h"

#include "port/batch_job.h"

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

} // namespace folimar
