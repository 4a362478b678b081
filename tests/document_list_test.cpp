// The batch window's list of documents on a real list view in a window of the test's own: entries
// found by key, duplicates refused, row delete buttons freed only after their click, drops.
#include "tests/gtest_win.h"

#include "batch/window/document_list.h"
#include "win/handle.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

using namespace folimar;

namespace {

constexpr char kHostClass[] = "DocumentListTestHost";

// A window that is to its list what the batch window is: it hands the list its notifications.
// Its WM_FREE_ROW_BUTTON messages stay in the queue for the test to take.
class DocumentListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(::InitCommonControlsEx(&icc));
        WNDCLASSA wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = kHostClass;
        ::RegisterClassA(&wc);
        host_.reset(::CreateWindowExA(0, kHostClass, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 400, nullptr,
                                      nullptr, wc.hInstance, this));
        ASSERT_TRUE(host_.valid());
        ASSERT_TRUE(hints_.Create(host_.get()));
        ASSERT_TRUE(list_.Create(
            host_.get(), {0, 0, 600, 300}, 107, nullptr, hints_, [this] { return locked_; },
            [this](const std::vector<std::string>& paths) { dropped_.push_back(paths); }));
    }

    // The window and its list view go before the list object they call.
    void TearDown() override { host_.reset(); }

    static LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<DocumentListTest*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        LRESULT result = 0;
        if (self && msg == WM_NOTIFY && self->list_.OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result))
            return result;
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    // Adds path as a document of its own (refused when its name says so), counting examinations.
    bool Add(const std::string& path)
    {
        return list_.AddFileToList(path, [this](const std::string& p) -> std::optional<TBatchEntry> {
            ++examined_;
            if (p.find("refused") != std::string::npos)
                return std::nullopt;
            TBatchEntry entry;
            entry.caption = p.substr(p.find_last_of('\\') + 1);
            entry.fields[kFieldDocument] = p;
            entry.fields[kFieldPdfPath] = "C:\\Out\\" + entry.caption + ".pdf";
            return entry;
        });
    }

    // Adds documents that are all taken, then draws the list, which makes their row buttons.
    void AddAndDraw(std::initializer_list<const char*> paths)
    {
        for (const char* path : paths)
            ASSERT_TRUE(Add(path)) << path;
        Draw();
    }

    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int i = 0; i < list_.Count(); ++i)
            captions.push_back(list_.Text(i));
        return captions;
    }

    // Paints the list now: the row buttons are made as rows are drawn.
    void Draw() { ::RedrawWindow(list_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

    // The row delete button of the entry added as the key-th (from 0), or null.
    HWND RowButton(int key) const { return ::GetDlgItem(list_.Handle(), TDocumentList::kRowButtonFirstId + key); }

    // The buttons the list asked its window to free, taken from the queue.
    std::vector<HWND> FreeRequests()
    {
        std::vector<HWND> buttons;
        MSG msg;
        while (::PeekMessageA(&msg, host_.get(), WM_FREE_ROW_BUTTON, WM_FREE_ROW_BUTTON, PM_REMOVE))
            buttons.push_back(reinterpret_cast<HWND>(msg.wParam));
        return buttons;
    }

    TDocumentList list_;
    win::Hints hints_;
    win::UniqueWindow host_;
    bool locked_ = false;
    int examined_ = 0;
    std::vector<std::vector<std::string>> dropped_;
};

// A drop handle as the shell hands it over: the names after the header, each ended by a zero
// byte and the list by a second one. The list releases it.
HDROP MakeDrop(const std::vector<std::string>& paths)
{
    std::string names;
    for (const std::string& path : paths)
        names += path + '\0';
    names += '\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), names.data(), names.size());
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST_F(DocumentListTest, EntriesFollowTheirRowsWhenRowsAboveGo)
{
    AddAndDraw({"C:\\d\\a.txt", "C:\\d\\b.txt", "C:\\d\\c.txt", "C:\\d\\d.txt"});
    EXPECT_EQ(list_.ConvertibleCount(), 4);
    EXPECT_EQ(list_.Text(2, 2), "C:\\Out\\c.txt.pdf");

    ASSERT_TRUE(list_.Delete(1));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.txt", "c.txt", "d.txt"}));
    ASSERT_NE(list_.EntryAt(1), nullptr);
    EXPECT_EQ(list_.EntryAt(1)->fields[kFieldDocument], "C:\\d\\c.txt");
    EXPECT_EQ(list_.EntryAt(2)->fields[kFieldDocument], "C:\\d\\d.txt");
    EXPECT_EQ(list_.EntryAt(3), nullptr);
    EXPECT_EQ(list_.EntryAt(-1), nullptr);
    EXPECT_EQ(list_.ConvertibleCount(), 3);

    // The status image and the entry the thread is handed stay one.
    list_.SetStatusImage(2, kStatusFailed);
    list_.SetStatusImage(0, kStatusDone);
    EXPECT_EQ(list_.StatusImageOf(2), kStatusFailed);
    std::vector<TBatchEntry> entries = list_.BatchEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].status, kStatusDone);
    EXPECT_EQ(entries[1].status, kStatusPending);
    EXPECT_EQ(entries[2].status, kStatusFailed);
    EXPECT_EQ(entries[2].caption, "d.txt");

    list_.InitListViewItem();
    for (int i = 0; i < list_.Count(); ++i) {
        EXPECT_EQ(list_.StatusImageOf(i), kStatusPending) << i;
        EXPECT_EQ(list_.BatchEntries()[i].status, kStatusPending) << i;
    }

    list_.RemoveAll();
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.ConvertibleCount(), 0);
    EXPECT_TRUE(list_.BatchEntries().empty());
}

