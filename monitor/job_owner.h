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

// "DOMAIN\name" of a token's user; empty when it cannot be looked up.
std::string TokenAccountName(HANDLE token);

// The SID of a token's user as text; empty for LocalSystem or when it cannot be read.
std::wstring TokenUserSid(HANDLE token);

// Finds the owner of job jobId of printer. When the spooler calls us impersonating a user (not
// LocalSystem), that user is the owner, in the client's session; otherwise (or when that session
// is 0, which has no desktop) the user's name (the client's, or the job's from GetJob) is looked
// up among the logged-on sessions and that session's token is taken (WTSQueryUserToken, which
// needs the spooler's LocalSystem rights). A client of session 0 who is not logged on here keeps
// the client's token. An invalid token with the last error set when there is no owner.
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
