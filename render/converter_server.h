// The converter process's side: renders the jobs a batch hands over, one at a time, until the
// batch closes the line or ends the process. A render the batch must stop is ended with the process.
#pragma once

#include <windows.h>

namespace folimar {

// Reads request lines from in and answers each on out once its render has ended. Returns 0 when
// in ends, 1 when a reply cannot be written.
int ServeRenders(HANDLE in, HANDLE out);

} // namespace folimar
