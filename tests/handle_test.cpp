// The handle owners on real handles of the test prefix: who closes, and when.
#include "tests/gtest_win.h"

#include "win/gdi.h"
#include "win/handle.h"
#include "win/temp_folder.h"

#include <string>
#include <utility>

namespace {

// Each kind opens real handles and tells, without changing it, whether a handle is still open.
// Between closing a handle and asking about it a test opens nothing, so a reused value cannot
// answer for a closed one.

struct EventKind {
    using Owner = win::UniqueHandle;
    HANDLE Open() { return ::CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    bool IsOpen(HANDLE h)
    {
        DWORD flags = 0;
        return ::GetHandleInformation(h, &flags) != FALSE;
    }
    void Close(HANDLE h) { ::CloseHandle(h); }
};

struct RegKeyKind {
    using Owner = win::RegKey;
    HKEY Open()
    {
        HKEY key = nullptr;
        return ::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) == ERROR_SUCCESS ? key : nullptr;
    }
    bool IsOpen(HKEY key)
    {
        return ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr) == ERROR_SUCCESS;
    }
    void Close(HKEY key) { ::RegCloseKey(key); }
};

struct ChangeNotificationKind {
    using Owner = win::ChangeNotification;
    win::TempFolder folder;
    HANDLE Open() { return ::FindFirstChangeNotificationA(folder.path().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME); }
    bool IsOpen(HANDLE h) { return EventKind().IsOpen(h); }
    void Close(HANDLE h) { ::FindCloseChangeNotification(h); }
};

// The print server itself (a null printer name) is a printer handle every prefix can open.
struct PrinterKind {
    using Owner = win::Printer;
    HANDLE Open()
    {
        HANDLE printer = nullptr;
        return ::OpenPrinterA(nullptr, &printer, nullptr) ? printer : nullptr;
    }
    bool IsOpen(HANDLE printer)
    {
        DWORD needed = 0;
        return ::GetPrinterDataExA(printer, "", "FolimarTest", nullptr, nullptr, 0, &needed) != ERROR_INVALID_HANDLE;
    }
    void Close(HANDLE printer) { ::ClosePrinter(printer); }
};

HDDEDATA CALLBACK IgnoreDde(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return nullptr;
}

DWORD NewDdeInstance()
{
    DWORD id = 0;
    return ::DdeInitializeA(&id, IgnoreDde, APPCMD_CLIENTONLY, 0) == DMLERR_NO_ERROR ? id : 0;
}

struct DdeInstanceKind {
    using Owner = win::DdeInstance;
    DWORD Open() { return NewDdeInstance(); }
    bool IsOpen(DWORD id) { return ::DdeGetLastError(id) != DMLERR_INVALIDPARAMETER; }
    void Close(DWORD id) { ::DdeUninitialize(id); }
};

struct DdeStringKind {
    using Owner = win::DdeString;
    win::DdeInstance instance{NewDdeInstance()};
    int made = 0;
    // The same text gives the same handle again, so every handle gets a text of its own.
    win::DdeStringHandle Open()
    {
        const std::string text = "FolimarTest" + std::to_string(++made);
        return {instance.get(), ::DdeCreateStringHandleA(instance.get(), text.c_str(), CP_WINANSI)};
    }
    bool IsOpen(const win::DdeStringHandle& h)
    {
        char text[64];
        return ::DdeQueryStringA(h.instance, h.hsz, text, sizeof text, CP_WINANSI) > 0;
    }
    void Close(const win::DdeStringHandle& h) { ::DdeFreeStringHandle(h.instance, h.hsz); }
};

struct DdeDataKind {
    using Owner = win::DdeData;
    win::DdeInstance instance{NewDdeInstance()};
    HDDEDATA Open()
    {
        char command[] = "[print(\"C:\\doc.txt\")]";
        return ::DdeCreateDataHandle(instance.get(), reinterpret_cast<BYTE*>(command), sizeof command, 0, nullptr,
                                     CF_TEXT, 0);
    }
    bool IsOpen(HDDEDATA h) { return ::DdeGetData(h, nullptr, 0, 0) > 0; }
    void Close(HDDEDATA h) { ::DdeFreeDataHandle(h); }
};

struct PenKind {
    using Owner = win::Pen;
    HPEN Open() { return ::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)); }
    bool IsOpen(HPEN pen) { return ::GetObjectType(pen) == OBJ_PEN; }
    void Close(HPEN pen) { ::DeleteObject(pen); }
};

struct DcKind {
    using Owner = win::Dc;
    HDC Open() { return ::CreateCompatibleDC(nullptr); }
    bool IsOpen(HDC dc) { return ::GetObjectType(dc) == OBJ_MEMDC; }
    void Close(HDC dc) { ::DeleteDC(dc); }
};

template <class Kind> class Owners : public ::testing::Test {
protected:
    using Owner = typename Kind::Owner;
    using Type = typename Owner::Type;

    // An open handle, checked.
    Type Open()
    {
        Type h = kind_.Open();
        Owner probe(h);
        EXPECT_TRUE(probe.valid() && kind_.IsOpen(h)) << "could not open a handle";
        probe.release();
        return h;
    }

    Kind kind_;
};

using Kinds = ::testing::Types<EventKind, RegKeyKind, ChangeNotificationKind, PrinterKind, DdeInstanceKind,
                               DdeStringKind, DdeDataKind, PenKind, DcKind>;
