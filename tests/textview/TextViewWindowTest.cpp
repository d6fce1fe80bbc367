// The text view window under a real window manager: its font, one real paint read back pixel by pixel,
// and mouse, keyboard, scroll-bar and wheel messages posted ahead of a sentinel.
#include <windows.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/MessagePump.h"
#include "tests/textview/TextViewTestLines.h"
#include "textview/ZTextView.h"

using namespace TextViewTest;

namespace {

// A click at the view's corner, which stops it following the newest line.
void ClickInto(HWND view)
{
    ::PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::PostMessageW(view, WM_LBUTTONUP, 0, 0);
    RunUntilSentinel(view);
}

// The view as a host would derive it, with the protected members the tests read.
class TestView : public ZTextView {
public:
    using ZTextView::GetPageHeight, ZTextView::GetTotalVert, ZTextView::GetVScrollPoint;
    using ZTextView::GetHScrollPointInternal, ZTextView::ScrollToPoint;
    std::vector<std::wstring> drawnTexts;
    bool drawnBeforeAppendsApplied = false;

protected:
    void DrawTextW(CDC* dc, const DrawTextInfo& run) override
    {
        drawnTexts.emplace_back(run.text, static_cast<size_t>(run.length));
        drawnBeforeAppendsApplied |= HasPendingAppends();
        ZTextView::DrawTextW(dc, run);
    }
};

class TextViewWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &m_wheelLines, 0);
        ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 5, nullptr, 0);
        // Away from the view, so that the pointer's own position adds no mouse messages.
        ::SetCursorPos(1000, 900);
    }
    void TearDown() override
    {
        if (m_view && ::IsWindow(m_window))
            m_view->DestroyWindow();  // the view deletes itself
        ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, m_wheelLines, nullptr, 0);
    }

    // A shown view of 480 x 240, with a 12-point fixed-pitch font unless told otherwise.
    TestView& MakeView(bool fixedFont = true)
    {
        m_view = NewView(fixedFont);
        m_window = m_view->GetSafeHwnd();
        return *m_view;
    }
    template <class View = TestView>
    static View* NewView(bool fixedFont = true)
    {
        auto* view = new View;
        EXPECT_TRUE(view->CreateEx(0, nullptr, L"text view", WS_POPUP | WS_VISIBLE, 50, 50, 480, 240, nullptr,
                                   nullptr));
        view->SetBufferSize(1000);
        if (fixedFont)
            view->UpdateFont(FixedFont(-16));  // 12 points at 96 dots per inch
        view->UpdateWindow();
        return view;
    }
    // Numbered lines, padded with dots to width when one is given.
    void Fill(int from, int count, size_t width = 0)
    {
        std::vector<std::wstring> texts = Numbered(from, count);
        for (std::wstring& text : texts)
            text.resize(width ? width : text.size(), L'.');
        const auto lines = Lines(texts);
        m_view->AppendLines(lines.data(), lines.size());
    }
    // The middle of a cell of the visible grid, as a mouse message's lParam.
    LPARAM Cell(int column, int row) const
    {
        const int x = static_cast<int>(column * m_view->GetCharacterWidth() + m_view->GetCharacterWidth() / 2);
        const int y = row * m_view->GetCharacterHeight() + m_view->GetCharacterHeight() / 2;
        return MAKELPARAM(x, y);
    }
    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { ::PostMessageW(m_window, message, wParam, lParam); }
    void Drag(LPARAM from, LPARAM to)
    {
        Post(WM_LBUTTONDOWN, MK_LBUTTON, from);
        Post(WM_MOUSEMOVE, MK_LBUTTON, to);
        Post(WM_LBUTTONUP, 0, to);
        RunUntilSentinel(m_window);
    }
    void Click() { ClickInto(m_window); }
    // Pumps until the appends so far are on screen: their update waits for the next paint.
    bool PumpUntilPainted()
    {
        return TestSupport::PumpUntil([this] { return !m_view->HasPendingAppends() && !::GetUpdateRect(m_window, nullptr, FALSE); });
    }
    unsigned long long LastFirstLine() const { return m_view->GetTotalVert() - m_view->GetPageHeight(); }

    TestView* m_view = nullptr;
    HWND m_window = nullptr;
    UINT m_wheelLines = 3;
    HeldKeys m_keys;
};

