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
    std::string name; // "DOMAIN\name" or the spooler's user name of the job; for the log
};

// "DOMAIN\name" of a token's user; empty when it cannot be looked up.
std::string TokenAccountName(HANDLE token);

// The SID of a token's user as text; empty for LocalSystem or when it cannot be read.
std::wstring TokenUserSid(HANDLE token);

// The SID of an account name ("name" or "DOMAIN\name") as text; empty when unknown.
std::wstring AccountSid(const std::string& name);

// Finds the owner of job jobId of printer. When the spooler calls us impersonating a user (not
// LocalSystem) with a token that can act (impersonation level), that user is the owner, in the
// client's session; otherwise (session 0, which has no desktop, or a token only good for
// identification) the user's name (the client's, or the job's from GetJob) is looked up among the
// logged-on sessions and that session's token is taken, if its user has the owner's SID. The
// session calls run outside impersonation (WTSQueryUserToken needs the spooler's own LocalSystem
// rights) and the thread's token is put back afterwards. A client of session 0 who is not logged
// on here keeps the client's token. An invalid token with the last error set when there is no
// owner; sid and name are still filled in as far as they are known.
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
