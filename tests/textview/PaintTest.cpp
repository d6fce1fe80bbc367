// How the view core turns the visible lines into runs of text and outline
// segments, read through a recording text-output hook: no window, no device.
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/textview/TextViewTestLines.h"
#include "textview/ZTextViewBase.h"

namespace {

constexpr double kCellWidth = 8;
constexpr int kCellHeight = 16;
constexpr COLORREF kText = 0x000001;
constexpr COLORREF kBackground = 0x000002;
constexpr COLORREF kHighlightText = 0x000003;
constexpr COLORREF kHighlightBackground = 0x000004;
constexpr COLORREF kAlarm = 0x0000AA;         // the colour hook's colour for attribute 7
constexpr unsigned long long kAlarmAttribute = 7;

// One run as DrawTextW received it.
struct DrawnRun {
    COLORREF text;
    COLORREF background;
    int x;
    int y;
    std::wstring characters;
    friend bool operator==(const DrawnRun&, const DrawnRun&) = default;
};

std::ostream& operator<<(std::ostream& out, const DrawnRun& run)
{
    return out << "{" << run.text << "/" << run.background << " at " << run.x << "," << run.y << " \""
               << std::string(run.characters.begin(), run.characters.end()) << "\"}";
}

// A view of 100 x 20 cells that records what it is asked to draw.
class RecordingPaintView : public ZTextViewBase {
public:
    RecordingPaintView()
    {
        UpdateSize(kCellWidth, kCellHeight);
        OnCreate();
    }

    std::vector<DrawnRun> runs;
    std::vector<std::vector<ZTextViewLineDrawInfo>> outlines;
    std::vector<COLORREF> outlineColors;
    unsigned long long firstLine = 0;
    unsigned long long firstColumn = 0;

    void Paint(RECT clip = {0, 0, 800, 320})
    {
        runs.clear();
        outlines.clear();
        outlineColors.clear();
        OnDraw(nullptr, clip);
    }
    void Select(ZTextViewCharPosition begin, ZTextViewCharPosition end, bool columns)
    {
        ZTextViewHighlight selection(nullptr, begin, end);
        UpdateHighlight(&selection, columns);
    }
    using ZTextViewBase::GetHorizontalPoint;
    using ZTextViewBase::SetLeftOffset;

protected:
    void UpdateVScrollSize(unsigned long long, unsigned long long) override {}
    void UpdateHScrollSize(unsigned long long, unsigned long long) override {}
    unsigned long long GetVScrollPointInternal() const override { return firstLine; }
    unsigned long long GetHScrollPointInternal() const override { return firstColumn; }
    void ScrollToVPoint(unsigned long long) override {}
    void ScrollToHPoint(unsigned long long) override {}
    void DrawTextW(CDC*, const DrawTextInfo& run) override
    {
        runs.push_back({run.textColor, run.backgroundColor, run.x, run.y,
                        std::wstring(run.text, static_cast<size_t>(run.length))});
    }
    void DrawLine(CDC*, COLORREF color, const std::vector<ZTextViewLineDrawInfo>& segments) override
    {
        outlines.push_back(segments);
        outlineColors.push_back(color);
    }
    void GetLineColor(unsigned long long attribute, COLORREF& color) const override
    {
        if (attribute == kAlarmAttribute)
            color = kAlarm;
    }
    void GetTextColor(COLORREF& text, COLORREF& background) const override
    {
        text = kText;
        background = kBackground;
    }
    void GetHighlightColor(COLORREF& text, COLORREF& background) const override
    {
        text = kHighlightText;
        background = kHighlightBackground;
    }
    void GetClientRect(RECT* rect) const override { *rect = {0, 0, 800, 320}; }
    void InvalidateWindow() override {}
    void RepaintWindow() override {}
    void CaptureMouse() override {}
    bool ReleaseMouse() override { return true; }
    void UpdateFontInternal() override {}
};

void Fill(RecordingPaintView& view, const std::vector<ZTextViewBuffer::LineInfo>& lines)
{
    view.AppendLines(lines.data(), lines.size());
}

// Normal and selected runs at a row, columns counted from x = 0.
DrawnRun N(int column, int row, const std::wstring& text)
{
    return {kText, kBackground, column * 8, row * kCellHeight, text};
}
DrawnRun S(int column, int row, const std::wstring& text)
{
    return {kHighlightText, kHighlightBackground, column * 8, row * kCellHeight, text};
}

const std::vector<std::wstring> kTexts = {L"0123456789", L"abcdefghij", L"ABCDEFGHIJKLMNO", L"xy", L"klmnopqrst", L""};

}  // namespace

