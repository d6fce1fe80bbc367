// The text view window under a real window manager: its font, one real paint
// read back pixel by pixel, and the mouse, keyboard, scroll-bar and wheel paths
// driven by posted messages followed by a sentinel, through the same
// PreTranslateMessage walk a host's message loop makes.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/textview/TextViewTestLines.h"
#include "textview/ZTextView.h"

namespace {

constexpr UINT kSentinel = WM_APP + 7;

// Which modifier keys the tests hold down.
bool g_shift = false;
bool g_alt = false;
bool g_control = false;
bool HeldKeys(int key)
{
    return (key == VK_SHIFT && g_shift) || (key == VK_MENU && g_alt) || (key == VK_CONTROL && g_control);
}

struct RecordingLinkedView : ITextViewLinkedView {
    std::vector<std::pair<ZTextViewCharPosition, ZTextViewCharPosition>> selections;
    void UpdateFontInternal(const ZLogFont&) override {}
    void SelectAllInternal() override {}
    void ClearInternal() override {}
    void SetCaretInternal(bool) override {}
    void UpdateHighlight(ZTextViewHighlight* highlight, bool) override
    {
        if (highlight)
            selections.emplace_back(highlight->GetBegin(), highlight->GetEnd());
        else
            selections.emplace_back(ZTextViewCharPosition{~0ULL, ~0ULL}, ZTextViewCharPosition{~0ULL, ~0ULL});
    }
};

// The view as a host would derive it, with the protected members the tests read.
class TestView : public ZTextView {
public:
    using ZTextView::GetPageHeight;
    using ZTextView::GetPageWidth;
    using ZTextView::GetTotalVert;
    using ZTextView::GetVScrollPoint;
    using ZTextView::GetHScrollPointInternal;
    using ZTextView::SelectAll;
    std::vector<std::wstring> drawnTexts;

protected:
    void DrawTextW(CDC* dc, const DrawTextInfo& run) override
    {
        drawnTexts.emplace_back(run.text, static_cast<size_t>(run.length));
        ZTextView::DrawTextW(dc, run);
    }
};

ZLogFont FixedPitchFont()
{
    ZLogFont font;
    font.logFont.lfHeight = -16;  // 12 points at 96 dots per inch
    font.logFont.lfCharSet = DEFAULT_CHARSET;
    font.logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(font.logFont.lfFaceName, L"Courier New", LF_FACESIZE);
    return font;
}

class TextViewWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_shift = g_alt = g_control = false;
        m_previousProbe = ZTextViewBase::SetKeyModifierProbe(HeldKeys);
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
        ZTextViewBase::SetKeyModifierProbe(m_previousProbe);
    }

    // A shown view of the given client size with the fixed-pitch font.
    TestView& MakeView(int width = 480, int height = 240, bool fixedFont = true)
    {
        m_view = new TestView;
        EXPECT_TRUE(m_view->CreateEx(0, nullptr, L"text view", WS_POPUP | WS_VISIBLE, 50, 50, width, height, nullptr,
                                     nullptr));
        m_window = m_view->GetSafeHwnd();
        m_view->SetBufferSize(1000);
        if (fixedFont)
            m_view->UpdateFont(FixedPitchFont());
        m_view->UpdateWindow();
        return *m_view;
    }
    void Fill(int from, int count, int width = 0)
    {
        std::vector<std::wstring> texts;
        for (int i = from; i < from + count; ++i) {
            std::wstring text = L"line " + std::to_wstring(i) + L" of the log";
            if (width)
                text.resize(static_cast<size_t>(width), L'.');
            texts.push_back(text);
        }
        const auto lines = TextViewTest::Lines(texts);
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
    }
    // Runs the message loop, PreTranslateMessage walk included, until the
    // sentinel posted after everything else comes back.
    void RunUntilSentinel()
    {
        ::PostMessageW(m_window, kSentinel, 0, 0);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == kSentinel && msg.hwnd == m_window)
                return;
            if (!CWnd::WalkPreTranslateTree(nullptr, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    std::pair<ZTextViewCharPosition, ZTextViewCharPosition> Selection() const
    {
        const ZTextViewHighlight* highlight = m_view->GetHighlight();
        if (!highlight)
            return {{~0ULL, ~0ULL}, {~0ULL, ~0ULL}};
        return {highlight->GetBegin(), highlight->GetEnd()};
    }
    static std::pair<ZTextViewCharPosition, ZTextViewCharPosition> Sel(unsigned long long c1, unsigned long long l1,
                                                                       unsigned long long c2, unsigned long long l2)
    {
        return {{c1, l1}, {c2, l2}};
    }
    unsigned long long LastFirstLine() const { return m_view->GetTotalVert() - m_view->GetPageHeight(); }

    TestView* m_view = nullptr;
    HWND m_window = nullptr;
    UINT m_wheelLines = 3;
    ZTextViewBase::KeyModifierProbe m_previousProbe = nullptr;
};

}  // namespace

