// The handles the monitor gives the spooler: numbers, not pointers, so that a stale, foreign or
// twice-closed handle is found out and refused instead of reaching freed memory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

namespace qvmon {

// Live objects of one kind behind handles that carry the kind's tag in their upper bits and a
// number never given out twice below it. Safe to use from any thread.
template <class T> class THandleTable {
public:
    explicit THandleTable(uint64_t tag) : tag_(tag << 40) {}
    THandleTable(const THandleTable&) = delete;
    THandleTable& operator=(const THandleTable&) = delete;

    HANDLE Add(std::shared_ptr<T> object)
    {
        TLock lock(&lock_);
        const uint64_t key = tag_ | (++last_ & kNumberMask);
        live_[key] = std::move(object);
        return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(key));
    }

    // The object behind handle; null when the handle is not a live one of this table. The caller
    // keeps it alive while it works, even if another thread closes the handle meanwhile.
    std::shared_ptr<T> Find(HANDLE handle) const
    {
        TLock lock(&lock_);
        const auto found = live_.find(Key(handle));
        return found == live_.end() ? nullptr : found->second;
    }

    // Takes the object out; null when the handle was not live (closed before, or never ours).
    std::shared_ptr<T> Remove(HANDLE handle)
    {
        TLock lock(&lock_);
        const auto found = live_.find(Key(handle));
        if (found == live_.end())
            return nullptr;
        std::shared_ptr<T> object = std::move(found->second);
        live_.erase(found);
        return object;
    }

private:
    static constexpr uint64_t kNumberMask = (uint64_t(1) << 40) - 1;

    class TLock {
    public:
        explicit TLock(SRWLOCK* lock) : lock_(lock) { ::AcquireSRWLockExclusive(lock_); }
        ~TLock() { ::ReleaseSRWLockExclusive(lock_); }
        TLock(const TLock&) = delete;
        TLock& operator=(const TLock&) = delete;

    private:
        SRWLOCK* lock_;
    };

    static uint64_t Key(HANDLE handle) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle)); }

    const uint64_t tag_;
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    uint64_t last_ = 0;
    std::map<uint64_t, std::shared_ptr<T>> live_;
};

} // namespace qvmon
