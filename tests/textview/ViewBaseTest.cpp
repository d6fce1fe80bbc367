// The view core driven as a window would drive it: mouse points, Shift and Alt,
// appends, paging and clearing, with a window stand-in that records every
// window operation it is asked for.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/textview/TextViewTestLines.h"
#include "textview/ClipboardBuffer.h"
#include "textview/ZTextViewBase.h"

namespace {

constexpr double kCellWidth = 8;
constexpr int kCellHeight = 16;

// Scroll bars as the platform keeps them: a position clamped to total - page.
class RecordingView : public ZTextViewBase {
public:
    explicit RecordingView(RECT client = {0, 0, 800, 320}) : m_client(client)
    {
        UpdateSize(kCellWidth, kCellHeight);
        OnCreate();
    }

    using ZTextViewBase::Clear;
    using ZTextViewBase::ClearLastLine;
    using ZTextViewBase::GetFont;
    using ZTextViewBase::GetMouseHighlight;
    using ZTextViewBase::GetPageHeight;
    using ZTextViewBase::GetPageWidth;
    using ZTextViewBase::GetVScrollPoint;
    using ZTextViewBase::NormalizeHighlight;
    using ZTextViewBase::OnCtrlEnd;
    using ZTextViewBase::OnEditCopy;
    using ZTextViewBase::OnGoToStart;
    using ZTextViewBase::OnLButtonDown;
    using ZTextViewBase::OnLButtonUp;
    using ZTextViewBase::OnMouseMove;
    using ZTextViewBase::OnPageDown;
    using ZTextViewBase::OnPageUp;
    using ZTextViewBase::PointToCharposition;
    using ZTextViewBase::SelectAll;
    using ZTextViewBase::SetLeftOffset;
    using ZTextViewBase::UpdateFont;

    // What the view asked of its window.
    std::vector<unsigned long long> vScrolls;  // lines asked for, before clamping
    std::vector<unsigned long long> hScrolls;
    std::vector<std::pair<unsigned long long, unsigned long long>> vSizes;  // total, page
    int invalidations = 0;
    int repaints = 0;
    int captures = 0;
    int releases = 0;
    int fontMeasures = 0;
    int normalizedChanges = 0;

    unsigned long long firstLine = 0;
    unsigned long long firstColumn = 0;

    void ForgetRequests()
    {
        vScrolls.clear();
        hScrolls.clear();
        vSizes.clear();
        invalidations = repaints = captures = releases = 0;
    }
    void Click(int x, int y)
    {
        OnLButtonDown({x, y});
        OnLButtonUp({x, y});
    }
    void Drag(POINT from, POINT to)
    {
        OnLButtonDown(from);
        OnMouseMove(to);
        OnLButtonUp(to);
    }
    // The point in the middle of a cell of the visible grid.
    static POINT Cell(int column, int row)
    {
        return {static_cast<LONG>(column * kCellWidth + 2), row * kCellHeight + 3};
    }

protected:
    void UpdateVScrollSize(unsigned long long total, unsigned long long page) override
    {
        vSizes.emplace_back(total, page);
        m_vTotal = total;
        m_vPage = page;
        firstLine = std::min(firstLine, MaxFirstLine());
    }
    void UpdateHScrollSize(unsigned long long, unsigned long long) override {}
    unsigned long long GetVScrollPointInternal() const override { return firstLine; }
    unsigned long long GetHScrollPointInternal() const override { return firstColumn; }
    void ScrollToVPoint(unsigned long long line) override
    {
        vScrolls.push_back(line);
        firstLine = std::min(line, MaxFirstLine());
    }
    void ScrollToHPoint(unsigned long long column) override
    {
        hScrolls.push_back(column);
        firstColumn = column;
    }
    void DrawTextW(CDC*, const DrawTextInfo&) override {}
    void DrawLine(CDC*, COLORREF, const std::vector<ZTextViewLineDrawInfo>&) override {}
    void GetTextColor(COLORREF& text, COLORREF& background) const override { text = background = 0; }
    void GetHighlightColor(COLORREF& text, COLORREF& background) const override { text = background = 0; }
    void GetClientRect(RECT* rect) const override { *rect = m_client; }
    void InvalidateWindow() override { ++invalidations; }
    void RepaintWindow() override { ++repaints; }
    void CaptureMouse() override { ++captures; }
    bool ReleaseMouse() override
    {
        ++releases;
        return true;
    }
    void UpdateFontInternal() override { ++fontMeasures; }
    void OnNormalizedHighlightChanged() override { ++normalizedChanges; }

private:
    unsigned long long MaxFirstLine() const { return m_vTotal > m_vPage ? m_vTotal - m_vPage : 0; }

