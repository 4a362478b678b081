// When a row's printing last showed a sign of life: its print program using the processor, or the
// spool folder's files growing (a job being captured). The print limit counts from there, so a
// long document that is being printed is never taken for one that does not print.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace folimar {

// A print program busy for less than this share of the time between two looks (1/20: 5%) is idle:
// a program that waits in a dialog or its message loop still uses a little.
inline constexpr uint64_t kBusyShareDivisor = 20;

class TPrintActivity {
public:
    // The print started at tick start: that is its first sign of life.
    explicit TPrintActivity(DWORD start) : FLastSign(start), FLookedAt(start) {}

    // A look at tick now: the processor time the print program has used so far (ms) and the bytes
    // the spool folder's files hold.
    void Look(DWORD now, uint64_t processorMs, uint64_t spoolBytes);

    // How long, at tick now, the print has shown no sign of life.
    DWORD QuietMs(DWORD now) const { return now - FLastSign; }

private:
    DWORD FLastSign;
    DWORD FLookedAt;
    std::optional<uint64_t> FProcessorMs;
    std::optional<uint64_t> FSpoolBytes;
};

} // namespace folimar