TEST_F(DocumentListTest, RefusesADocumentListedAlreadyWithoutExaminingIt)
{
    ASSERT_TRUE(Add("C:\\docs\\a.txt"));
    EXPECT_FALSE(Add("c:\\DOCS\\A.TXT"));
    EXPECT_EQ(examined_, 1) << "a listed document was examined again";
    EXPECT_TRUE(Add("C:\\other\\a.txt")) << "a namesake in another folder is another document";
    EXPECT_FALSE(Add("C:\\docs\\refused.txt"));
    EXPECT_EQ(list_.Count(), 2);
    EXPECT_EQ(list_.ConvertibleCount(), 2);

    // The entry goes with its row: the document can be added again.
    ASSERT_TRUE(list_.Delete(0));
    EXPECT_FALSE(list_.IsFileInList("C:\\docs\\a.txt"));
    EXPECT_TRUE(Add("C:\\docs\\a.txt"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.txt", "a.txt"}));
}

TEST_F(DocumentListTest, RowButtonGoesOnlyAfterItsClickHasReturned)
{
    AddAndDraw({"C:\\d\\a.txt", "C:\\d\\b.txt", "C:\\d\\c.txt"});
    HWND a = RowButton(0), b = RowButton(1);
    ASSERT_NE(a, nullptr) << "no row button after drawing";
    ASSERT_NE(b, nullptr);
    ASSERT_NE(RowButton(2), nullptr);
    EXPECT_TRUE(::IsWindowVisible(b));

    ::SendMessageA(b, BM_CLICK, 0, 0);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.txt", "c.txt"}));
    EXPECT_EQ(list_.ConvertibleCount(), 2);
    // Still there, hidden, until the window's message comes back.
    EXPECT_TRUE(::IsWindow(b));
    EXPECT_FALSE(::IsWindowVisible(b));
    ASSERT_EQ(FreeRequests(), std::vector<HWND>{b});
    list_.WMFreeRowButton(reinterpret_cast<WPARAM>(b));
    EXPECT_FALSE(::IsWindow(b));

    // The message names a bare handle: only a button the list let go of is destroyed.
    list_.WMFreeRowButton(reinterpret_cast<WPARAM>(b));
    list_.WMFreeRowButton(reinterpret_cast<WPARAM>(a));
    list_.WMFreeRowButton(reinterpret_cast<WPARAM>(host_.get()));
    list_.WMFreeRowButton(0);
    EXPECT_TRUE(::IsWindow(a));
    EXPECT_TRUE(::IsWindow(host_.get()));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.txt", "c.txt"}));
}

TEST_F(DocumentListTest, RowRemovedOtherwiseTakesItsButtonAtOnce)
{
    AddAndDraw({"C:\\d\\a.txt", "C:\\d\\b.txt", "C:\\d\\c.txt"});
    HWND a = RowButton(0), c = RowButton(2);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(list_.Select(0));
    ASSERT_TRUE(list_.Select(2));
    list_.RemoveSelected();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"b.txt"}));
    EXPECT_FALSE(::IsWindow(a));
    EXPECT_FALSE(::IsWindow(c));
    EXPECT_TRUE(FreeRequests().empty());

    // A new row gets a button of its own, under its own key.
    ASSERT_TRUE(Add("C:\\d\\e.txt"));
    Draw();
    EXPECT_NE(RowButton(3), nullptr);
    EXPECT_EQ(RowButton(0), nullptr);
}