    RECT m_client;
    unsigned long long m_vTotal = 0;
    unsigned long long m_vPage = 0;
};

struct RecordingLinkedView : ITextViewLinkedView {
    std::vector<std::string> calls;
    void UpdateFontInternal(const ZLogFont&) override { calls.push_back("font"); }
    void SelectAllInternal() override { calls.push_back("select all"); }
    void ClearInternal() override { calls.push_back("clear"); }
    void SetCaretInternal(bool caret) override { calls.push_back(caret ? "caret on" : "caret off"); }
    void UpdateHighlight(ZTextViewHighlight*, bool) override { calls.push_back("highlight"); }
};

struct RecordingScrollbar : ITextViewLinkedScrollbar {
    unsigned long long total = 0, page = 0, position = 0;
    std::vector<unsigned long long> positions;
    void SetScrollRange(unsigned long long t, unsigned long long p) override
    {
        total = t;
        page = p;
    }
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

// Which modifier keys the tests hold down.
bool g_shift = false;
bool g_alt = false;
bool HeldKeys(int key)
{
    return (key == VK_SHIFT && g_shift) || (key == VK_MENU && g_alt);
}

class TextViewBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_shift = g_alt = false;
        m_previousProbe = ZTextViewBase::SetKeyModifierProbe(HeldKeys);
    }
    void TearDown() override { ZTextViewBase::SetKeyModifierProbe(m_previousProbe); }

    static void Fill(RecordingView& view, const std::vector<std::wstring>& texts)
    {
        const auto lines = TextViewTest::Lines(texts);
        view.AppendLines(lines.data(), lines.size());
    }
    static void FillNumbered(RecordingView& view, int from, int count)
    {
        std::vector<std::wstring> texts;
        for (int i = from; i < from + count; ++i)
            texts.push_back(L"line " + std::to_wstring(i) + L" of the log");
        Fill(view, texts);
    }
    static std::pair<ZTextViewCharPosition, ZTextViewCharPosition> Selection(const RecordingView& view)
    {
        const ZTextViewHighlight* highlight = view.GetHighlight();
        if (!highlight)
            return {{~0ULL, ~0ULL}, {~0ULL, ~0ULL}};
        return {highlight->GetBegin(), highlight->GetEnd()};
    }
    static std::pair<ZTextViewCharPosition, ZTextViewCharPosition> Sel(unsigned long long c1, unsigned long long l1,
                                                                       unsigned long long c2, unsigned long long l2)
    {
        return {{c1, l1}, {c2, l2}};
    }
    static inline const std::pair<ZTextViewCharPosition, ZTextViewCharPosition> kNone{{~0ULL, ~0ULL}, {~0ULL, ~0ULL}};

    ZTextViewBase::KeyModifierProbe m_previousProbe = nullptr;
};

}  // namespace

