// Small non-copyable owners for the OS handles the program uses.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

// Owns one handle of a kind described by Traits (its invalid value and how to close it).
template <class Traits> class Scoped {
public:
    using Type = typename Traits::Type;

    Scoped() = default;
    explicit Scoped(Type h) : h_(h) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& o) noexcept : h_(o.release()) {}
    Scoped& operator=(Scoped&& o) noexcept
    {
        if (this != &o)
            reset(o.release());
        return *this;
    }

    Type get() const { return h_; }
    bool valid() const { return Traits::Valid(h_); }
    explicit operator bool() const { return valid(); }
    Type release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(Type h = Traits::Invalid())
    {
        if (Traits::Valid(h_))
            Traits::Close(h_);
        h_ = h;
    }
    // For out-parameters of OS calls: closes what is held and hands out the slot.
    Type* put()
    {
        reset();
        return &h_;
    }

private:
    Type h_ = Traits::Invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    // Some calls return INVALID_HANDLE_VALUE, others null: neither is a handle to close.
    static bool Valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Type h) { ::FindClose(h); }
};

template <class T> struct GdiObjectTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};

struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DestroyWindow(h); }
};

struct MappedViewTraits {
    using Type = const void*;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::UnmapViewOfFile(h); }
};

using UniqueHandle = Scoped<KernelHandleTraits>;
using RegKey = Scoped<RegKeyTraits>;
using FindHandle = Scoped<FindHandleTraits>;
using Font = Scoped<GdiObjectTraits<HFONT>>;
using Brush = Scoped<GdiObjectTraits<HBRUSH>>;
using Bitmap = Scoped<GdiObjectTraits<HBITMAP>>;
using UniqueWindow = Scoped<WindowTraits>;
using MappedView = Scoped<MappedViewTraits>;

} // namespace win