TEST_F(TextViewWindow, DefaultFontIsTenPointCourierNew)
{
    TestView& view = MakeView(480, 240, false);
    CClientDC dc(&view);
    if (dc.GetDeviceCaps(LOGPIXELSY) != 96)
        GTEST_SKIP() << "the display does not run at 96 dots per inch";
    ASSERT_NE(view.GetViewFont(), nullptr);
    LOGFONTW logFont{};
    view.GetViewFont()->GetLogFont(&logFont);
    EXPECT_EQ(logFont.lfHeight, -13);
    EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
    EXPECT_STREQ(logFont.lfFaceName, L"Courier New");  // what was asked for; the platform may substitute
    EXPECT_GT(view.GetCharacterWidth(), 0);
    EXPECT_GT(view.GetCharacterHeight(), 0);
}

TEST_F(TextViewWindow, AStoredFontSetsTheCell)
{
    TestView& view = MakeView();
    CClientDC dc(&view);
    ::SelectObject(dc.GetSafeHdc(), const_cast<CFont*>(view.GetViewFont())->GetSafeHandle());
    TEXTMETRICW metrics{};
    ASSERT_TRUE(dc.GetTextMetrics(&metrics));
    EXPECT_FALSE(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) << "the bit is set for variable pitch";
    EXPECT_EQ(view.GetCharacterWidth(), metrics.tmAveCharWidth);
    EXPECT_EQ(view.GetCharacterHeight(), metrics.tmHeight + metrics.tmExternalLeading);
}

TEST_F(TextViewWindow, OnePaintShowsTheSelectionInTheHighlightColours)
{
    TestView& view = MakeView();
    const auto lines = TextViewTest::Lines({L"\u2588\u2588  \u2588\u2588  ", L"\u2588   \u2588"});
    view.AppendLines(lines.data(), lines.size());
    ZTextViewHighlight selection(nullptr, {1, 0}, {4, 0});
    view.UpdateHighlight(&selection, false);
    view.UpdateWindow();

    const int width = static_cast<int>(view.GetCharacterWidth());
    const int height = view.GetCharacterHeight();
    auto pixelOf = [&](int column, int row) {
        CClientDC dc(&view);
        return ::GetPixel(dc.GetSafeHdc(), column * width + width / 2, row * height + height / 2);
    };
    const COLORREF text = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const COLORREF highlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    struct Case {
        int column, row;
        COLORREF expected;
        const char* what;
    } cases[] = {
        {0, 0, text, "a full block outside the selection"},
        {1, 0, highlightText, "a full block inside it"},
        {2, 0, highlight, "a blank inside it"},
        {5, 0, text, "a full block after it"},
        {6, 0, window, "a blank after it"},
        {12, 0, window, "past the line's end"},
        {0, 1, text, "the next line"},
        {2, 1, window, "a blank on the next line"},
        {1, 5, window, "below the last line"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pixelOf(c.column, c.row), c.expected) << c.what;
}

TEST_F(TextViewWindow, DraggingSelectsAStreamAndAltDraggingAColumn)
{
    TestView& view = MakeView();
    RecordingLinkedView linked;
    view.SetLinkedView(&linked);
    Fill(0, 5);
    Drag(Cell(2, 1), Cell(6, 3));
    RunUntilSentinel();
    EXPECT_EQ(Selection(), Sel(2, 1, 6, 3));
    EXPECT_TRUE(view.HasCaret());
    EXPECT_FALSE(view.IsColumnSelect());
    ASSERT_FALSE(linked.selections.empty());
    EXPECT_EQ(linked.selections.back(), Sel(2, 1, 6, 3));

    g_alt = true;
    Drag(Cell(7, 3), Cell(3, 1));
    RunUntilSentinel();
    EXPECT_TRUE(view.IsColumnSelect());
    EXPECT_EQ(Selection(), Sel(3, 1, 7, 3));
    EXPECT_EQ(linked.selections.back(), Sel(3, 1, 7, 3));
    EXPECT_EQ(::GetCapture(), nullptr);  // released on button up
}

TEST_F(TextViewWindow, ShiftClickExtendsFromTheLastClick)
{
    MakeView();
    Fill(0, 5);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, Cell(4, 0));
    Post(WM_LBUTTONUP, 0, Cell(4, 0));
    RunUntilSentinel();
    EXPECT_EQ(m_view->GetHighlight(), nullptr);  // a click alone selects nothing

    g_shift = true;
    Post(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, Cell(2, 2));
    Post(WM_LBUTTONUP, MK_SHIFT, Cell(2, 2));
    RunUntilSentinel();
    EXPECT_EQ(Selection(), Sel(4, 0, 2, 2));
}