TEST_F(TextViewBase, PointsBecomePositionsOnTheGrid)
{
    RecordingView view;
    FillNumbered(view, 0, 50);
    view.OnGoToStart();
    view.firstColumn = 3;
    view.OnPageDown();  // first visible line 20
    ASSERT_EQ(view.GetVScrollPoint(), 20u);
    struct Case {
        POINT point;
        ZTextViewCharPosition expected;
    } cases[] = {
        {{0, 0}, {3, 20}},
        {{7, 15}, {3, 20}},
        {{8, 16}, {4, 21}},
        {{-1, -1}, {3, 20}},     // less than a cell before the origin is still the first cell
        {{-8, -16}, {2, 19}},
        {{-800, -3200}, {0, 0}},  // stops at 0
        {{LONG_MIN, LONG_MAX}, {0, 20 + LONG_MAX / 16}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view.PointToCharposition(c.point), c.expected) << c.point.x << "," << c.point.y;

    view.SetLeftOffset(2);  // a gutter of two cells: x 16 is column 0 of the text
    view.firstColumn = 0;
    view.Drag({16 + 1, 3}, {16 + 3 * 8 + 1, 3});
    EXPECT_EQ(Selection(view), Sel(0, 20, 3, 20));
}

TEST_F(TextViewBase, ClickWithoutMovementSelectsNothing)
{
    RecordingView view;
    FillNumbered(view, 0, 5);
    view.Click(20, 20);
    EXPECT_EQ(view.GetHighlight(), nullptr);
    EXPECT_EQ(view.GetMouseHighlight(), nullptr);
    EXPECT_TRUE(view.HasCaret());
    EXPECT_EQ(view.captures, 1);
    EXPECT_EQ(view.releases, 1);
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
        RecordingView view;
        FillNumbered(view, 0, 5);
        const POINT anchor{40, 40};
        view.OnLButtonDown(anchor);
        view.OnMouseMove({anchor.x + c.dx, anchor.y + c.dy});
        EXPECT_EQ(view.GetMouseHighlight() != nullptr, c.selects) << c.dx << "," << c.dy;
        view.OnLButtonUp({anchor.x + c.dx, anchor.y + c.dy});
    }
}

TEST_F(TextViewBase, MouseSelectionsAreNormalized)
{
    // Rows are lines 0.. (the view shows them all); points are in the middle of cells.
    const std::vector<std::wstring> text = {L"abc", L"defgh", L"", L"", L"ijklmnop", L"q"};
    struct Case {
        const char* name;
        POINT from, to;
        bool alt;
        std::pair<ZTextViewCharPosition, ZTextViewCharPosition> expected;
    } cases[] = {
        {"forward stream", RecordingView::Cell(1, 0), RecordingView::Cell(3, 1), false, Sel(1, 0, 3, 1)},
        {"backward stream", RecordingView::Cell(3, 1), RecordingView::Cell(1, 0), false, Sel(1, 0, 3, 1)},
        {"from a line end down to a line start", RecordingView::Cell(3, 0), RecordingView::Cell(0, 4), false,
         Sel(0, 1, 0, 4)},
        {"ends on empty lines", RecordingView::Cell(1, 1), RecordingView::Cell(0, 3), false, Sel(1, 1, 4, 1)},
        {"empty lines only", RecordingView::Cell(0, 2), RecordingView::Cell(0, 3), false, kNone},
        {"past the last line", RecordingView::Cell(2, 4), RecordingView::Cell(5, 9), false, Sel(2, 4, 0, 5)},
        {"wholly past the last line", RecordingView::Cell(2, 7), RecordingView::Cell(5, 9), false, kNone},
        {"column rectangle", RecordingView::Cell(4, 4), RecordingView::Cell(1, 1), true, Sel(1, 1, 4, 4)},
        {"column bottom too short moves up", RecordingView::Cell(1, 1), RecordingView::Cell(3, 5), true,
         Sel(1, 1, 3, 4)},
        // Lines 2 and 3 are empty: the bottom line must not climb above the top line.
        {"column rows all too short", RecordingView::Cell(1, 2), RecordingView::Cell(3, 3), true, kNone},
    };
    for (const Case& c : cases) {
        RecordingView view;
        Fill(view, text);
        g_alt = c.alt;
        view.Drag(c.from, c.to);
        g_alt = false;
        EXPECT_EQ(view.IsColumnSelect(), c.alt) << c.name;
        EXPECT_EQ(Selection(view), c.expected) << c.name;
    }
}

