// Plays the spooler for the port monitor's tests: loads the DLL, and calls its functions in the
// order the spooler documents (InitializePrintMonitor2, OpenPort, StartDocPort, WritePort...,
// EndDocPort, ClosePort, Shutdown), impersonating the job's owner during a job as the spooler
// does when it calls the port on the owner's behalf.
#pragma once

#include "monitor/wide_text.h"
#include "win/handle.h"

#include <winsplp.h>

#include <functional>
#include <string>
#include <string_view>

namespace monitor_test {

inline constexpr wchar_t kPrinter[] = L"Quorvel Virtual Printer";

inline std::wstring ToWideAscii(const std::string& text)
{
    return qvmon::ToWide(text);
}

inline std::string Narrow(const wchar_t* text)
{
    return qvmon::ToUtf8(text);
}

class SpoolerStandIn {
public:
    explicit SpoolerStandIn(const std::wstring& dll) : library_(::LoadLibraryW(dll.c_str()))
    {
        auto init = reinterpret_cast<LPMONITOR2(WINAPI*)(PMONITORINIT, PHANDLE)>(
            reinterpret_cast<void*>(::GetProcAddress(library_.get(), "InitializePrintMonitor2")));
        MONITORINIT info{};
        info.cbSize = sizeof info;
        info.bLocal = TRUE;
        table_ = init ? init(&info, &monitor_) : nullptr;
    }
    ~SpoolerStandIn()
    {
        if (table_)
            table_->pfnShutdown(monitor_);
    }
    SpoolerStandIn(const SpoolerStandIn&) = delete;
    SpoolerStandIn& operator=(const SpoolerStandIn&) = delete;

    const MONITOR2* table() const { return table_; }
    HANDLE monitor() const { return monitor_; }

    HANDLE OpenPort(const wchar_t* name) const
    {
        HANDLE port = nullptr;
        return table_->pfnOpenPort(monitor_, const_cast<LPWSTR>(name), &port) ? port : nullptr;
    }

    struct Outcome {
        bool started = false;
        bool written = true; // every WritePort took all its bytes
        bool ended = false;
        DWORD endError = 0;
        bool tokenKept = true; // after each port call the thread still impersonated the client
    };

    // One job on an open port; write is called with a sink that passes bytes to WritePort. The
    // thread impersonates the host's user at level for the job, as the spooler its client.
    Outcome Print(HANDLE port, DWORD jobId, const std::wstring& document,
                  const std::function<void(const std::function<bool(std::string_view)>&)>& write,
                  SECURITY_IMPERSONATION_LEVEL level = SecurityImpersonation) const
    {
        Outcome outcome;
        ::ImpersonateSelf(level);
        const auto checkToken = [&] { outcome.tokenKept = outcome.tokenKept && ThreadTokenLevel() == int(level); };
        DOC_INFO_1W doc{const_cast<LPWSTR>(document.c_str()), nullptr, const_cast<LPWSTR>(L"RAW")};
        outcome.started = table_->pfnStartDocPort(port, const_cast<LPWSTR>(kPrinter), jobId, 1,
                                                  reinterpret_cast<LPBYTE>(&doc)) != FALSE;
        checkToken();
        if (outcome.started) {
            write([&](std::string_view bytes) {
                DWORD done = 0;
                const bool ok = table_->pfnWritePort(port, reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data())),
                                                     static_cast<DWORD>(bytes.size()), &done) &&
                                done == bytes.size();
                outcome.written = outcome.written && ok;
                return ok;
            });
            checkToken();
            outcome.ended = table_->pfnEndDocPort(port) != FALSE;
            outcome.endError = outcome.ended ? 0 : ::GetLastError();
            checkToken();
        }
        ::RevertToSelf();
        return outcome;
    }

    // OpenPort, one job of the given bytes in chunks of chunk bytes, ClosePort.
    Outcome PrintBytes(DWORD jobId, const std::wstring& document, std::string_view bytes, size_t chunk = 4093,
                       SECURITY_IMPERSONATION_LEVEL level = SecurityImpersonation) const
    {
        HANDLE port = OpenPort(L"QUORVEL:");
        Outcome outcome = Print(
            port, jobId, document,
            [&](const auto& sink) {
                for (size_t at = 0; at < bytes.size(); at += chunk)
                    if (!sink(bytes.substr(at, chunk)))
                        return;
            },
            level);
        table_->pfnClosePort(port);
        return outcome;
    }

    // The impersonation level of the calling thread's token; -1 when it has none.
    static int ThreadTokenLevel()
    {
        win::UniqueHandle token;
        if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, token.put()))
            return -1;
        SECURITY_IMPERSONATION_LEVEL level{};
        DWORD size = 0;
        return ::GetTokenInformation(token.get(), TokenImpersonationLevel, &level, sizeof level, &size) ? int(level)
                                                                                                        : -1;
    }

private:
    win::Library library_;
    LPMONITOR2 table_ = nullptr;
    HANDLE monitor_ = nullptr;
};

} // namespace monitor_test