TEST_F(DocumentListTest, NothingChangesWhileLocked)
{
    AddAndDraw({"C:\\d\\a.txt", "C:\\d\\b.txt"});
    HWND a = RowButton(0);
    ASSERT_NE(a, nullptr);
    locked_ = true;

    ::SendMessageA(a, BM_CLICK, 0, 0);
    ASSERT_TRUE(list_.Select(1));
    list_.RemoveSelected();
    list_.RemoveAll();
    ::SendMessageA(list_.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\d\\x.txt"})), 0);

    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(::IsWindowVisible(a));
    EXPECT_TRUE(FreeRequests().empty());
    EXPECT_TRUE(dropped_.empty());
}

TEST_F(DocumentListTest, HandsDroppedFilesToItsWindowInTheirOrder)
{
    const std::vector<std::string> paths{"C:\\d\\b.txt", "C:\\d\\a b.ps", "Z:\\tmp\\c.doc"};
    ::SendMessageA(list_.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    ASSERT_EQ(dropped_.size(), 1u);
    EXPECT_EQ(dropped_[0], paths);
    EXPECT_EQ(list_.Count(), 0) << "the window decides what is added";
}

TEST_F(DocumentListTest, ReplansRowsNotMadeAndKeepsWhatWasWritten)
{
    AddAndDraw({"C:\\a\\m.txt", "C:\\b\\m.txt", "C:\\c\\n.txt", "C:\\d\\n.txt"});
    TRefusal refusal = TRefusal::None;
    EXPECT_FALSE(list_.AddFileToList(
        "C:\\A\\M.TXT", [](const std::string&) { return std::nullopt; }, &refusal));
    EXPECT_EQ(refusal, TRefusal::AlreadyListed);
    // The first row was made under a numbered name; the rows that wait are planned anew.
    list_.SetStatusImage(0, kStatusDone);
    list_.SetRowReport(0, "PDF made", "PDF made: C:\\Out\\m.txt7.pdf", "C:\\Out\\m.txt7.pdf");
    EXPECT_TRUE(list_.PlansPdf("c:\\out\\M.TXT7.PDF"));
    std::vector<std::string> seen;
    list_.ReplanWaiting([&seen](const TBatchEntry& entry, const PathTakenFn& plannedByOtherRow) {
        seen.push_back(entry.caption);
        return PlannedPdfPath("D:\\New\\", entry.caption, true, nullptr, plannedByOtherRow);
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"m.txt", "n.txt", "n.txt"}));
    EXPECT_EQ(list_.Text(0, TDocumentList::kPdfColumn), "C:\\Out\\m.txt7.pdf");
    EXPECT_EQ(list_.Text(1, TDocumentList::kPdfColumn), "D:\\New\\m.txt.pdf");
    EXPECT_EQ(list_.Text(2, TDocumentList::kPdfColumn), "D:\\New\\n.txt.pdf");
    EXPECT_EQ(list_.Text(3, TDocumentList::kPdfColumn), "D:\\New\\n.txt1.pdf"); // namesakes stay apart
    EXPECT_EQ(list_.Text(0, TDocumentList::kStatusTextColumn), "PDF made");
    EXPECT_EQ(list_.EntryAt(1)->fields[kFieldPdfPath], "D:\\New\\m.txt.pdf");
}

} // namespace
