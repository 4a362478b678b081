// The list view wrapper on a real report-style list view in a hidden window.
#include "tests/gtest_win.h"

#include "win/dpi.h"
#include "win/handle.h"
#include "win/list_view.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD kListStyle = WS_VISIBLE | WS_TABSTOP | LVS_SHOWSELALWAYS;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES;

// A list view as the batch window has it: three columns, whole-row selection, sub-item images.
class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(::InitCommonControlsEx(&icc));
        parent_.reset(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 700, 300, nullptr, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(parent_.valid());
        ASSERT_TRUE(list_.Create(parent_.get(), {8, 8, 600, 250}, 100, nullptr, kListStyle, kListExStyle,
                                 {{"File Name", 100}, {"Size", 65}, {"PDF File Name", 400}}));
    }

    // Appends one entry per caption, its lParam 1000 + its position.
    void Fill(std::initializer_list<const char*> captions)
    {
        for (const char* caption : captions)
            ASSERT_GE(list_.Append(caption, 1, 1000 + list_.Count()), 0) << caption;
    }

    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int i = 0; i < list_.Count(); ++i)
            captions.push_back(list_.Text(i));
        return captions;
    }

    win::UniqueWindow parent_;
    win::ListView list_;
};

TEST_F(ListViewTest, CreatesAReportViewWithItsColumnsAndStyles)
{
    HWND hwnd = list_.Handle();
    EXPECT_EQ(::GetParent(hwnd), parent_.get());
    EXPECT_EQ(::GetDlgCtrlID(hwnd), 100);
    EXPECT_EQ(::GetWindowLongA(hwnd, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_TRUE(::GetWindowLongA(hwnd, GWL_STYLE) & LVS_SHOWSELALWAYS);
    EXPECT_EQ(::SendMessageA(hwnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & kListExStyle, kListExStyle);

    HWND header = reinterpret_cast<HWND>(::SendMessageA(hwnd, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);
    const struct {
        const char* caption;
        int width;
    } columns[] = {{"File Name", 100}, {"Size", 65}, {"PDF File Name", 400}};
    for (int i = 0; i < 3; ++i) {
        char text[64] = {};
        LVCOLUMNA lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH;
        lvc.pszText = text;
        lvc.cchTextMax = sizeof text;
        ASSERT_TRUE(::SendMessageA(hwnd, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&lvc)));
        EXPECT_STREQ(text, columns[i].caption);
        EXPECT_EQ(lvc.cx, win::Scale(columns[i].width)) << columns[i].caption;
    }
}

TEST_F(ListViewTest, InsertsAtThePlaceGivenAndAppendsPastTheEnd)
{
    Fill({"b.doc", "c.doc"});
    EXPECT_EQ(list_.Insert(0, "a.doc", 1, 7), 0);
    EXPECT_EQ(list_.Insert(99, "z.doc", 1, 8), 3);
    EXPECT_EQ(list_.Count(), 4);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.doc", "b.doc", "c.doc", "z.doc"}));
}

TEST_F(ListViewTest, KeepsTextsOfAnyLengthInEveryColumn)
{
    const std::string texts[] = {
        "",
        "C:\\Out\\report.doc.pdf",
        std::string(255, 'a'), // one short of the first buffer
        std::string(256, 'b'), // fills it
        std::string(257, 'c'),
        "C:\\" + std::string(1500, 'd') + ".pdf",
    };
    for (const std::string& text : texts) {
        const int item = list_.Append(text, 1, 0);
        ASSERT_GE(item, 0);
        ASSERT_TRUE(list_.SetText(item, 1, "  12.50 K"));
        ASSERT_TRUE(list_.SetText(item, 2, text));
        EXPECT_EQ(list_.Text(item), text) << text.size() << " characters";
        EXPECT_EQ(list_.Text(item, 1), "  12.50 K");
        EXPECT_EQ(list_.Text(item, 2), text) << text.size() << " characters";
    }
    EXPECT_EQ(list_.Text(list_.Count()), "");
    EXPECT_EQ(list_.Text(-1), "");
    EXPECT_FALSE(list_.SetText(-1, 0, "nothing"));
}

TEST_F(ListViewTest, KeepsTheItemImageApartFromTheSubItemImages)
{
    Fill({"a.doc", "b.doc"});
    ASSERT_TRUE(list_.SetImage(0, 2, 1));
    ASSERT_TRUE(list_.SetImage(1, 2, 6)); // the status icon beside the PDF path
    EXPECT_EQ(list_.Image(1), 1);
    EXPECT_EQ(list_.Image(1, 2), 6);
    ASSERT_TRUE(list_.SetImage(1, 2, 14));
    EXPECT_EQ(list_.Image(1, 2), 14);
    EXPECT_EQ(list_.Image(0, 2), 1);
    ASSERT_TRUE(list_.SetImage(0, 0, 3));
    EXPECT_EQ(list_.Image(0), 3);
    EXPECT_EQ(list_.Image(1), 1);
    EXPECT_EQ(list_.Image(5), -1);
    EXPECT_FALSE(list_.SetImage(-1, 0, 1));
}

TEST_F(ListViewTest, FindsTheItemOfAParamAfterRowsAboveItGo)
{
    Fill({"a.doc", "b.doc", "c.doc", "d.doc"}); // params 1000 to 1003
    EXPECT_EQ(list_.Param(2), 1002);
    EXPECT_EQ(list_.Find(1003), 3);
    ASSERT_TRUE(list_.Delete(0));
    ASSERT_TRUE(list_.Delete(list_.Find(1002)));
    EXPECT_EQ(list_.Find(1003), 1);
    EXPECT_EQ(list_.Text(list_.Find(1003)), "d.doc");
    EXPECT_EQ(list_.Find(1002), -1);
    EXPECT_EQ(list_.Find(0), -1);
    EXPECT_EQ(list_.Param(7), 0);
}

TEST_F(ListViewTest, DeletesOnlyItemsThatExist)
{
    Fill({"a.doc", "b.doc", "c.doc"});
    EXPECT_FALSE(list_.Delete(-1));
    EXPECT_FALSE(list_.Delete(3));
    EXPECT_EQ(list_.Count(), 3);
    EXPECT_TRUE(list_.Delete(1));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.doc", "c.doc"}));
    EXPECT_TRUE(list_.DeleteAll());
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.NextSelected(), -1);
}

TEST_F(ListViewTest, ReportsSelectedItemsTopToBottom)
{
    Fill({"a.doc", "b.doc", "c.doc", "d.doc", "e.doc"});
    EXPECT_EQ(list_.SelectedCount(), 0);
    EXPECT_EQ(list_.NextSelected(), -1);
    EXPECT_TRUE(list_.SelectedItems().empty());

    for (int item : {3, 1, 4})
        ASSERT_TRUE(list_.Select(item));
    EXPECT_EQ(list_.SelectedCount(), 3);
    EXPECT_EQ(list_.NextSelected(), 1);
    EXPECT_EQ(list_.NextSelected(1), 3);
    EXPECT_EQ(list_.SelectedItems(), (std::vector<int>{1, 3, 4}));

    ASSERT_TRUE(list_.Select(3, false));
    EXPECT_EQ(list_.SelectedItems(), (std::vector<int>{1, 4}));

    // Removing the selected rows from the bottom up, as "Remove Selected" does, leaves the others.
    const std::vector<int> selected = list_.SelectedItems();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it)
        ASSERT_TRUE(list_.Delete(*it));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"a.doc", "c.doc", "d.doc"}));
    EXPECT_EQ(list_.SelectedCount(), 0);
}