TEST(TextViewPaint, RunsAreSplitAtTheSelectionEdges)
{
    struct Case {
        const char* name;
        bool select;
        ZTextViewCharPosition begin, end;
        bool columns;
        std::vector<DrawnRun> expected;
    };
    const Case cases[] = {
        {"no selection: one run a line, empty lines skipped", false, {}, {}, false,
         {N(0, 0, L"0123456789"), N(0, 1, L"abcdefghij"), N(0, 2, L"ABCDEFGHIJKLMNO"), N(0, 3, L"xy"),
          N(0, 4, L"klmnopqrst")}},
        {"stream from column 5 of line 2 to column 3 of line 4", true, {5, 2}, {3, 4}, false,
         {N(0, 0, L"0123456789"), N(0, 1, L"abcdefghij"), N(0, 2, L"ABCDE"), S(5, 2, L"FGHIJKLMNO"),
          S(0, 3, L"xy"), S(0, 4, L"klmn"), N(4, 4, L"opqrst")}},
        {"stream within one line", true, {2, 0}, {4, 0}, false,
         {N(0, 0, L"01"), S(2, 0, L"234"), N(5, 0, L"56789"), N(0, 1, L"abcdefghij"), N(0, 2, L"ABCDEFGHIJKLMNO"),
          N(0, 3, L"xy"), N(0, 4, L"klmnopqrst")}},
        {"stream ending past a short line's end is cut to it", true, {8, 0}, {12, 1}, false,
         {N(0, 0, L"01234567"), S(8, 0, L"89"), S(0, 1, L"abcdefghij"), N(0, 2, L"ABCDEFGHIJKLMNO"),
          N(0, 3, L"xy"), N(0, 4, L"klmnopqrst")}},
        {"columns 3 to 6 over lines 1 to 4; the short line is left alone", true, {3, 1}, {6, 4}, true,
         {N(0, 0, L"0123456789"), N(0, 1, L"abc"), S(3, 1, L"defg"), N(7, 1, L"hij"), N(0, 2, L"ABC"),
          S(3, 2, L"DEFG"), N(7, 2, L"HIJKLMNO"), N(0, 3, L"xy"), N(0, 4, L"klm"), S(3, 4, L"nopq"),
          N(7, 4, L"rst")}},
        {"columns reaching past a line's end stop at its last character", true, {8, 0}, {12, 1}, true,
         {N(0, 0, L"01234567"), S(8, 0, L"89"), N(0, 1, L"abcdefgh"), S(8, 1, L"ij"), N(0, 2, L"ABCDEFGHIJKLMNO"),
          N(0, 3, L"xy"), N(0, 4, L"klmnopqrst")}},
    };
    for (const Case& c : cases) {
        RecordingPaintView view;
        Fill(view, TextViewTest::Lines(kTexts));
        if (c.select)
            view.Select(c.begin, c.end, c.columns);
        view.Paint();
        EXPECT_EQ(view.runs, c.expected) << c.name;
        EXPECT_TRUE(view.outlines.empty()) << c.name;
    }
}

TEST(TextViewPaint, TheColourHookColoursALineOutsideItsSelection)
{
    RecordingPaintView view;
    Fill(view, {TextViewTest::Line(L"disk full", kAlarmAttribute), TextViewTest::Line(L"all well")});
    view.Select({5, 0}, {1, 1}, false);
    view.Paint();
    const std::vector<DrawnRun> expected = {{kAlarm, kBackground, 0, 0, L"disk "}, S(5, 0, L"full"), S(0, 1, L"al"),
                                       N(2, 1, L"l well")};
    EXPECT_EQ(view.runs, expected);
}

