// Stands in for wtsapi32.dll in the port monitor's host (Wine's own cannot show what matters):
// one logged-on session, that of the host's user, whose token WTSQueryUserToken gives only to a
// caller that is not impersonating anybody, as Windows gives it only to LocalSystem. Each call
// appends "<function> impersonating=<0|1>" to the file named by QV_WTS_RECORD. With
// QV_WTS_NO_SESSIONS set, nobody is logged on.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

bool Impersonating()
{
    HANDLE token = nullptr;
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
        return false;
    ::CloseHandle(token);
    return true;
}

bool Record(const char* function)
{
    const bool impersonating = Impersonating();
    wchar_t path[MAX_PATH];
    if (::GetEnvironmentVariableW(L"QV_WTS_RECORD", path, MAX_PATH)) {
        if (FILE* file = ::_wfopen(path, L"a")) {
            std::fprintf(file, "%s impersonating=%d\n", function, impersonating ? 1 : 0);
            std::fclose(file);
        }
    }
    return impersonating;
}

bool NoSessions()
{
    return ::GetEnvironmentVariableW(L"QV_WTS_NO_SESSIONS", nullptr, 0) > 0;
}

// The session information record as wtsapi32.h lays it out.
struct SessionInfo {
    DWORD sessionId;
    wchar_t* stationName;
    int state; // 0: active
};

wchar_t* Copy(const wchar_t* text)
{
    const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(::LocalAlloc(LMEM_FIXED, bytes));
    if (copy)
        std::memcpy(copy, text, bytes);
    return copy;
}

bool ProcessUser(wchar_t* name, wchar_t* domain)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    BYTE buffer[256];
    DWORD size = 0;
    const bool got = ::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    ::CloseHandle(token);
    DWORD nameSize = 257, domainSize = 257;
    SID_NAME_USE use;
    return got && ::LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, name, &nameSize, domain,
                                      &domainSize, &use);
}

} // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI WTSEnumerateSessionsW(HANDLE, DWORD, DWORD, SessionInfo** sessions, DWORD* count)
{
    Record("WTSEnumerateSessionsW");
    const DWORD n = NoSessions() ? 0 : 1;
    *sessions = static_cast<SessionInfo*>(::LocalAlloc(LMEM_ZEROINIT, sizeof(SessionInfo) * (n + 1)));
    *count = n;
    if (n)
        (*sessions)[0] = SessionInfo{1, nullptr, 0};
    return *sessions != nullptr;
}

__declspec(dllexport) BOOL WINAPI
    WTSQuerySessionInformationW(HANDLE, DWORD session, int what, wchar_t** buffer, DWORD* bytes)
{
    Record("WTSQuerySessionInformationW");
    wchar_t name[257] = {}, domain[257] = {};
    if (session != 1 || NoSessions() || !ProcessUser(name, domain)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    constexpr int kUserName = 5, kDomainName = 7;
    *buffer = Copy(what == kUserName ? name : what == kDomainName ? domain : L"");
    *bytes = *buffer ? static_cast<DWORD>((std::wcslen(*buffer) + 1) * sizeof(wchar_t)) : 0;
    return *buffer != nullptr;
}

__declspec(dllexport) BOOL WINAPI WTSQueryUserToken(ULONG session, HANDLE* token)
{
    if (Record("WTSQueryUserToken")) {
        ::SetLastError(ERROR_PRIVILEGE_NOT_HELD); // an impersonated user lacks SE_TCB_NAME
        return FALSE;
    }
    HANDLE process = nullptr;
    if (session != 1 || NoSessions() ||
        !::OpenProcessToken(::GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process)) {
        ::SetLastError(ERROR_NO_TOKEN);
        return FALSE;
    }
    const BOOL made = ::DuplicateTokenEx(process, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, token);
    ::CloseHandle(process);
    return made;
}

__declspec(dllexport) void WINAPI WTSFreeMemory(void* memory)
{
    ::LocalFree(memory);
}

} // extern "C"