TEST_F(ListViewTest, SelectOnlyLeavesOneSelectedAndFocused)
{
    Fill({"a.doc", "b.doc", "c.doc"});
    ASSERT_TRUE(list_.Select(0));
    ASSERT_TRUE(list_.Select(2));
    ASSERT_TRUE(list_.SelectOnly(1));
    EXPECT_EQ(list_.SelectedItems(), (std::vector<int>{1}));
    EXPECT_EQ(::SendMessageA(list_.Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 1);
    EXPECT_FALSE(list_.SelectOnly(3));
    EXPECT_EQ(list_.SelectedItems(), (std::vector<int>{1})) << "a failed call changed the selection";
    EXPECT_FALSE(list_.Select(-1));
}

TEST_F(ListViewTest, GivesEachRowItsOwnBounds)
{
    Fill({"a.doc", "b.doc"});
    RECT first{}, second{};
    ASSERT_TRUE(list_.ItemBounds(0, first));
    ASSERT_TRUE(list_.ItemBounds(1, second));
    EXPECT_GT(first.bottom, first.top);
    EXPECT_GT(first.right, first.left);
    EXPECT_EQ(second.top, first.bottom);
    EXPECT_EQ(second.bottom - second.top, first.bottom - first.top);
    RECT none{};
    EXPECT_FALSE(list_.ItemBounds(2, none));
    EXPECT_FALSE(list_.ItemBounds(-1, none));
}

} // namespace