TEST_F(TextViewBase, ColumnNormalisationNeverInvertsTheRectangle)
{
    RecordingView view;
    Fill(view, {L"0123456789", L"01", L"01"});
    g_alt = true;
    view.Drag(RecordingView::Cell(5, 1), RecordingView::Cell(7, 2));
    EXPECT_TRUE(view.IsColumnSelect());
    EXPECT_EQ(view.GetHighlight(), nullptr);
    ZTextViewCharPosition begin{5, 1}, end{7, 2};
    EXPECT_FALSE(view.NormalizeHighlight(begin, end));
}

TEST_F(TextViewBase, ShiftClickExtendsFromTheLastClick)
{
    RecordingView view;
    FillNumbered(view, 0, 5);
    view.Click(RecordingView::Cell(2, 1).x, RecordingView::Cell(2, 1).y);
    EXPECT_EQ(view.GetHighlight(), nullptr);
    g_shift = true;
    view.Click(RecordingView::Cell(6, 3).x, RecordingView::Cell(6, 3).y);
    EXPECT_EQ(Selection(view), Sel(2, 1, 6, 3));
    // A further Shift+click moves the end, the anchor stays.
    view.Click(RecordingView::Cell(1, 0).x, RecordingView::Cell(1, 0).y);
    EXPECT_EQ(Selection(view), Sel(1, 0, 2, 1));
    // A plain click drops the selection.
    g_shift = false;
    view.Click(5, 5);
    EXPECT_EQ(view.GetHighlight(), nullptr);
}

TEST_F(TextViewBase, AppendingToAFullBufferMovesOrDropsTheSelection)
{
    struct Case {
        int fromLine, toLine;
        std::pair<ZTextViewCharPosition, ZTextViewCharPosition> after;
    } cases[] = {
        {10, 12, Sel(2, 5, 5, 7)},
        {2, 3, kNone},
        {3, 8, Sel(0, 0, 5, 3)},
    };
    for (const Case& c : cases) {
        RecordingView view;
        FillNumbered(view, 0, 50);
        view.OnGoToStart();
        view.Drag(RecordingView::Cell(2, c.fromLine), RecordingView::Cell(5, c.toLine));
        ASSERT_EQ(Selection(view), Sel(2, c.fromLine, 5, c.toLine));
        FillNumbered(view, 50, 5);
        EXPECT_EQ(Selection(view), c.after) << c.fromLine << "-" << c.toLine;
        EXPECT_EQ(view.GetMouseHighlight() == nullptr, c.after == kNone);
        EXPECT_EQ(view.GetBuffer().GetLineCount(), 50u);
    }
}

TEST_F(TextViewBase, FollowsTheNewestLineUntilClicked)
{
    RecordingView view;  // 20 lines to a page
    ASSERT_EQ(view.GetPageHeight(), 20u);
    ASSERT_EQ(view.GetPageWidth(), 100u);
    FillNumbered(view, 0, 10);
    EXPECT_TRUE(view.vScrolls.empty());  // everything fits
    FillNumbered(view, 10, 20);
    EXPECT_EQ(view.vScrolls, (std::vector<unsigned long long>{29}));
    EXPECT_EQ(view.GetVScrollPoint(), 10u);
    EXPECT_EQ(view.vSizes.back(), std::make_pair(30ULL, 20ULL));

    view.Click(10, 10);
    view.ForgetRequests();
    FillNumbered(view, 30, 5);
    EXPECT_TRUE(view.vScrolls.empty());
    EXPECT_EQ(view.GetVScrollPoint(), 10u);
    EXPECT_EQ(view.invalidations, 1);

    view.OnCtrlEnd();
    EXPECT_FALSE(view.HasCaret());
    EXPECT_EQ(view.vScrolls, (std::vector<unsigned long long>{34}));
    EXPECT_EQ(view.GetVScrollPoint(), 15u);
    FillNumbered(view, 35, 1);
    EXPECT_EQ(view.vScrolls.back(), 35u);
    EXPECT_EQ(view.GetVScrollPoint(), 16u);
}

