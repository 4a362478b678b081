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
    };

    // One job on an open port; write is called with a sink that passes bytes to WritePort.
    Outcome Print(HANDLE port, DWORD jobId, const std::wstring& document,
                  const std::function<void(const std::function<bool(std::string_view)>&)>& write) const
    {
        Outcome outcome;
        ::ImpersonateSelf(SecurityImpersonation);
        DOC_INFO_1W doc{const_cast<LPWSTR>(document.c_str()), nullptr, const_cast<LPWSTR>(L"RAW")};
        outcome.started = table_->pfnStartDocPort(port, const_cast<LPWSTR>(kPrinter), jobId, 1,
                                                  reinterpret_cast<LPBYTE>(&doc)) != FALSE;
        if (outcome.started) {
            write([&](std::string_view bytes) {
                DWORD done = 0;
                const bool ok = table_->pfnWritePort(port, reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data())),
                                                     static_cast<DWORD>(bytes.size()), &done) &&
                                done == bytes.size();
                outcome.written = outcome.written && ok;
                return ok;
            });
            outcome.ended = table_->pfnEndDocPort(port) != FALSE;
            outcome.endError = outcome.ended ? 0 : ::GetLastError();
        }
        ::RevertToSelf();
        return outcome;
    }

    // OpenPort, one job of the given bytes in chunks of chunk bytes, ClosePort.
    Outcome PrintBytes(DWORD jobId, const std::wstring& document, std::string_view bytes, size_t chunk = 4093) const
    {
        HANDLE port = OpenPort(L"QUORVEL:");
        Outcome outcome = Print(port, jobId, document, [&](const auto& sink) {
            for (size_t at = 0; at < bytes.size(); at += chunk)
                if (!sink(bytes.substr(at, chunk)))
                    return;
        });
        table_->pfnClosePort(port);
        return outcome;
    }

private:
    win::Library library_;
    LPMONITOR2 table_ = nullptr;
    HANDLE monitor_ = nullptr;
};

} // namespace monitor_test
