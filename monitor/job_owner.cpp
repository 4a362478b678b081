// Who printed a job, and running a scope as that user.
#include "monitor/job_owner.h"

#include "monitor/owner_rules.h"
#include "monitor/wide_text.h"

#include <sddl.h>

#include <optional>
#include <vector>

namespace qvmon {

std::wstring TokenUserSid(HANDLE token)
{
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
        return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    if (::IsWellKnownSid(sid, WinLocalSystemSid))
        return {};
    win::Scoped<win::LocalMemoryTraits<LPWSTR>> text;
    if (!::ConvertSidToStringSidW(sid, text.put()))
        return {};
    return text.get();
}

namespace {

// The user the spooler impersonates on this thread: SID and name, and a primary token when the
// thread's token may act for the user; nothing when the thread runs as the spooler itself.
JobOwner FromThreadToken()
{
    win::UniqueHandle thread;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY | TOKEN_DUPLICATE, TRUE, thread.put()))
        return {};
    JobOwner client;
    client.sid = TokenUserSid(thread.get());
    if (client.sid.empty())
        return {};
    client.name = TokenAccountName(thread.get());
    SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
    DWORD size = 0;
    // A token for identification only cannot be made one that acts: Windows refuses, Wine not.
    if (::GetTokenInformation(thread.get(), TokenImpersonationLevel, &level, sizeof level, &size) &&
        level >= SecurityImpersonation)
        ::DuplicateTokenEx(thread.get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                           client.token.put());
    return client;
}

// The job's user name as the spooler recorded it.
std::string JobUserName(const wchar_t* printer, DWORD jobId)
{
    win::Printer handle;
    if (!::OpenPrinterW(const_cast<LPWSTR>(printer), handle.put(), nullptr))
        return {};
    DWORD needed = 0;
    ::GetJobW(handle.get(), jobId, 1, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!::GetJobW(handle.get(), jobId, 1, buffer.data(), needed, &needed))
        return {};
    const auto* info = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
    return info->pUserName ? ToUtf8(info->pUserName) : std::string();
}

std::string SessionText(DWORD session, WTS_INFO_CLASS what)
{
    win::WtsMemory<LPWSTR> text;
    DWORD bytes = 0;
    if (!::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, what, text.put(), &bytes) || !text)
        return {};
    return ToUtf8(text.get());
}

std::vector<SessionEntry> LoggedOnSessions()
{
    win::WtsMemory<PWTS_SESSION_INFOW> list;
    DWORD count = 0;
    std::vector<SessionEntry> sessions;
    if (!::WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, list.put(), &count))
        return sessions;
    for (DWORD i = 0; i < count; ++i) {
        const WTS_SESSION_INFOW& s = list.get()[i];
        SessionEntry entry;
        entry.id = s.SessionId;
        entry.active = s.State == WTSActive;
        entry.user = SessionText(s.SessionId, WTSUserName);
        entry.domain = SessionText(s.SessionId, WTSDomainName);
        sessions.push_back(std::move(entry));
    }
    return sessions;
}

DWORD TokenSession(HANDLE token)
{
    DWORD session = 0;
    DWORD size = 0;
    return ::GetTokenInformation(token, TokenSessionId, &session, sizeof session, &size) ? session : 0;
}

// The primary token of the logged-on session of user ("name" or "DOMAIN\name"), when that
// session's user has the SID expected (when one is).
JobOwner FromSession(const std::string& user, const std::wstring& expectedSid)
{
    JobOwner owner;
    owner.name = user;
    const std::optional<uint32_t> session = ChooseSession(LoggedOnSessions(), user);
    if (!session) {
        ::SetLastError(ERROR_NO_SUCH_LOGON_SESSION);
        return {};
    }
    if (!::WTSQueryUserToken(*session, owner.token.put()))
        return {};
    owner.sid = TokenUserSid(owner.token.get());
    if (owner.sid.empty() || (!expectedSid.empty() && owner.sid != expectedSid)) {
        owner.token.reset();
        ::SetLastError(ERROR_NO_SUCH_LOGON_SESSION); // another user of the same name
    }
    return owner;
}

} // namespace

std::string TokenAccountName(HANDLE token)
{
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    wchar_t name[257] = {};
    wchar_t domain[257] = {};
    DWORD nameSize = 257;
    DWORD domainSize = 257;
    SID_NAME_USE use;
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) ||
        !::LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, name, &nameSize, domain,
                             &domainSize, &use) ||
        !name[0])
        return {};
    return domain[0] ? ToUtf8(domain) + "\\" + ToUtf8(name) : ToUtf8(name);
}

std::wstring AccountSid(const std::string& name)
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domain[257];
    DWORD domainSize = 257;
    SID_NAME_USE use;
    win::Scoped<win::LocalMemoryTraits<LPWSTR>> text;
    if (name.empty() ||
        !::LookupAccountNameW(nullptr, ToWide(name).c_str(), sid, &sidSize, domain, &domainSize, &use) ||
        !::ConvertSidToStringSidW(sid, text.put()))
        return {};
    return text.get();
}

JobOwner FindJobOwner(const wchar_t* printer, DWORD jobId)
{
    JobOwner client = FromThreadToken();
    // A client token of session 0 (a job from another computer, or from a service) has no
    // desktop: the owner's own session is taken when the owner is logged on here.
    if (client.token && TokenSession(client.token.get()) != 0)
        return client;
    // The session list and a session's token are the spooler's to ask for, not the client's.
    ThreadTokenScope asSpooler(nullptr);
    if (client.name.empty())
        client.name = JobUserName(printer, jobId);
    if (client.name.empty()) {
        ::SetLastError(ERROR_NO_SUCH_USER);
        return client;
    }
    if (client.sid.empty())
        client.sid = AccountSid(client.name);
    JobOwner owner = FromSession(client.name, client.sid);
    if (owner.token)
        return owner;
    const DWORD error = ::GetLastError();
    ::SetLastError(error ? error : ERROR_NO_SUCH_LOGON_SESSION);
    return client;
}

ThreadTokenScope::ThreadTokenScope(HANDLE token)
{
    ::OpenThreadToken(::GetCurrentThread(), TOKEN_IMPERSONATE, TRUE, previous_.put());
    ok_ = token ? ::ImpersonateLoggedOnUser(token) != FALSE : ::RevertToSelf() != FALSE;
}

ThreadTokenScope::~ThreadTokenScope()
{
    const DWORD error = ::GetLastError();
    if (previous_)
        ::SetThreadToken(nullptr, previous_.get());
    else
        ::RevertToSelf();
    ::SetLastError(error);
}

} // namespace qvmon