TYPED_TEST_SUITE(Owners, Kinds);

TYPED_TEST(Owners, CloseWhenTheyEnd)
{
    auto raw = this->Open();
    {
        typename TestFixture::Owner owner(raw);
    }
    EXPECT_FALSE(this->kind_.IsOpen(raw));
}

TYPED_TEST(Owners, AMovedFromOwnerDoesNotClose)
{
    using Owner = typename TestFixture::Owner;
    auto raw = this->Open();
    Owner to;
    {
        Owner from(raw);
        to = std::move(from);
        EXPECT_FALSE(from.valid());
    }
    EXPECT_TRUE(this->kind_.IsOpen(raw));
    Owner constructed(std::move(to));
    EXPECT_FALSE(to.valid());
    EXPECT_TRUE(this->kind_.IsOpen(raw));
    constructed.reset();
    EXPECT_FALSE(this->kind_.IsOpen(raw));
}

TYPED_TEST(Owners, MoveAssignmentClosesTheHandleItReplaces)
{
    using Owner = typename TestFixture::Owner;
    auto kept = this->Open();
    auto replaced = this->Open();
    Owner owner(replaced);
    owner = Owner(kept);
    EXPECT_FALSE(this->kind_.IsOpen(replaced));
    EXPECT_TRUE(this->kind_.IsOpen(kept));
    Owner& same = owner;
    owner = std::move(same); // moving into itself keeps the handle open
    EXPECT_TRUE(this->kind_.IsOpen(kept));
}

TYPED_TEST(Owners, ResetClosesTheOldHandleAndKeepsTheNewOne)
{
    auto first = this->Open();
    auto second = this->Open();
    typename TestFixture::Owner owner(first);
    owner.reset(second);
    EXPECT_FALSE(this->kind_.IsOpen(first));
    EXPECT_TRUE(this->kind_.IsOpen(second));
}

TYPED_TEST(Owners, ReleaseHandsTheHandleOverOpen)
{
    auto raw = this->Open();
    typename TestFixture::Owner owner(raw);
    auto released = owner.release();
    EXPECT_FALSE(owner.valid());
    owner.reset();
    EXPECT_TRUE(this->kind_.IsOpen(released));
    this->kind_.Close(released);
}

// OS calls fill the slot of put(): a handle still held there would be lost, and DdeInitializeA
// would re-initialise an instance it finds there instead of making a new one.
TYPED_TEST(Owners, PutClosesWhatIsHeldAndHandsOutAnEmptySlot)
{
    auto raw = this->Open();
    typename TestFixture::Owner owner(raw);
    auto* slot = owner.put();
    EXPECT_FALSE(this->kind_.IsOpen(raw));
    EXPECT_FALSE(owner.valid()) << "the slot still holds the closed handle";
    *slot = this->Open();
    EXPECT_TRUE(owner.valid());
}

// The value each call returns on failure reads as no handle, so a check of the owner catches it.
TEST(Owners, TheFailureValueOfEachCallIsNoHandle)
{
    win::TempFolder folder;
    const std::string missing = folder / "missing";
    win::ChangeNotification folderChanges(
        ::FindFirstChangeNotificationA(missing.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
    EXPECT_FALSE(folderChanges.valid());

    win::Printer printer;
    EXPECT_FALSE(::OpenPrinterA(const_cast<char*>("Folimar Test Missing Printer"), printer.put(), nullptr));
    EXPECT_FALSE(printer.valid());

    // Fails on a missing printer everywhere, and on every printer under Wine.
    win::PrinterChangeNotification jobs(::FindFirstPrinterChangeNotification(
        printer.get(), PRINTER_CHANGE_ADD_JOB | PRINTER_CHANGE_DELETE_JOB, 0, nullptr));
    EXPECT_FALSE(jobs.valid());

    EXPECT_FALSE(win::CreateDdeString(0, "FolimarTest").valid());

    win::DdeInstance instance(NewDdeInstance());
    ASSERT_TRUE(instance.valid());
    win::DdeString name = win::CreateDdeString(instance.get(), "FolimarTestName");
    ASSERT_TRUE(name.valid());
    EXPECT_EQ(name.get().instance, instance.get());
}

// A selection puts the DC's own object back before the owner deletes the selected one.
TEST(SelectedObject, PutsTheOldObjectBackAtTheEndOfItsScope)
{
    win::MemoryDc dc;
    ASSERT_TRUE(dc.valid());
    const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_FONT);
    HFONT raw = nullptr;
    {
        win::Font font(::CreateFontA(13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial"));
        ASSERT_TRUE(font.valid());
        raw = font.get();
        win::SelectedObject selected(dc.get(), font.get());
        EXPECT_TRUE(selected.selected());
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), raw);
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), original);
    EXPECT_EQ(::GetObjectType(raw), 0u) << "the font was not deleted";
}

TEST(SelectedObject, AFailedSelectionPutsNothingBack)
{
    win::MemoryDc dc;
    const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_PEN);
    win::Pen pen(::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    {
        win::SelectedObject nowhere(nullptr, pen.get());
        EXPECT_FALSE(nowhere.selected());
        win::SelectedObject nothing(dc.get(), nullptr);
        EXPECT_FALSE(nothing.selected());
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_PEN), original);
}

} // namespace
