// Who printed a job: the owner's token, taken from the spooler's thread or from the owner's session.
#pragma once

#include "win/handle.h"

#include <string>

namespace qvmon {

// The job's owner: a primary token of the user (for files made as that user and for starting the
// program in the user's session) and the user's SID as text (for the user's registry hive).
struct JobOwner {
    win::UniqueHandle token;
    std::wstring sid;
};

// The SID of a token's user as text; empty for LocalSystem or when it cannot be read.
std::wstring TokenUserSid(HANDLE token);

// Finds the owner of job jobId of printer. When the spooler calls us impersonating a user (not
// LocalSystem), that user is the owner; otherwise the job's user name (GetJob) is looked up among
// the logged-on sessions and that session's token is taken (WTSQueryUserToken, which needs the
// spooler's LocalSystem rights). An invalid token with the last error set when the owner is not
// logged on or cannot be found.
JobOwner FindJobOwner(const wchar_t* printer, DWORD jobId);

// Runs the scope on the calling thread as the given token (a primary or impersonation token, or
// null for the process's own account) and puts back whatever token the thread had before.
class ThreadTokenScope {
public:
    explicit ThreadTokenScope(HANDLE token);
    ~ThreadTokenScope();
    ThreadTokenScope(const ThreadTokenScope&) = delete;
    ThreadTokenScope& operator=(const ThreadTokenScope&) = delete;
    bool ok() const { return ok_; }

private:
    win::UniqueHandle previous_;
    bool ok_ = false;
};

} // namespace qvmon
