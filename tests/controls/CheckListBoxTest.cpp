// The check grid: the scroll arithmetic on its own, then the control under a real display, taking the
// place of a placeholder and clicked by posted mouse messages at the centres of computed cells.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "controls/ZCheckListBox.h"
#include "controls/ZCheckListScroll.h"
#include "tests/controls/ListsTestHost.h"
#include "tests/support/WindowReaders.h"

namespace {

using ListsTest::Host;
using ListsTest::Pump;
using Grid = std::vector<std::vector<int>>;

constexpr UINT kPlaceholderId = 300;
constexpr int kColumnX[] = {120, 150, 180};  // client x of the boxes

int g_changes = 0;
void CountChange() { ++g_changes; }

TEST(CheckListScroll, EachCodeMovesTheTopRowWithinTheList)
{
    using Tessaro::CheckListScroll::TopAfter;
    struct Case { UINT code; int thumb, top, visible, rows; std::optional<int> expected; };
    const auto none = std::nullopt;
    const Case cases[] = {
        {SB_LINEUP, 0, 0, 10, 100, none},     {SB_LINEUP, 0, 5, 10, 100, 4},
        {SB_LINEDOWN, 0, 5, 10, 100, 6},      {SB_LINEDOWN, 0, 90, 10, 100, none},
        {SB_PAGEUP, 0, 0, 10, 100, none},     {SB_PAGEUP, 0, 20, 10, 100, 11},
        {SB_PAGEUP, 0, 5, 10, 100, 0},        {SB_PAGEDOWN, 0, 20, 10, 100, 29},
        {SB_PAGEDOWN, 0, 85, 10, 100, 90},  // a full last page, not rows 94 to 99 and blanks
        {SB_PAGEDOWN, 0, 90, 10, 100, none},  {SB_THUMBTRACK, 42, 5, 10, 100, 42},
        {SB_THUMBPOSITION, 7, 5, 10, 100, 7}, {SB_TOP, 0, 50, 10, 100, 0},
        {SB_BOTTOM, 0, 50, 10, 100, 90},      {SB_ENDSCROLL, 0, 50, 10, 100, none},
        {SB_BOTTOM, 0, 0, 10, 4, 0},          // fewer rows than fit: no negative top row
        {SB_PAGEDOWN, 0, 0, 0, 3, 0},         // nothing fits
    };
    for (const Case& c : cases)
        EXPECT_EQ(TopAfter(c.code, c.thumb, c.top, c.visible, c.rows), c.expected)
            << "code " << c.code << " from " << c.top;
}

class CheckListTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_changes = 0;
        ASSERT_TRUE(host.Make(320, 260));
        host.UseFont(8);  // shorter than the rows' minimum
    }
    // A placeholder of `height` pixels replaced by the list, with three columns.
    void MakeList(int height, int rows)
    {
        ASSERT_TRUE(placeholder.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 20, 250, 20 + height), &host,
                                       kPlaceholderId));
        ASSERT_TRUE(list.Create(WS_VISIBLE, &host, kPlaceholderId, CountChange));
        for (int x : kColumnX) {
            CPoint screen(x, 0);
            list.ClientToScreen(&screen);
            list.AddCheckColumn(screen.x);
        }
        for (int row = 0; row < rows; ++row)
            list.AddItem((L"row " + std::to_wstring(row)).c_str());
        Pump();
    }
    // Clicks the centre of a box, as the mouse would, and waits for it.
    void Click(int row, int column)
    {
        const int height = list.GetCheckWidth() + 2;
        ClickAt(kColumnX[column] + list.GetCheckWidth() / 2, row * height + height / 2);
    }
    void ClickAt(int x, int y)
    {
        list.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        list.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Pump();
    }
    Grid States(int rows)
    {
        Grid grid;
        for (int row = 0; row < rows; ++row) {
            grid.emplace_back();
            for (int column = 0; column < list.GetCheckColumnCount(); ++column)
                grid.back().push_back(list.GetCheckState(row, column));
        }
        return grid;
    }

    Host host;
    CStatic placeholder;
    ZCheckListBox list;
};

