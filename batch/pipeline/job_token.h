// The token a batch document's print program carries to the printer's port.
#pragma once

#include <string>

namespace folimar {

// Puts the token into the environment that print programs started meanwhile inherit, and takes it
// out again when the scope ends. Under Wine the printer's "|command" port is run by the printing
// process's Unix side, which inherits the Unix environment of the process that started it, not
// the Windows environment block: so the token goes there. Windows' port monitor runs in the
// spooler and sees no print program's environment; there the scope does nothing.
class TJobTokenScope {
public:
    explicit TJobTokenScope(const std::string& token);
    ~TJobTokenScope();
    TJobTokenScope(const TJobTokenScope&) = delete;
    TJobTokenScope& operator=(const TJobTokenScope&) = delete;

private:
    bool set_ = false;
};

} // namespace folimar
