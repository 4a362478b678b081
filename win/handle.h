// Small non-copyable owners for the OS handles the program uses (GDI objects and device
// contexts: win/gdi.h).
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <ddeml.h>
#include <objbase.h>
#include <shellapi.h>
#include <userenv.h>
#include <winspool.h>
#include <wtsapi32.h>

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

struct WindowTraits {
    using Type = HWND;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DestroyWindow(h); }
};

// Memory the system allocated for the caller with LocalAlloc (CommandLineToArgvW, ...).
template <class T> struct LocalMemoryTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type p) { return p != nullptr; }
    static void Close(Type p) { ::LocalFree(p); }
};

// Memory the shell or COM allocated for the caller with its task allocator (an item identifier
// list from SHBrowseForFolderA, ...).
template <class T> struct TaskMemoryTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type p) { return p != nullptr; }
    static void Close(Type p) { ::CoTaskMemFree(p); }
};

// A printer opened with OpenPrinterA.
struct PrinterTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::ClosePrinter(h); }
};

// FindFirstPrinterChangeNotification fails with INVALID_HANDLE_VALUE (always, under Wine).
struct PrinterChangeTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Type h) { ::FindClosePrinterChangeNotification(h); }
};

// Pages from VirtualAlloc. Overlapped I/O needs them in a Winelib program, whose C++ heap is the
// C library's: Wine refuses to read into memory it did not map (ERROR_INVALID_USER_BUFFER).
struct VirtualMemoryTraits {
    using Type = void*;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type p) { return p != nullptr; }
    static void Close(Type p) { ::VirtualFree(p, 0, MEM_RELEASE); }
};

// A folder watched with FindFirstChangeNotificationA, which fails with INVALID_HANDLE_VALUE.
struct ChangeNotificationTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Type h) { ::FindCloseChangeNotification(h); }
};

// The DDE handles below belong to an instance: declare the instance's owner first, so that it
// is uninitialised after them.
struct DdeInstanceTraits {
    using Type = DWORD;
    static Type Invalid() { return 0; }
    static bool Valid(Type id) { return id != 0; }
    static void Close(Type id) { ::DdeUninitialize(id); }
};

// A DDE string handle is freed through the instance that made it, so the owner keeps both.
struct DdeStringHandle {
    DWORD instance = 0;
    HSZ hsz = nullptr;
};

struct DdeStringTraits {
    using Type = DdeStringHandle;
    static Type Invalid() { return {}; }
    static bool Valid(const Type& h) { return h.hsz != nullptr; }
    static void Close(const Type& h) { ::DdeFreeStringHandle(h.instance, h.hsz); }
};

struct DdeConversationTraits {
    using Type = HCONV;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DdeDisconnect(h); }
};

// Data the program made or received and did not hand to DDE (a handle given to
// DdeClientTransaction as its data belongs to DDE afterwards: release it).
struct DdeDataTraits {
    using Type = HDDEDATA;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DdeFreeDataHandle(h); }
};

struct MappedViewTraits {
    using Type = const void*;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::UnmapViewOfFile(h); }
};

// Files dropped on a window: the handle WM_DROPFILES brings, released with DragFinish.
struct DropTraits {
    using Type = HDROP;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DragFinish(h); }
};

// An image list the program made; a control given it with a "share" style does not destroy it.
struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::ImageList_Destroy(h); }
};

// A menu the program made and did not attach to a window.
struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::DestroyMenu(h); }
};

// Memory the Remote Desktop Services calls allocated (session lists, session details).
template <class T> struct WtsMemoryTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type p) { return p != nullptr; }
    static void Close(Type p) { ::WTSFreeMemory(p); }
};

// A DLL loaded with LoadLibrary.
struct LibraryTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type h) { return h != nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};

// A user's environment block from CreateEnvironmentBlock.
struct EnvironmentBlockTraits {
    using Type = void*;
    static Type Invalid() { return nullptr; }
    static bool Valid(Type p) { return p != nullptr; }
    static void Close(Type p) { ::DestroyEnvironmentBlock(p); }
};

using UniqueHandle = Scoped<KernelHandleTraits>;
using RegKey = Scoped<RegKeyTraits>;
using FindHandle = Scoped<FindHandleTraits>;
using UniqueWindow = Scoped<WindowTraits>;
using WideArgv = Scoped<LocalMemoryTraits<LPWSTR*>>;
using Printer = Scoped<PrinterTraits>;
using PrinterChangeNotification = Scoped<PrinterChangeTraits>;
using ChangeNotification = Scoped<ChangeNotificationTraits>;
using DdeInstance = Scoped<DdeInstanceTraits>;
using DdeString = Scoped<DdeStringTraits>;
using DdeConversation = Scoped<DdeConversationTraits>;
using DdeData = Scoped<DdeDataTraits>;
using MappedView = Scoped<MappedViewTraits>;
using VirtualMemory = Scoped<VirtualMemoryTraits>;
template <class T> using TaskMemory = Scoped<TaskMemoryTraits<T>>;
using Drop = Scoped<DropTraits>;
using ImageList = Scoped<ImageListTraits>;
using Menu = Scoped<MenuTraits>;
template <class T> using WtsMemory = Scoped<WtsMemoryTraits<T>>;
using EnvironmentBlock = Scoped<EnvironmentBlockTraits>;
using Library = Scoped<LibraryTraits>;

// COM on the calling thread for the scope's lifetime (the shell's folder browser needs it); a
// thread that had COM already keeps it as it was.
class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

// A string handle of instance for text (code page CP_WINANSI); invalid when DDE refuses it.
inline DdeString CreateDdeString(DWORD instance, const char* text)
{
    return DdeString(DdeStringHandle{instance, ::DdeCreateStringHandleA(instance, text, CP_WINANSI)});
}

} // namespace win
