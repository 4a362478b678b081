// The port monitor the spooler loads: its one port "QUORVEL:" hands every job to Quorvel Folimar.
// The spooler finds the functions through the table InitializePrintMonitor2 returns; every entry
// catches everything, so that no exception reaches the spooler.
#include "monitor/capture.h"
#include "monitor/handle_table.h"
#include "monitor/monitor_names.h"

#include <winsplp.h>

#include <cstring>
#include <memory>
#include <new>
#include <string_view>

namespace qvmon {

namespace {

struct TMonitor {};

struct TPort {
    std::unique_ptr<TCapture> job;
};

struct TXcv {
    ACCESS_MASK access = 0;
};

// The spooler should never close a handle twice, but the monitor lives in the spooler's process:
// a mistake there must fail one call, not take the spooler down.
THandleTable<TPort> gPorts(0x515650);
THandleTable<TXcv> gXcvs(0x515658);

template <class R, class F> R Guarded(R failure, F&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        ::SetLastError(ERROR_INTERNAL_ERROR);
    }
    return failure;
}

BOOL Refuse(DWORD error)
{
    ::SetLastError(error);
    return FALSE;
}

bool IsOurPort(const wchar_t* name)
{
    return name && ::CompareStringOrdinal(name, -1, kPortName, -1, TRUE) == CSTR_EQUAL;
}

// Lays out one PORT_INFO_1W or PORT_INFO_2W in buffer: the record first, its strings at the end.
BOOL WINAPI EnumPorts(HANDLE, LPWSTR, DWORD level, LPBYTE ports, DWORD size, LPDWORD needed, LPDWORD returned)
{
    return Guarded(FALSE, [&]() -> BOOL {
        *returned = 0;
        if (level != 1 && level != 2)
            return Refuse(ERROR_INVALID_LEVEL);
        const std::wstring_view strings[] = {kPortName, kMonitorName, kPortDescription};
        const size_t count = level == 1 ? 1 : 3;
        DWORD bytes = level == 1 ? sizeof(PORT_INFO_1W) : sizeof(PORT_INFO_2W);
        for (size_t i = 0; i < count; ++i)
            bytes += static_cast<DWORD>((strings[i].size() + 1) * sizeof(wchar_t));
        *needed = bytes;
        if (!ports || size < bytes)
            return Refuse(ERROR_INSUFFICIENT_BUFFER);
        LPWSTR placed[3] = {};
        BYTE* end = ports + bytes;
        for (size_t i = 0; i < count; ++i) {
            const size_t length = (strings[i].size() + 1) * sizeof(wchar_t);
            end -= length;
            std::memcpy(end, strings[i].data(), length);
            placed[i] = reinterpret_cast<LPWSTR>(end);
        }
        if (level == 1) {
            reinterpret_cast<PORT_INFO_1W*>(ports)->pName = placed[0];
        } else {
            auto* info = reinterpret_cast<PORT_INFO_2W*>(ports);
            info->pPortName = placed[0];
            info->pMonitorName = placed[1];
            info->pDescription = placed[2];
            info->fPortType = PORT_TYPE_WRITE;
            info->Reserved = 0;
        }
        *returned = 1;
        return TRUE;
    });
}

BOOL WINAPI OpenPort(HANDLE, LPWSTR name, PHANDLE port)
{
    return Guarded(FALSE, [&]() -> BOOL {
        if (!IsOurPort(name))
            return Refuse(ERROR_UNKNOWN_PORT);
        *port = gPorts.Add(std::make_shared<TPort>());
        return TRUE;
    });
}

BOOL WINAPI StartDocPort(HANDLE port, LPWSTR printer, DWORD jobId, DWORD level, LPBYTE docInfo)
{
    return Guarded(FALSE, [&]() -> BOOL {
        const std::shared_ptr<TPort> p = gPorts.Find(port);
        if (!p)
            return Refuse(ERROR_INVALID_HANDLE);
        if (p->job)
            return Refuse(ERROR_BUSY);
        // DOC_INFO_1W and DOC_INFO_2W both begin with the document name.
        const wchar_t* document =
            (docInfo && (level == 1 || level == 2)) ? reinterpret_cast<DOC_INFO_1W*>(docInfo)->pDocName : nullptr;
        auto job = std::make_unique<TCapture>();
        if (!job->StartDoc(printer, jobId, document))
            return FALSE;
        p->job = std::move(job);
        return TRUE;
    });
}

BOOL WINAPI WritePort(HANDLE port, LPBYTE buffer, DWORD size, LPDWORD written)
{
    return Guarded(FALSE, [&]() -> BOOL {
        const std::shared_ptr<TPort> p = gPorts.Find(port);
        if (written)
            *written = 0;
        if (!p || !p->job || !written)
            return Refuse(ERROR_INVALID_HANDLE);
        return p->job->Write(buffer, size, written);
    });
}

BOOL WINAPI ReadPort(HANDLE, LPBYTE, DWORD, LPDWORD read)
{
    *read = 0;
    return Refuse(ERROR_NOT_SUPPORTED); // nothing ever answers on this port
}

BOOL WINAPI EndDocPort(HANDLE port)
{
    return Guarded(FALSE, [&]() -> BOOL {
        const std::shared_ptr<TPort> p = gPorts.Find(port);
        if (!p || !p->job)
            return Refuse(ERROR_INVALID_HANDLE);
        std::unique_ptr<TCapture> job = std::move(p->job);
        return job->EndDoc();
    });
}

BOOL WINAPI ClosePort(HANDLE port)
{
    return Guarded(FALSE, [&]() -> BOOL {
        // A job still open is dropped with the last reference to its port.
        return gPorts.Remove(port) ? TRUE : Refuse(ERROR_INVALID_HANDLE);
    });
}

BOOL WINAPI XcvOpenPort(HANDLE, LPCWSTR, ACCESS_MASK granted, PHANDLE xcv)
{
    return Guarded(FALSE, [&]() -> BOOL {
        *xcv = gXcvs.Add(std::make_shared<TXcv>(TXcv{granted}));
        return TRUE;
    });
}

// "AddPort" and "DeletePort" (administrators only) accept our one port; "PortIsValid" tells
// whether a name is it. The monitor keeps no list: its port exists while the monitor does.
DWORD WINAPI XcvDataPort(HANDLE xcv, LPCWSTR dataName, PBYTE input, DWORD inputSize, PBYTE, DWORD, PDWORD outputNeeded)
{
    return Guarded(static_cast<DWORD>(ERROR_INTERNAL_ERROR), [&]() -> DWORD {
        const std::shared_ptr<TXcv> x = gXcvs.Find(xcv);
        if (outputNeeded)
            *outputNeeded = 0;
        if (!x)
            return ERROR_INVALID_HANDLE;
        if (!dataName)
            return ERROR_INVALID_PARAMETER;
        const std::wstring_view what = dataName;
        // The port name arrives as a wide string; never read past the bytes given.
        const std::wstring name =
            input ? std::wstring(reinterpret_cast<const wchar_t*>(input),
                                 ::wcsnlen(reinterpret_cast<const wchar_t*>(input), inputSize / sizeof(wchar_t)))
                  : std::wstring();
        if (what == L"AddPort" || what == L"DeletePort") {
            if ((x->access & SERVER_ACCESS_ADMINISTER) != SERVER_ACCESS_ADMINISTER)
                return ERROR_ACCESS_DENIED;
            return IsOurPort(name.c_str()) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
        }
        if (what == L"PortIsValid")
            return IsOurPort(name.c_str()) ? ERROR_SUCCESS : ERROR_INVALID_NAME;
        return ERROR_INVALID_PARAMETER;
    });
}

BOOL WINAPI XcvClosePort(HANDLE xcv)
{
    return Guarded(FALSE, [&]() -> BOOL { return gXcvs.Remove(xcv) ? TRUE : Refuse(ERROR_INVALID_HANDLE); });
}

VOID WINAPI Shutdown(HANDLE monitor)
{
    Guarded(0, [&]() {
        delete static_cast<TMonitor*>(monitor);
        return 0;
    });
}

constexpr MONITOR2 MakeTable()
{
    MONITOR2 table{};
    table.cbSize = sizeof(MONITOR2);
    table.pfnEnumPorts = EnumPorts;
    table.pfnOpenPort = OpenPort;
    table.pfnStartDocPort = StartDocPort;
    table.pfnWritePort = WritePort;
    table.pfnReadPort = ReadPort;
    table.pfnEndDocPort = EndDocPort;
    table.pfnClosePort = ClosePort;
    table.pfnXcvOpenPort = XcvOpenPort;
    table.pfnXcvDataPort = XcvDataPort;
    table.pfnXcvClosePort = XcvClosePort;
    table.pfnShutdown = Shutdown;
    return table;
}

// Read-only: the spooler only reads the table.
const MONITOR2 kTable = MakeTable();

} // namespace

} // namespace qvmon

extern "C" __declspec(dllexport) LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE monitor)
{
    return qvmon::Guarded(static_cast<LPMONITOR2>(nullptr), [&]() -> LPMONITOR2 {
        if (!init || !monitor) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        *monitor = new qvmon::TMonitor;
        return const_cast<LPMONITOR2>(&qvmon::kTable);
    });
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // The spooler makes and ends many threads; the monitor needs no word of them.
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(instance);
    return TRUE;
}
