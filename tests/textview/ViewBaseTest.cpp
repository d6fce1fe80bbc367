// The view core driven as a window would drive it (mouse, Shift and Alt, appends, paging, clearing)
// through a window stand-in that records what it is asked for.
#include <ole2.h>

#include <gtest/gtest.h>

#include "tests/textview/RecordingTextView.h"
#include "textview/ClipboardBuffer.h"

using namespace TextViewTest;
using Lines_t = std::vector<unsigned long long>;

namespace {

struct RecordingScrollbar : ITextViewLinkedScrollbar {
    std::pair<unsigned long long, unsigned long long> range;  // total, page
    unsigned long long position = 0;
    std::vector<unsigned long long> positions;
    void SetScrollRange(unsigned long long total, unsigned long long page) override { range = {total, page}; }
    void SetScrollPosition(unsigned long long line) override
    {
        positions.push_back(line);
        position = line;
    }
    unsigned long long GetScrollPosition() const override { return position; }
    void OnVScroll(UINT, UINT, CScrollBar*) override {}
    void OnMouseWheel(WPARAM, LPARAM) override {}
    void OnViewScrolled(unsigned long long) override {}
    void GetScrollInfo(SCROLLINFO&) const override {}
};

class TextViewBase : public ::testing::Test {
protected:
    HeldKeys m_keys;
};

}  // namespace