// A linked scroll bar beside a view that keeps its own bar: it only hears where the view went.
struct ViewScrolledRecorder : ITextViewLinkedScrollbar {
    std::vector<unsigned long long> reported;
    void SetScrollRange(unsigned long long, unsigned long long) override {}
    void SetScrollPosition(unsigned long long) override {}
    unsigned long long GetScrollPosition() const override { return 0; }
    void OnVScroll(UINT, UINT, CScrollBar*) override {}
    void OnMouseWheel(WPARAM, LPARAM) override {}
    void OnViewScrolled(unsigned long long line) override { reported.push_back(line); }
    void GetScrollInfo(SCROLLINFO&) const override {}
};

// Hosts that handle timers or paints themselves and pass them straight to the framework.
class HostTimerView : public TestView {
protected:
    afx_msg void OnTimer(UINT_PTR) { Default(); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(HostTimerView, TestView)
    ON_WM_TIMER()
END_MESSAGE_MAP()

class HostPaintView : public TestView {
protected:
    afx_msg void OnPaint() { CView::OnPaint(); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(HostPaintView, TestView)
    ON_WM_PAINT()
END_MESSAGE_MAP()

}  // namespace

TEST_F(TextViewWindow, DefaultFontIsTenPointCourierNew)
{
    TestView& view = MakeView(false);
    CClientDC dc(&view);
    if (dc.GetDeviceCaps(LOGPIXELSY) != 96)
        GTEST_SKIP() << "the display does not run at 96 dots per inch";
    ASSERT_NE(view.GetViewFont(), nullptr);
    LOGFONTW logFont{};
    view.GetViewFont()->GetLogFont(&logFont);
    EXPECT_EQ(logFont.lfHeight, -13);
    EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
    EXPECT_STREQ(logFont.lfFaceName, L"Courier New");  // what was asked for; the platform may substitute
}

// The cell is measured here on a font of the test's own making: a fixed-pitch
// line of ten characters is ten cells wide, and a line's height includes the leading.
TEST_F(TextViewWindow, AStoredFontSetsTheCell)
{
    TestView& view = MakeView(false);
    for (const LONG height : {-16L, -24L}) {
        const ZLogFont font = FixedFont(height);
        view.UpdateFont(font);

        HDC screen = ::GetDC(nullptr);
        HFONT own = ::CreateFontIndirectW(&font.logFont);
        HGDIOBJ previous = ::SelectObject(screen, own);
        SIZE line{};
        ::GetTextExtentPoint32W(screen, L"0123456789", 10, &line);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(screen, &metrics);
        ::SelectObject(screen, previous);
        ::DeleteObject(own);
        ::ReleaseDC(nullptr, screen);

        EXPECT_DOUBLE_EQ(view.GetCharacterWidth(), line.cx / 10.0) << height;
        EXPECT_EQ(view.GetCharacterHeight(), line.cy + metrics.tmExternalLeading) << height;
    }
}

TEST_F(TextViewWindow, OnePaintShowsTheSelectionInTheHighlightColours)
{
    TestView& view = MakeView();
    const auto lines = Lines({L"\u2588\u2588  \u2588\u2588  ", L"\u2588   \u2588"});
    view.AppendLines(lines.data(), lines.size());
    ZTextViewHighlight selection(nullptr, {1, 0}, {4, 0});
    view.UpdateHighlight(&selection, false);
    view.UpdateWindow();

    const int width = static_cast<int>(view.GetCharacterWidth());
    const int height = view.GetCharacterHeight();
    const COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    struct Case {
        int column, row;
        COLORREF expected;
        const char* what;
    } cases[] = {
        {0, 0, text, "a full block outside the selection"},
        {1, 0, ::GetSysColor(COLOR_HIGHLIGHTTEXT), "a full block inside it"},
        {2, 0, ::GetSysColor(COLOR_HIGHLIGHT), "a blank inside it"},
        {5, 0, text, "a full block after it"},
        {6, 0, window, "a blank after it"},
        {12, 0, window, "past the line's end"},
        {0, 1, text, "the next line"},
        {2, 1, window, "a blank on the next line"},
        {1, 5, window, "below the last line"},
    };
    CClientDC dc(&view);
    for (const Case& c : cases)
        EXPECT_EQ(::GetPixel(dc.GetSafeHdc(), c.column * width + width / 2, c.row * height + height / 2), c.expected)
            << c.what;
}

TEST_F(TextViewWindow, DraggingSelectsAStreamAndAltDraggingAColumn)
{
    TestView& view = MakeView();
    RecordingLinkedView linked;
    view.SetLinkedView(&linked);
    Fill(0, 5);
    Drag(Cell(2, 1), Cell(6, 3));
    EXPECT_EQ(SelectionOf(view.GetHighlight()), Sel(2, 1, 6, 3));
    EXPECT_TRUE(view.HasCaret());
    EXPECT_FALSE(view.IsColumnSelect());
    ASSERT_FALSE(linked.selections.empty());
    EXPECT_EQ(linked.selections.back(), Sel(2, 1, 6, 3));

    HeldKeys::alt = true;
    Drag(Cell(7, 3), Cell(3, 1));
    EXPECT_TRUE(view.IsColumnSelect());
    EXPECT_EQ(SelectionOf(view.GetHighlight()), Sel(3, 1, 7, 3));
    EXPECT_EQ(linked.selections.back(), Sel(3, 1, 7, 3));
    EXPECT_EQ(::GetCapture(), nullptr);  // released on button up
}

TEST_F(TextViewWindow, ScrollBarCodesAndTheWheelMoveTheView)
{
    TestView& view = MakeView();
    Fill(0, 100, 120);
    Click();
    RECT client{};
    ::GetClientRect(m_window, &client);
    const unsigned long long page = client.bottom / view.GetCharacterHeight();
    const unsigned long long lastFirst = 100 - page;
    auto wheel = [](short delta) { return MAKEWPARAM(0, delta); };
    struct Case {
        UINT message;
        WPARAM wParam;  // a scroll-bar code, or the wheel's delta
        unsigned long long from;
        unsigned long long expected;
    } cases[] = {
        {WM_VSCROLL, SB_LINEDOWN, 0, 1}, {WM_VSCROLL, SB_LINEUP, 0, 0}, {WM_VSCROLL, SB_LINEUP, 7, 6},
        {WM_VSCROLL, SB_PAGEDOWN, 0, page},
        {WM_VSCROLL, SB_PAGEDOWN, lastFirst - 1, lastFirst},  // the platform clamps
        {WM_VSCROLL, SB_PAGEUP, 3, 0}, {WM_VSCROLL, SB_PAGEUP, page + 3, 3},
        {WM_VSCROLL, SB_BOTTOM, 0, lastFirst}, {WM_VSCROLL, SB_TOP, 40, 0}, {WM_VSCROLL, SB_ENDSCROLL, 40, 40},
        {WM_HSCROLL, SB_LINERIGHT, 0, 1}, {WM_HSCROLL, SB_LINELEFT, 5, 4},
        {WM_HSCROLL, SB_BOTTOM, 5, 5}, {WM_HSCROLL, SB_TOP, 5, 5},  // ignored across
        {WM_MOUSEWHEEL, wheel(-WHEEL_DELTA), 0, 5},  // toward the newest line, the system's 5 lines a notch
        {WM_MOUSEWHEEL, wheel(-2 * WHEEL_DELTA), 0, 10},
        {WM_MOUSEWHEEL, wheel(WHEEL_DELTA), 15, 10},
        {WM_MOUSEWHEEL, wheel(WHEEL_DELTA), 2, 0},  // stops at the first line
        {WM_MOUSEWHEEL, wheel(-40), 0, 5},  // less than a notch still scrolls one
        {WM_MOUSEWHEEL, wheel(40), 12, 7},
    };
    for (const Case& c : cases) {
        const bool across = c.message == WM_HSCROLL;
        SCROLLINFO start{sizeof start, SIF_POS, 0, 0, 0, static_cast<int>(c.from), 0};
        ::SetScrollInfo(m_window, across ? SB_HORZ : SB_VERT, &start, TRUE);
        Post(c.message, c.wParam);
        RunUntilSentinel(m_window);
        EXPECT_EQ(across ? view.GetHScrollPointInternal() : view.GetVScrollPoint(), c.expected)
            << "message " << c.message << " " << std::hex << c.wParam << " from " << std::dec << c.from;
    }
}

TEST_F(TextViewWindow, CtrlEndResumesFollowingTheNewestLine)
{
    TestView& view = MakeView();
    Fill(0, 40);
    ASSERT_TRUE(PumpUntilPainted());
    ASSERT_EQ(view.GetVScrollPoint(), LastFirstLine());  // following
    Post(WM_VSCROLL, SB_TOP);
    Click();  // no longer follows
    Post(WM_KEYDOWN, VK_END, 1);  // End alone does nothing
    RunUntilSentinel(m_window);
    EXPECT_EQ(view.GetVScrollPoint(), 0u);

    HeldKeys::control = true;
    Post(WM_KEYDOWN, VK_END, 1);
    RunUntilSentinel(m_window);
    EXPECT_FALSE(view.HasCaret());
    EXPECT_EQ(view.GetVScrollPoint(), LastFirstLine());
}

TEST_F(TextViewWindow, TheLinkedScrollBarHearsThePositionTheViewTook)
{
    TestView& view = MakeView();
    ViewScrolledRecorder linked;
    view.SetLinkedVerticalScrollbar(&linked);
    Fill(0, 100);
    Click();
    const unsigned long long last = LastFirstLine();
    const std::pair<UINT, WPARAM> moves[] = {{WM_VSCROLL, SB_PAGEDOWN}, {WM_VSCROLL, SB_LINEDOWN},
                                             {WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA)}};
    for (const auto& [message, wParam] : moves) {
        for (const unsigned long long from : {last, last - 2}) {  // past the end, and clamped on the way
            SCROLLINFO start{sizeof start, SIF_POS, 0, 0, 0, static_cast<int>(from), 0};
            ::SetScrollInfo(m_window, SB_VERT, &start, TRUE);
            linked.reported.clear();
            Post(message, wParam);
            RunUntilSentinel(m_window);
            const unsigned long long expected = wParam == SB_LINEDOWN ? std::min(from + 1, last) : last;
            EXPECT_EQ(view.GetVScrollPoint(), expected) << message << " from " << from;
            EXPECT_EQ(linked.reported, std::vector<unsigned long long>{expected}) << message << " from " << from;
        }
    }
    // A bar that carries the position itself hears the line asked for: the view's own bar has no range to clamp to.
    view.ShowVertScrollbarIfNeeded(false);
    linked.reported.clear();
    view.ScrollToPoint(99, 0);
    EXPECT_EQ(linked.reported, std::vector<unsigned long long>{99});
}

TEST_F(TextViewWindow, ABurstOfAppendsIsDrawnWithTheNewestLinesInViewAfterThePump)
{
    TestView& view = MakeView();
    view.drawnTexts.clear();
    Fill(0, 1);
    EXPECT_TRUE(view.drawnTexts.empty());  // an append alone does not paint
    for (int i = 1; i < 300; ++i)
        Fill(i, 1);  // one call a line, as a log arrives
    ASSERT_TRUE(PumpUntilPainted());
    ASSERT_FALSE(view.drawnTexts.empty());
    EXPECT_EQ(view.drawnTexts.back(), L"line 299 of the log");
    EXPECT_EQ(view.GetVScrollPoint(), LastFirstLine());
    EXPECT_LT(view.drawnTexts.size(), 300u);  // not a paint a line
}

TEST_F(TextViewWindow, ScrollBarsEndWhereLineByLineUpdatesLeaveThem)
{
    struct Case {
        int lines;
        unsigned long long bufferSize;
        bool clicked;  // the user clicked in first: the view stays where it was
    } cases[] = {{5, 1000, false}, {60, 1000, false}, {60, 30, false}, {60, 1000, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lines << " lines into " << c.bufferSize << (c.clicked ? ", clicked" : ""));
        // Reference: the same appends each brought up to date at once.
        TestView* reference = NewView();
        TestView* burst = NewView();
        ViewScrolledRecorder referenceBar, burstBar;
        for (TestView* view : {reference, burst}) {
            view->SetBufferSize(c.bufferSize);
            view->SetLinkedVerticalScrollbar(view == reference ? &referenceBar : &burstBar);
            const auto wide = Lines({L"a line longer than the others, wider than the window is across"});
            view->AppendLines(wide.data(), 1);
            if (c.clicked)
                ClickInto(view->GetSafeHwnd());
        }
        for (int i = 1; i < c.lines; ++i) {
            const auto line = Lines(Numbered(i, 1));
            reference->AppendLines(line.data(), 1);
            reference->ApplyPendingAppends();
            burst->AppendLines(line.data(), 1);
        }
        ASSERT_TRUE(TestSupport::PumpUntil([&] { return !burst->HasPendingAppends(); }));
        for (int bar : {SB_VERT, SB_HORZ}) {
            SCROLLINFO expected{}, got{};
            expected.cbSize = got.cbSize = sizeof expected;
            expected.fMask = got.fMask = SIF_ALL;
            ::GetScrollInfo(reference->GetSafeHwnd(), bar, &expected);
            ::GetScrollInfo(burst->GetSafeHwnd(), bar, &got);
            EXPECT_EQ(std::tuple(got.nMin, got.nMax, got.nPage, got.nPos),
                      std::tuple(expected.nMin, expected.nMax, expected.nPage, expected.nPos)) << "bar " << bar;
        }
        const unsigned long long total = std::min<unsigned long long>(c.lines, c.bufferSize);
        const bool follows = !c.clicked && total > burst->GetPageHeight();
        EXPECT_EQ(burst->GetVScrollPoint(), follows ? total - burst->GetPageHeight() : 0);
        // The linked bar is told where the view ended, once a paint rather than once a line.
        ASSERT_EQ(burstBar.reported.empty(), !follows);
        if (follows) {
            EXPECT_EQ(burstBar.reported.back(), referenceBar.reported.back());
            EXPECT_LT(burstBar.reported.size(), referenceBar.reported.size());
        }
        reference->DestroyWindow();
        burst->DestroyWindow();
    }
}

// Each case appends 200 lines, acts before any paint, and pumps: the view ends where line-by-line
// updates would leave it, and nothing is drawn from a scroll position the appends have not reached.
TEST_F(TextViewWindow, WhatComesBeforeThePaintSeesTheAppendsFirst)
{
    constexpr unsigned long long kEnd = ~0ull;
    auto scrollTo50 = [](TestView& v) { v.ScrollToPoint(50, 0); };
    struct Case {
        const char* what;
        TestView* (*make)();
        void (*before)(TestView&);  // before the appends
        void (*act)(TestView&);     // after them
        unsigned long long expected;
    } cases[] = {
        {"a host's scroll while following", [] { return NewView(); }, [](TestView&) {}, scrollTo50, 50},
        {"a host's scroll past the range before", [] { return NewView(); },
         [](TestView& v) { ClickInto(v.GetSafeHwnd()); }, scrollTo50, 50},
        {"a click in a linked view", [] { return NewView(); }, [](TestView&) {},
         [](TestView& v) { v.SetCaretInternal(true); }, kEnd},
        // Hosts that pass timers or paints straight to the framework.
        {"host's own timer handler", [] { return static_cast<TestView*>(NewView<HostTimerView>()); },
         [](TestView& v) { v.Invalidate(), v.UpdateWindow(); },  // so the update waits for the timer
         [](TestView&) {}, kEnd},
        {"host's own paint handler", [] { return static_cast<TestView*>(NewView<HostPaintView>()); },
         [](TestView&) { ::Sleep(100); },  // so the first append asks for a paint at once
         [](TestView&) {}, kEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestView* view = c.make();
        c.before(*view);
        view->drawnTexts.clear();
        const auto lines = Lines(Numbered(0, 200));
        view->AppendLines(lines.data(), lines.size());
        c.act(*view);
        EXPECT_TRUE(TestSupport::PumpUntil(
            [&] { return !view->HasPendingAppends() && !::GetUpdateRect(view->GetSafeHwnd(), nullptr, FALSE); },
            2000));
        EXPECT_EQ(view->GetVScrollPoint(), c.expected == kEnd ? 200 - view->GetPageHeight() : c.expected);
        EXPECT_FALSE(view->drawnBeforeAppendsApplied);
        view->DestroyWindow();
    }
}
