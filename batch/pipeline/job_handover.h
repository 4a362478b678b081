// A captured job that is not the row's: handed to single-job mode as the port hands an ordinary
// print, so that no print of another program vanishes into a batch.
#pragma once

#include <string>

namespace folimar {

// The window program beside the running one, which single-job mode runs in.
std::string SingleJobProgramBesideProgram();

// Moves the captured file psPath into jobsFolder (made when missing) under a new job name, writes
// its companion file beside it and starts program for it with the single-job command line, as the
// port starts it for an ordinary print. False when any step failed; the job is never deleted: it
// stays where the failed step left it.
bool HandJobToSingleJobMode(const std::string& psPath, const std::string& jobsFolder, const std::string& program);

} // namespace folimar