TEST_F(TextViewBase, PointsBecomePositionsOnTheGrid)
{
    RecordingView view(Numbered(0, 50));
    view.OnGoToStart();
    view.firstColumn = 3;
    view.OnPageDown();  // first visible line 20
    ASSERT_EQ(view.GetVScrollPoint(), 20u);
    struct Case {
        POINT point;
        ZTextViewCharPosition expected;
    } cases[] = {
        {{0, 0}, {3, 20}}, {{7, 15}, {3, 20}}, {{8, 16}, {4, 21}},
        {{-1, -1}, {3, 20}},  // less than a cell before the origin is still the first cell
        {{-8, -16}, {2, 19}},
        {{-800, -3200}, {0, 0}},  // stops at 0
        {{LONG_MIN, LONG_MAX}, {0, 20 + LONG_MAX / 16}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view.PointToCharposition(c.point), c.expected) << c.point.x << "," << c.point.y;

    view.SetLeftOffset(2);  // a gutter of two cells: x 16 is column 0 of the text
    view.firstColumn = 0;
    view.Drag({16 + 1, 3}, {16 + 3 * 8 + 1, 3});
    EXPECT_EQ(SelectionOf(view.GetHighlight()), Sel(0, 20, 3, 20));
}

TEST_F(TextViewBase, DragThresholdIsHalfACell)
{
    struct Case {
        int dx, dy;
        bool selects;
    } cases[] = {
        {4, 0, false}, {5, 0, true}, {-4, 0, false}, {-5, 0, true},
        {0, 8, false}, {0, 9, true}, {0, -8, false}, {0, -9, true}, {4, 8, false},
    };
    for (const Case& c : cases) {
        RecordingView view(Numbered(0, 5));
        const POINT anchor{40, 40};
        view.OnLButtonDown(anchor);
        view.OnMouseMove({anchor.x + c.dx, anchor.y + c.dy});
        EXPECT_EQ(view.GetMouseHighlight() != nullptr, c.selects) << c.dx << "," << c.dy;
        view.OnLButtonUp({anchor.x + c.dx, anchor.y + c.dy});
        // Below the threshold it was a click: caret set, mouse captured and released, nothing selected.
        EXPECT_EQ(view.GetMouseHighlight() != nullptr, c.selects);
        EXPECT_TRUE(c.selects || !view.GetHighlight());
        EXPECT_TRUE(view.HasCaret());
        EXPECT_EQ(view.captures, 1);
        EXPECT_EQ(view.releases, 1);
    }
}

TEST_F(TextViewBase, MouseSelectionsAreNormalized)
{
    // Rows are lines 0.. (the view shows them all); points are in the middle of cells.
    struct Case {
        const char* name;
        POINT from, to;
        bool alt;
        Selection expected;
    } cases[] = {
        {"forward stream", Cell(1, 0), Cell(3, 1), false, Sel(1, 0, 3, 1)},
        {"backward stream", Cell(3, 1), Cell(1, 0), false, Sel(1, 0, 3, 1)},
        {"from a line end down to a line start", Cell(3, 0), Cell(0, 4), false, Sel(0, 1, 0, 4)},
        {"ends on empty lines", Cell(1, 1), Cell(0, 3), false, Sel(1, 1, 4, 1)},
        {"empty lines only", Cell(0, 2), Cell(0, 3), false, kNoSelection},
        {"past the last line", Cell(2, 4), Cell(5, 9), false, Sel(2, 4, 0, 5)},
        {"wholly past the last line", Cell(2, 7), Cell(5, 9), false, kNoSelection},
        {"column rectangle", Cell(4, 4), Cell(1, 1), true, Sel(1, 1, 4, 4)},
        {"column bottom too short moves up", Cell(1, 1), Cell(3, 5), true, Sel(1, 1, 3, 4)},
        // Lines 2 and 3 are empty: the bottom line must not climb above the top line.
        {"column rows all too short", Cell(1, 2), Cell(3, 3), true, kNoSelection},
    };
    for (const Case& c : cases) {
        RecordingView view({L"abc", L"defgh", L"", L"", L"ijklmnop", L"q"});
        HeldKeys::alt = c.alt;
        view.Drag(c.from, c.to);
        HeldKeys::alt = false;
        EXPECT_EQ(view.IsColumnSelect(), c.alt) << c.name;
        EXPECT_EQ(SelectionOf(view.GetHighlight()), c.expected) << c.name;
    }
}

TEST_F(TextViewBase, ShiftClickExtendsFromTheLastClick)
{
    RecordingView view(Numbered(0, 5));
    view.Click(Cell(2, 1));
    EXPECT_EQ(view.GetHighlight(), nullptr);
    HeldKeys::shift = true;
    view.Click(Cell(6, 3));
    EXPECT_EQ(SelectionOf(view.GetHighlight()), Sel(2, 1, 6, 3));
    view.Click(Cell(1, 0));  // a further Shift+click moves the end, the anchor stays
    EXPECT_EQ(SelectionOf(view.GetHighlight()), Sel(1, 0, 2, 1));
    HeldKeys::shift = false;
    view.Click({5, 5});  // a plain click drops the selection
    EXPECT_EQ(view.GetHighlight(), nullptr);
}

TEST_F(TextViewBase, AppendingToAFullBufferMovesOrDropsTheSelection)
{
    struct Case {
        int fromLine, toLine;
        Selection after;
    } cases[] = {
        {10, 12, Sel(2, 5, 5, 7)}, {2, 3, kNoSelection}, {3, 8, Sel(0, 0, 5, 3)},
    };
    for (const Case& c : cases) {
        RecordingView view(Numbered(0, 50));
        view.OnGoToStart();
        view.Drag(Cell(2, c.fromLine), Cell(5, c.toLine));
        ASSERT_EQ(SelectionOf(view.GetHighlight()), Sel(2, c.fromLine, 5, c.toLine));
        view.Fill(Numbered(50, 5));
        EXPECT_EQ(SelectionOf(view.GetHighlight()), c.after) << c.fromLine << "-" << c.toLine;
        EXPECT_EQ(view.GetMouseHighlight() == nullptr, c.after == kNoSelection);
    }
}

TEST_F(TextViewBase, FollowsTheNewestLineUntilClicked)
{
    RecordingView view;
    ASSERT_EQ(view.GetPageHeight(), 20u);
    ASSERT_EQ(view.GetPageWidth(), 100u);
    view.Fill(Numbered(0, 10));
    EXPECT_TRUE(view.vScrolls.empty());  // everything fits
    view.Fill(Numbered(10, 20));
    EXPECT_EQ(view.vScrolls, Lines_t{29});
    EXPECT_EQ(view.GetVScrollPoint(), 10u);
    EXPECT_EQ(view.vSizes.back(), std::make_pair(30ULL, 20ULL));

    view.Click({10, 10});
    view.ForgetRequests();
    view.Fill(Numbered(30, 5));
    EXPECT_TRUE(view.vScrolls.empty());
    EXPECT_EQ(view.GetVScrollPoint(), 10u);
    EXPECT_EQ(view.invalidations, 1);

    view.OnCtrlEnd();
    EXPECT_FALSE(view.HasCaret());
    EXPECT_EQ(view.vScrolls, Lines_t{34});
    EXPECT_EQ(view.GetVScrollPoint(), 15u);
    view.Fill(Numbered(35, 1));
    EXPECT_EQ(view.vScrolls.back(), 35u);
    EXPECT_EQ(view.GetVScrollPoint(), 16u);
}

TEST_F(TextViewBase, PagesStopAtTheEnds)
{
    RecordingView view;
    view.Fill(Numbered(0, 50));  // 20 lines to a page, following the end: first line 30
    view.ForgetRequests();
    struct Step {
        void (RecordingView::*command)();
        unsigned long long requested;
        unsigned long long firstAfter;
    } steps[] = {
        {&RecordingView::OnPageDown, 49, 30},  // at the end stays on the last line
        {&RecordingView::OnPageUp, 10, 10},
        {&RecordingView::OnPageUp, 0, 0},
        {&RecordingView::OnPageUp, 0, 0},  // at the top stays on line 0
        {&RecordingView::OnPageDown, 20, 20},
        {&RecordingView::OnGoToStart, 0, 0},
    };
    view.firstColumn = 7;
    for (const Step& step : steps) {
        (view.*step.command)();
        EXPECT_EQ(view.vScrolls.back(), step.requested);
        EXPECT_EQ(view.GetVScrollPoint(), step.firstAfter);
        EXPECT_EQ(view.hScrolls.back(), 7u);  // paging keeps the column
    }

    RecordingView shortView(Numbered(0, 5));
    shortView.ForgetRequests();
    shortView.OnPageDown();
    shortView.OnGoToStart();
    EXPECT_TRUE(shortView.vScrolls.empty());  // a page holds it all
}

TEST_F(TextViewBase, DraggingOutsideScrolls)
{
    RecordingView view(Numbered(0, 50));  // 800 x 320
    view.OnGoToStart();
    view.OnPageDown();  // first line 20
    view.OnLButtonDown(Cell(2, 5));
    view.ForgetRequests();

    view.OnMouseMove({100, 320 + 40});  // 40 pixels below: 2 lines down
    EXPECT_EQ(view.vScrolls, Lines_t{22});
    EXPECT_EQ(view.repaints, 1);
    view.OnMouseMove({100, -20});  // above: the line under the mouse (one up) becomes the first
    EXPECT_EQ(view.vScrolls.back(), 21u);
    view.OnMouseMove({100, -5});  // less than a line above moves 0 lines but still repaints
    EXPECT_EQ(view.vScrolls.back(), 21u);
    EXPECT_EQ(view.repaints, 3);

    view.firstColumn = 10;
    view.OnMouseMove({-17, 100});  // left: the column under the mouse becomes the first
    EXPECT_EQ(view.hScrolls.back(), 8u);
    view.OnMouseMove({800 + 24, 100});  // right by 24 pixels: 3 columns
    EXPECT_EQ(view.hScrolls.back(), 11u);
    view.OnLButtonUp({100, 100});
    EXPECT_EQ(view.releases, 1);
}

TEST_F(TextViewBase, RepaintsOnlyWhenTheSelectionChanged)
{
    RecordingView view(Numbered(0, 10));
    view.OnLButtonDown(Cell(1, 1));
    view.ForgetRequests();
    view.OnMouseMove(Cell(1, 1));  // no selection yet, none painted
    EXPECT_EQ(view.repaints, 0);
    view.OnMouseMove(Cell(4, 1));
    EXPECT_EQ(view.repaints, 1);
    view.OnMouseMove({Cell(4, 1).x + 1, Cell(4, 1).y});  // same cell
    EXPECT_EQ(view.repaints, 1);
    view.OnMouseMove(Cell(5, 1));
    EXPECT_EQ(view.repaints, 2);
}

TEST_F(TextViewBase, ClearEmptiesAndFollowsAgain)
{
    RecordingView view;
    RecordingLinkedView linked;
    view.SetLinkedView(&linked);
    view.Fill(Numbered(0, 10));
    view.Drag(Cell(1, 1), Cell(4, 2));
    ASSERT_TRUE(view.CanCopy());
    view.ForgetRequests();
    view.Fill(Numbered(10, 20));
    ASSERT_TRUE(view.vScrolls.empty());  // the drag stopped the following
    view.ForgetRequests();
    linked.calls.clear();
    view.ClearLastLine();  // the buffer's alone: nothing redrawn
    EXPECT_EQ(view.GetBuffer().GetLineCount(), 29u);
    EXPECT_EQ(view.invalidations, 0);

    view.Clear();
    EXPECT_EQ(view.GetBuffer().GetLineCount(), 0u);
    EXPECT_EQ(view.GetHighlight(), nullptr);
    EXPECT_EQ(view.GetMouseHighlight(), nullptr);
    EXPECT_FALSE(view.CanCopy());
    EXPECT_FALSE(view.HasCaret());
    EXPECT_EQ(view.vSizes.back(), std::make_pair(0ULL, 20ULL));
    EXPECT_GE(view.invalidations, 1);
    EXPECT_EQ(view.repaints, 1);
    EXPECT_EQ(linked.calls, (std::vector<std::string>{"caret off", "clear"}));

    view.ForgetRequests();
    view.Fill(Numbered(0, 30));
    EXPECT_EQ(view.vScrolls, Lines_t{29});
    EXPECT_EQ(view.GetVScrollPoint(), 10u);
}

TEST_F(TextViewBase, ShrinkingTheBufferDropsTheSelection)
{
    RecordingView view(Numbered(0, 30));
    view.OnGoToStart();
    view.Drag(Cell(1, 1), Cell(4, 2));
    view.ForgetRequests();
    view.SetBufferSize(100);  // nothing removed: nothing redrawn
    EXPECT_EQ(view.invalidations, 0);
    EXPECT_NE(view.GetHighlight(), nullptr);

    view.SetBufferSize(10);
    EXPECT_EQ(view.GetHighlight(), nullptr);
    EXPECT_EQ(view.vSizes.back(), std::make_pair(10ULL, 20ULL));
    EXPECT_GE(view.invalidations, 1);
}

TEST_F(TextViewBase, SelectAllSelectsEveryCharacter)
{
    RecordingView view;
    RecordingLinkedView linked;
    view.SetLinkedView(&linked);
    view.SelectAll();
    EXPECT_EQ(view.GetHighlight(), nullptr);  // nothing to select

    view.Fill({L"ab", L"cde", L""});
    HeldKeys::alt = true;
    view.Drag(Cell(0, 0), Cell(1, 1));  // a rectangle first
    HeldKeys::alt = false;
    linked.calls.clear();
    view.SelectAll();
    EXPECT_FALSE(view.IsColumnSelect());
    EXPECT_EQ(SelectionOf(view.GetHighlight()), Sel(0, 0, 2, 1));
    EXPECT_EQ(linked.calls, (std::vector<std::string>{"select all"}));
}

TEST_F(TextViewBase, LinkedViewsAndScrollBar)
{
    RecordingView view;
    RecordingLinkedView linked;
    RecordingScrollbar scrollbar;
    view.SetLinkedView(&linked);
    view.SetLinkedVerticalScrollbar(&scrollbar);

    ZLogFont font;
    font.logFont.lfHeight = -13;
    view.UpdateFont(font);
    view.UpdateFont(font);
    EXPECT_EQ(view.fontMeasures, 1);  // an unchanged font is not measured again
    font.logFont.lfWeight = 700;
    view.UpdateFont(font);
    EXPECT_EQ(view.fontMeasures, 2);
    EXPECT_EQ(view.GetFont()->logFont.lfWeight, 700);
    EXPECT_EQ(std::count(linked.calls.begin(), linked.calls.end(), "font"), 3);

    // While the view shows its own bar, the linked bar is left alone.
    view.Fill(Numbered(0, 30));
    EXPECT_TRUE(scrollbar.positions.empty());
    // Handing the vertical position to the linked bar.
    view.ShowVertScrollbarIfNeeded(false);
    view.Fill(Numbered(30, 10));
    EXPECT_EQ(scrollbar.range, std::make_pair(40ULL, 20ULL));
    EXPECT_EQ(scrollbar.positions.back(), 39u);
    scrollbar.position = 7;
    EXPECT_EQ(view.GetVScrollPoint(), 7u);
    EXPECT_EQ(view.PointToCharposition({0, 0}).line, 7u);
    view.OnPageDown();
    EXPECT_EQ(scrollbar.positions.back(), 27u);

    // A selection made in the other view; the paint tests show it becomes the view's own.
    view.Select({1, 2}, {3, 4}, true);
    ASSERT_NE(view.GetMouseHighlight(), nullptr);
    EXPECT_EQ(view.GetMouseHighlight()->GetSink(), static_cast<ITextViewHighlightSink*>(&view));
    view.UpdateHighlight(nullptr, false);
    EXPECT_EQ(view.GetHighlight(), nullptr);
    EXPECT_EQ(view.GetMouseHighlight(), nullptr);

    linked.calls.clear();
    view.Click({3, 3});
    EXPECT_EQ(linked.calls, (std::vector<std::string>{"caret on", "caret on"}));
}

TEST_F(TextViewBase, CopyPutsTheSelectionOnTheClipboard)
{
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    struct Case {
        bool alt;
        POINT from, to;
        const wchar_t* expected;  // empty: the clipboard was left alone
        bool enabled = true;
    } cases[] = {
        {false, Cell(1, 0), Cell(2, 0), L"bc"},
        {false, Cell(4, 0), Cell(2, 2), L"ef\r\nghij\r\nklm\r\n"},
        {true, Cell(1, 0), Cell(2, 2), L"bc\r\nhi\r\nlm\r\n"},
        {false, Cell(1, 0), Cell(2, 0), L"", false},
    };
    for (const Case& c : cases) {
        RecordingView view({L"abcdef", L"ghij", L"klmnop"});
        HeldKeys::alt = c.alt;
        view.Drag(c.from, c.to);
        HeldKeys::alt = false;
        view.EnableCopy(c.enabled);
        EXPECT_EQ(view.CanCopy(), c.enabled);
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ::EmptyClipboard();
        ::CloseClipboard();
        view.OnEditCopy();
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ZUnicodeString text;
        ClipboardBuffer(CF_UNICODETEXT).GetData(text);  // closes the clipboard
        EXPECT_EQ(text.str(), std::wstring(c.expected)) << c.expected;
    }
    ::OleUninitialize();
}