TEST_F(TextViewBase, PagesStopAtTheEnds)
{
    RecordingView view;
    FillNumbered(view, 0, 50);  // 20 lines to a page, following the end: first line 30
    view.ForgetRequests();
    struct Step {
        void (RecordingView::*command)();
        unsigned long long requested;
        unsigned long long firstAfter;
    } steps[] = {
        {&RecordingView::OnPageDown, 49, 30},  // at the end stays on the last line
        {&RecordingView::OnPageUp, 10, 10},
        {&RecordingView::OnPageUp, 0, 0},
        {&RecordingView::OnPageUp, 0, 0},      // at the top stays on line 0
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

    RecordingView shortView;
    FillNumbered(shortView, 0, 5);
    shortView.ForgetRequests();
    shortView.OnPageDown();
    shortView.OnGoToStart();
    EXPECT_TRUE(shortView.vScrolls.empty());  // a page holds it all
}

TEST_F(TextViewBase, DraggingOutsideScrolls)
{
    RecordingView view;  // 800 x 320
    FillNumbered(view, 0, 50);
    view.OnGoToStart();
    view.OnPageDown();  // first line 20
    view.OnLButtonDown(RecordingView::Cell(2, 5));
    view.ForgetRequests();

    view.OnMouseMove({100, 320 + 40});  // 40 pixels below: 2 lines down
    EXPECT_EQ(view.vScrolls, (std::vector<unsigned long long>{22}));
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
    RecordingView view;
    FillNumbered(view, 0, 10);
    view.OnLButtonDown(RecordingView::Cell(1, 1));
    view.ForgetRequests();
    view.OnMouseMove(RecordingView::Cell(1, 1));  // no selection yet, none painted
    EXPECT_EQ(view.repaints, 0);
    view.OnMouseMove(RecordingView::Cell(4, 1));
    EXPECT_EQ(view.repaints, 1);
    view.OnMouseMove({RecordingView::Cell(4, 1).x + 1, RecordingView::Cell(4, 1).y});  // same cell
    EXPECT_EQ(view.repaints, 1);
    view.OnMouseMove(RecordingView::Cell(5, 1));
    EXPECT_EQ(view.repaints, 2);
    view.OnMouseMove({-1000, 0});
    view.OnLButtonUp(RecordingView::Cell(5, 1));
}

TEST_F(TextViewBase, ClearEmptiesAndFollowsAgain)
{
    RecordingView view;
    RecordingLinkedView linked;
    view.SetLinkedView(&linked);
    FillNumbered(view, 0, 10);
    view.Drag(RecordingView::Cell(1, 1), RecordingView::Cell(4, 2));
    ASSERT_NE(view.GetHighlight(), nullptr);
    EXPECT_TRUE(view.CanCopy());
    view.ForgetRequests();
    linked.calls.clear();

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
}

TEST_F(TextViewBase, ClearLastLineTouchesOnlyTheBuffer)
{
    RecordingView view;
    FillNumbered(view, 0, 3);
    view.ForgetRequests();
    view.ClearLastLine();
    EXPECT_EQ(view.GetBuffer().GetLineCount(), 2u);
    EXPECT_EQ(view.invalidations, 0);
}

TEST_F(TextViewBase, ShrinkingTheBufferDropsTheSelection)
{
    RecordingView view;
    FillNumbered(view, 0, 30);
    view.OnGoToStart();
    view.Drag(RecordingView::Cell(1, 1), RecordingView::Cell(4, 2));
    ASSERT_NE(view.GetHighlight(), nullptr);

    view.ForgetRequests();
    view.SetBufferSize(100);  // nothing removed: nothing redrawn
    EXPECT_EQ(view.invalidations, 0);
    EXPECT_NE(view.GetHighlight(), nullptr);

    view.SetBufferSize(10);
    EXPECT_EQ(view.GetBuffer().GetLineCount(), 10u);
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

    Fill(view, {L"ab", L"cde", L""});
    g_alt = true;
    view.Drag(RecordingView::Cell(0, 0), RecordingView::Cell(1, 1));  // a rectangle first
    g_alt = false;
    linked.calls.clear();
    view.SelectAll();
    EXPECT_FALSE(view.IsColumnSelect());
    EXPECT_EQ(Selection(view), Sel(0, 0, 2, 1));
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
    FillNumbered(view, 0, 30);
    EXPECT_TRUE(scrollbar.positions.empty());
    // Handing the vertical position to the linked bar.
    view.ShowVertScrollbarIfNeeded(false);
    FillNumbered(view, 30, 10);
    EXPECT_EQ(scrollbar.total, 40u);
    EXPECT_EQ(scrollbar.page, 20u);
    EXPECT_EQ(scrollbar.positions.back(), 39u);
    scrollbar.position = 7;
    EXPECT_EQ(view.GetVScrollPoint(), 7u);
    EXPECT_EQ(view.PointToCharposition({0, 0}).line, 7u);
    view.OnPageDown();
    EXPECT_EQ(scrollbar.positions.back(), 27u);

    // A selection made in the other view.
    ZTextViewHighlight other(nullptr, {1, 2}, {3, 4});
    view.UpdateHighlight(&other, true);
    EXPECT_TRUE(view.IsColumnSelect());
    EXPECT_EQ(Selection(view), Sel(1, 2, 3, 4));
    ASSERT_NE(view.GetMouseHighlight(), nullptr);
    EXPECT_EQ(view.GetMouseHighlight()->GetSink(), static_cast<ITextViewHighlightSink*>(&view));
    view.UpdateHighlight(nullptr, false);
    EXPECT_EQ(view.GetHighlight(), nullptr);
    EXPECT_EQ(view.GetMouseHighlight(), nullptr);

    linked.calls.clear();
    view.Click(3, 3);
    EXPECT_EQ(linked.calls, (std::vector<std::string>{"caret on", "caret on"}));
}

TEST_F(TextViewBase, SelectionDrawStyleRepaintsOnChange)
{
    RecordingView view;
    view.ForgetRequests();
    view.SetSelectionDrawStyle(ZTextViewBase::SelectionDrawHighlight);
    EXPECT_EQ(view.repaints, 0);
    view.SetSelectionDrawStyle(ZTextViewBase::SelectionDrawOutline);
    EXPECT_EQ(view.repaints, 1);
    EXPECT_EQ(view.GetSelectionDrawStyle(), ZTextViewBase::SelectionDrawOutline);
}

TEST_F(TextViewBase, CopyPutsTheSelectionOnTheClipboard)
{
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    struct Case {
        bool alt;
        POINT from, to;
        const wchar_t* expected;
    } cases[] = {
        {false, RecordingView::Cell(1, 0), RecordingView::Cell(2, 0), L"bc"},
        {false, RecordingView::Cell(4, 0), RecordingView::Cell(2, 2), L"ef\r\nghij\r\nklm\r\n"},
        {true, RecordingView::Cell(1, 0), RecordingView::Cell(2, 2), L"bc\r\nhi\r\nlm\r\n"},
    };
    for (const Case& c : cases) {
        RecordingView view;
        Fill(view, {L"abcdef", L"ghij", L"klmnop"});
        g_alt = c.alt;
        view.Drag(c.from, c.to);
        g_alt = false;
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ::EmptyClipboard();
        ::CloseClipboard();
        view.OnEditCopy();
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ClipboardBuffer clipboard(CF_UNICODETEXT);
        ZUnicodeString text;
        EXPECT_TRUE(clipboard.GetData(text));
        EXPECT_EQ(text.str(), c.expected);

        // With copy disabled the clipboard is left alone.
        view.EnableCopy(false);
        EXPECT_FALSE(view.CanCopy());
        ASSERT_TRUE(::OpenClipboard(nullptr));
        ::EmptyClipboard();
        ::CloseClipboard();
        view.OnEditCopy();
        ASSERT_TRUE(::OpenClipboard(nullptr));
        EXPECT_FALSE(ClipboardBuffer(CF_UNICODETEXT).IsValid());
    }
    ::OleUninitialize();
}