TEST_F(TextViewWindow, ScrollBarCodesMoveTheView)
{
    TestView& view = MakeView();
    Fill(0, 100, 120);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, Cell(0, 0));  // stop following the newest line
    Post(WM_LBUTTONUP, 0, Cell(0, 0));
    RunUntilSentinel();
    RECT client{};
    ::GetClientRect(m_window, &client);
    const unsigned long long page = client.bottom / view.GetCharacterHeight();
    const unsigned long long lastFirst = 100 - page;

    struct Case {
        UINT message;
        UINT code;
        unsigned long long from;
        unsigned long long expected;
    } cases[] = {
        {WM_VSCROLL, SB_LINEDOWN, 0, 1},
        {WM_VSCROLL, SB_LINEUP, 0, 0},
        {WM_VSCROLL, SB_LINEUP, 7, 6},
        {WM_VSCROLL, SB_PAGEDOWN, 0, page},
        {WM_VSCROLL, SB_PAGEDOWN, lastFirst - 1, lastFirst},  // the platform clamps
        {WM_VSCROLL, SB_PAGEUP, 3, 0},
        {WM_VSCROLL, SB_PAGEUP, page + 3, 3},
        {WM_VSCROLL, SB_BOTTOM, 0, lastFirst},
        {WM_VSCROLL, SB_TOP, 40, 0},
        {WM_VSCROLL, SB_ENDSCROLL, 40, 40},
        {WM_HSCROLL, SB_LINERIGHT, 0, 1},
        {WM_HSCROLL, SB_LINELEFT, 5, 4},
        {WM_HSCROLL, SB_BOTTOM, 5, 5},  // ignored across
        {WM_HSCROLL, SB_TOP, 5, 5},
    };
    for (const Case& c : cases) {
        const bool vertical = c.message == WM_VSCROLL;
        SCROLLINFO start{};
        start.cbSize = sizeof start;
        start.fMask = SIF_POS;
        start.nPos = static_cast<int>(c.from);
        ::SetScrollInfo(m_window, vertical ? SB_VERT : SB_HORZ, &start, TRUE);
        Post(c.message, MAKEWPARAM(c.code, 0));
        RunUntilSentinel();
        const unsigned long long now = vertical ? view.GetVScrollPoint() : view.GetHScrollPointInternal();
        EXPECT_EQ(now, c.expected) << (vertical ? "vertical" : "horizontal") << " code " << c.code << " from "
                                   << c.from;
    }
}

TEST_F(TextViewWindow, TheWheelScrollsByTheSystemsLinesPerNotch)
{
    TestView& view = MakeView();
    Fill(0, 100);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, Cell(0, 0));
    Post(WM_LBUTTONUP, 0, Cell(0, 0));
    RunUntilSentinel();
    struct Case {
        short delta;
        unsigned long long from;
        unsigned long long expected;
    } cases[] = {
        {-WHEEL_DELTA, 0, 5},        // toward the newest line, 5 lines a notch
        {-2 * WHEEL_DELTA, 0, 10},
        {WHEEL_DELTA, 15, 10},
        {WHEEL_DELTA, 2, 0},         // stops at the first line
        {-40, 0, 5},                 // less than a notch still scrolls one
        {40, 12, 7},
    };
    for (const Case& c : cases) {
        SCROLLINFO start{};
        start.cbSize = sizeof start;
        start.fMask = SIF_POS;
        start.nPos = static_cast<int>(c.from);
        ::SetScrollInfo(m_window, SB_VERT, &start, TRUE);
        Post(WM_MOUSEWHEEL, MAKEWPARAM(0, c.delta), MAKELPARAM(100, 100));
        RunUntilSentinel();
        EXPECT_EQ(view.GetVScrollPoint(), c.expected) << c.delta << " from " << c.from;
    }
}

TEST_F(TextViewWindow, CtrlEndResumesFollowingTheNewestLine)
{
    TestView& view = MakeView();
    Fill(0, 40);
    ASSERT_EQ(view.GetVScrollPoint(), LastFirstLine());  // following
    Post(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0));
    Post(WM_LBUTTONDOWN, MK_LBUTTON, Cell(0, 0));
    Post(WM_LBUTTONUP, 0, Cell(0, 0));
    RunUntilSentinel();
    Fill(40, 5);
    EXPECT_EQ(view.GetVScrollPoint(), 0u);  // clicked into: no longer follows

    Post(WM_KEYDOWN, VK_END, 1);  // End alone does nothing
    RunUntilSentinel();
    EXPECT_EQ(view.GetVScrollPoint(), 0u);

    g_control = true;
    Post(WM_KEYDOWN, VK_END, 1);
    RunUntilSentinel();
    g_control = false;
    EXPECT_FALSE(view.HasCaret());
    EXPECT_EQ(view.GetVScrollPoint(), LastFirstLine());
    Fill(45, 5);
    EXPECT_EQ(view.GetVScrollPoint(), LastFirstLine());
    EXPECT_EQ(view.GetTotalVert(), 50u);
}

TEST_F(TextViewWindow, AppendingInvalidatesWithoutPaintingEachLine)
{
    TestView& view = MakeView();
    view.UpdateWindow();
    view.drawnTexts.clear();
    Fill(0, 200);
    EXPECT_TRUE(view.drawnTexts.empty());  // nothing drawn until the next paint
    RunUntilSentinel();
    view.UpdateWindow();
    ASSERT_FALSE(view.drawnTexts.empty());
    EXPECT_EQ(view.drawnTexts.back(), L"line 199 of the log");
}