TEST(TextViewPaint, ScrolledRightAShortLineIsNotDrawn)
{
    RecordingPaintView view;
    Fill(view, TextViewTest::Lines({L"0123456789", L"xy", L"abcde"}));
    view.firstColumn = 5;
    view.Select({3, 0}, {6, 0}, false);
    view.Paint();
    // Columns count from the first visible one at x = 0; "abcde" ends at column 5.
    EXPECT_EQ(view.runs, (std::vector<DrawnRun>{S(0, 0, L"56"), N(2, 0, L"789")}));
}

TEST(TextViewPaint, OnlyLinesAndColumnsInsideTheClipBoxAreDrawn)
{
    RecordingPaintView view;
    Fill(view, TextViewTest::Lines(kTexts));
    view.Select({1, 1}, {5, 1}, false);
    // Rows 1 and 2 cross the box; 3 x 8 pixels across hold 24 / 8 + 1 columns.
    view.Paint({0, 20, 24, 40});
    EXPECT_EQ(view.runs, (std::vector<DrawnRun>{N(0, 1, L"a"), S(1, 1, L"bcd"), N(0, 2, L"ABCD")}));
}

TEST(TextViewPaint, OnlyVisibleLinesAreConsidered)
{
    RecordingPaintView view;
    std::vector<std::wstring> texts;
    for (int i = 0; i < 40; ++i)
        texts.push_back(L"line " + std::to_wstring(i));
    view.SetBufferSize(100);
    Fill(view, TextViewTest::Lines(texts));
    view.firstLine = 25;
    view.Paint();
    ASSERT_EQ(view.runs.size(), 15u);  // lines 25 to 39: the buffer ends before the view does
    EXPECT_EQ(view.runs.front(), N(0, 0, L"line 25"));
    EXPECT_EQ(view.runs.back(), N(0, 14, L"line 39"));
}

TEST(TextViewPaint, OutlineStyleDrawsTextPlainAndTheOutlineInTheHighlightColour)
{
    RecordingPaintView view;
    Fill(view, TextViewTest::Lines(kTexts));
    view.SetSelectionDrawStyle(ZTextViewBase::SelectionDrawOutline);
    view.Select({2, 0}, {5, 0}, false);
    view.Paint();
    EXPECT_EQ(view.runs.front(), N(0, 0, L"0123456789"));
    ASSERT_EQ(view.outlines.size(), 1u);
    EXPECT_EQ(view.outlineColors.front(), kHighlightBackground);
    // The top edge of columns 2 to 5 of row 0.
    EXPECT_EQ(view.outlines.front().front(), (ZTextViewLineDrawInfo{16, 0, 48, 0}));
}

TEST(TextViewPaint, TheOutlineFollowsTheTextWhenScrolledRight)
{
    RecordingPaintView view;
    Fill(view, TextViewTest::Lines(kTexts));
    view.SetSelectionDrawStyle(ZTextViewBase::SelectionDrawOutline);
    view.firstColumn = 2;
    view.Select({3, 0}, {5, 0}, false);
    view.Paint();
    // Column 3 is drawn one cell from the left when column 2 is the first visible one.
    EXPECT_EQ(view.runs.front(), N(0, 0, L"23456789"));
    ASSERT_EQ(view.outlines.size(), 1u);
    EXPECT_EQ(view.outlines.front().front(), (ZTextViewLineDrawInfo{8, 0, 32, 0}));
}

TEST(TextViewPaint, PositionsPastTheIntRangeAreClampedNotWrapped)
{
    RecordingPaintView view;
    Fill(view, TextViewTest::Lines({L"abc"}));
    EXPECT_EQ(view.GetHorizontalPoint(1ULL << 40), INT_MAX);
    EXPECT_EQ(view.GetHorizontalPoint(~0ULL), INT_MAX);
    EXPECT_EQ(view.GetHorizontalPoint(3), 24);

    view.SetLeftOffset(1ULL << 40);  // a gutter far wider than any screen
    view.Paint();
    ASSERT_EQ(view.runs.size(), 1u);
    EXPECT_EQ(view.runs.front().x, INT_MAX);
}