TEST_F(CheckListTest, TheListTakesThePlaceholdersPlaceAndWholeRows)
{
    EXPECT_FALSE(list.Create(WS_VISIBLE, &host, kPlaceholderId, CountChange));  // no placeholder yet
    EXPECT_EQ(list.m_hWnd, nullptr);
    MakeList(170, 3);
    EXPECT_EQ(host.GetDlgItem(kPlaceholderId)->m_hWnd, list.m_hWnd);
    EXPECT_EQ(placeholder.m_hWnd, nullptr);  // destroyed
    EXPECT_EQ(TestSupport::WindowText(list.m_hWnd), L"CheckList_Control");
    EXPECT_TRUE(list.GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(list.GetStyle() & WS_CHILD);
    EXPECT_EQ(list.GetCheckWidth(), 14);  // rows of 16 pixels whatever the smaller font

    CRect window;
    list.GetWindowRect(&window);
    host.ScreenToClient(&window);
    EXPECT_EQ(window.TopLeft(), CPoint(10, 20));
    EXPECT_EQ(window.Width(), 240);
    EXPECT_EQ(window.Height(), 10 * 16 + 4);  // 170 holds ten rows and the frame
    CRect client;
    list.GetClientRect(&client);
    EXPECT_EQ(client.Height(), 10 * 16);
    EXPECT_FALSE(list.GetStyle() & WS_VSCROLL);  // three rows fit
}

TEST_F(CheckListTest, AWindowTooShortForItsRowsAndFrameLosesARow)
{
    MakeList(162, 10);  // ten rows of 16 and the frame need 164
    CRect client;
    list.GetClientRect(&client);
    EXPECT_EQ(client.Height(), 9 * 16);
    // Nine rows show, so the tenth must be reachable by scrolling.
    EXPECT_TRUE(list.GetStyle() & WS_VSCROLL);
    list.SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(list.HitTestItem(CPoint(5, 8 * 16 + 1)), 9);
}

TEST_F(CheckListTest, ClicksToggleBoxesExclusivelyUntilRadioStyleIsOff)
{
    MakeList(170, 3);
    struct Step { int row, column; Grid expected; int changes; };  // column -1: a click on the row's text
    const Step steps[] = {
        {0, 0, {{1, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 1},
        {0, 2, {{0, 0, 1}, {0, 0, 0}, {0, 0, 0}}, 2},  // the row's other box clears
        {1, 1, {{0, 0, 1}, {0, 1, 0}, {0, 0, 0}}, 3},  // other rows keep theirs
        {0, 2, {{0, 0, 0}, {0, 1, 0}, {0, 0, 0}}, 4},  // a checked box clears
        {2, -1, {{0, 0, 0}, {0, 1, 0}, {0, 0, 0}}, 4},
    };
    for (const Step& step : steps) {
        if (step.column < 0)
            ClickAt(20, step.row * 16 + 8);
        else
            Click(step.row, step.column);
        EXPECT_EQ(States(3), step.expected);
        EXPECT_EQ(g_changes, step.changes);
    }
    ClickAt(kColumnX[0] + 7, 3 * 16 + 8);  // below the last row
    EXPECT_EQ(g_changes, 4);

    list.SetRadioStyle(false);
    Click(2, 0);
    Click(2, 1);
    EXPECT_EQ(States(3)[2], (std::vector<int>{1, 1, 0}));
    // From code: no callback, and a cleared box leaves the others alone.
    list.SetCheckState(2, 0, 0);
    EXPECT_EQ(States(3)[2], (std::vector<int>{0, 1, 0}));
    list.SetRadioStyle(true);
    list.SetCheckState(1, 2, 5);
    EXPECT_EQ(States(3)[1], (std::vector<int>{0, 0, 5}));
    EXPECT_EQ(g_changes, 6);
    EXPECT_THROW(list.GetCheckState(3, 0), ZArray<ZCheckListBox::Item>::OutOfRange);
    EXPECT_THROW(list.SetCheckState(0, 3, 1), ZArray<int>::OutOfRange);
}

TEST_F(CheckListTest, AReadOnlyListIgnoresClicksAndPaintsInTheButtonColour)
{
    MakeList(170, 2);
    list.SetCheckState(0, 1, 1);
    list.SetReadOnly(true);
    Click(0, 0);
    Click(1, 2);
    EXPECT_EQ(States(2), (Grid{{0, 1, 0}, {0, 0, 0}}));
    EXPECT_EQ(g_changes, 0);

    if (::GetSysColor(COLOR_BTNFACE) == ::GetSysColor(COLOR_WINDOW))
        GTEST_SKIP() << "the two colours are the same in this colour scheme";
    auto pixelBelowTheRows = [&] {
        ::RedrawWindow(list.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        HDC dc = ::GetDC(list.m_hWnd);
        const COLORREF pixel = ::GetPixel(dc, 230, 5 * 16);
        ::ReleaseDC(list.m_hWnd, dc);
        return pixel;
    };
    EXPECT_EQ(pixelBelowTheRows(), ::GetSysColor(COLOR_BTNFACE));
    list.SetReadOnly(false);
    EXPECT_EQ(pixelBelowTheRows(), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(CheckListTest, TheEleventhRowBringsTheScrollBarAndClicksFollowTheScrolling)
{
    MakeList(164, 10);
    EXPECT_FALSE(list.GetStyle() & WS_VSCROLL);
    list.AddItem(L"row 10");
    EXPECT_TRUE(list.GetStyle() & WS_VSCROLL);
    int low = -1, high = -1;
    ::GetScrollRange(list.m_hWnd, SB_VERT, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 1);

    const std::pair<UINT, int> steps[] = {{SB_LINEDOWN, 1}, {SB_LINEDOWN, 1}, {SB_LINEUP, 0},
                                          {SB_PAGEDOWN, 1}, {SB_TOP, 0},      {SB_BOTTOM, 1}};
    for (const auto& [code, top] : steps) {
        list.SendMessage(WM_VSCROLL, code);
        EXPECT_EQ(list.HitTestItem(CPoint(5, 1)), top);
        EXPECT_EQ(::GetScrollPos(list.m_hWnd, SB_VERT), top);
    }
    Click(0, 1);  // the first visible row is row 1
    EXPECT_EQ(list.GetCheckState(1, 1), 1);
    EXPECT_EQ(list.GetCheckState(0, 1), 0);
    EXPECT_EQ(list.HitTestColumn(1, CPoint(kColumnX[2] + 1, 1)), 2);
    EXPECT_EQ(list.HitTestColumn(1, CPoint(kColumnX[2] + 14, 1)), -1);  // just right of the box
}

}  // namespace
