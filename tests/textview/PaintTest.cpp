// How the view core turns the visible lines into runs of text and outline segments: no window, no device.
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/textview/RecordingTextView.h"

using namespace TextViewTest;
using Runs = std::vector<DrawnRun>;

namespace {

// Normal and selected runs at a row, columns counted from x = 0.
DrawnRun N(int column, int row, const std::wstring& text)
{
    return {kText, kBackground, column * 8, row * 16, text};
}
DrawnRun S(int column, int row, const std::wstring& text)
{
    return {kHighlightText, kHighlightBackground, column * 8, row * 16, text};
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
        Runs expected;
        unsigned long long firstColumn = 0;
        RECT clip = {0, 0, 800, 320};
        std::vector<std::wstring> texts = kTexts;
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
        // Columns count from the first visible one at x = 0; "abcde" ends at column 5.
        {"scrolled right, a short line is not drawn", true, {3, 0}, {6, 0}, false, {S(0, 0, L"56"), N(2, 0, L"789")},
         5, {0, 0, 800, 320}, {L"0123456789", L"xy", L"abcde"}},
        // Rows 1 and 2 cross the box; 3 x 8 pixels across hold 24 / 8 + 1 columns.
        {"only lines and columns inside the clip box", true, {1, 1}, {5, 1}, false,
         {N(0, 1, L"a"), S(1, 1, L"bcd"), N(0, 2, L"ABCD")}, 0, {0, 20, 24, 40}},
    };
    for (const Case& c : cases) {
        RecordingView view(c.texts);
        view.firstColumn = c.firstColumn;
        if (c.select)
            view.Select(c.begin, c.end, c.columns);
        view.Paint(c.clip);
        EXPECT_EQ(view.runs, c.expected) << c.name;
        EXPECT_TRUE(view.outlines.empty()) << c.name;
    }
}

TEST(TextViewPaint, TheColourHookColoursALineOutsideItsSelection)
{
    RecordingView view;
    const auto lines = std::vector{Line(L"disk full", kAlarmAttribute), Line(L"all well")};
    view.AppendLines(lines.data(), lines.size());
    view.Select({5, 0}, {1, 1}, false);
    view.Paint();
    EXPECT_EQ(view.runs, (Runs{{kAlarm, kBackground, 0, 0, L"disk "}, S(5, 0, L"full"), S(0, 1, L"al"),
                               N(2, 1, L"l well")}));
}

TEST(TextViewPaint, OnlyVisibleLinesAreConsidered)
{
    RecordingView view;
    view.SetBufferSize(100);
    view.Fill(Numbered(0, 40));
    view.firstLine = 25;
    view.Paint();
    ASSERT_EQ(view.runs.size(), 15u);  // lines 25 to 39: the buffer ends before the view does
    EXPECT_EQ(view.runs.front(), N(0, 0, L"line 25 of the log"));
    EXPECT_EQ(view.runs.back(), N(0, 14, L"line 39 of the log"));
}

TEST(TextViewPaint, OutlineStyleDrawsTextPlainAndTheOutlineInTheHighlightColour)
{
    struct Case {
        unsigned long long firstColumn, begin, end;
        const wchar_t* firstRun;
        ZTextViewLineDrawInfo topEdge;
    } cases[] = {
        {0, 2, 5, L"0123456789", {16, 0, 48, 0}},
        // Column 3 is drawn one cell from the left when column 2 is the first visible one.
        {2, 3, 5, L"23456789", {8, 0, 32, 0}},
    };
    for (const Case& c : cases) {
        RecordingView view(kTexts);
        view.SetSelectionDrawStyle(ZTextViewBase::SelectionDrawHighlight);
        EXPECT_EQ(view.repaints, 0);  // no change, no repaint
        view.SetSelectionDrawStyle(ZTextViewBase::SelectionDrawOutline);
        EXPECT_EQ(view.repaints, 1);
        view.firstColumn = c.firstColumn;
        view.Select({c.begin, 0}, {c.end, 0}, false);
        view.Paint();
        EXPECT_EQ(view.runs.front(), N(0, 0, c.firstRun));
        ASSERT_EQ(view.outlines.size(), 1u);
        EXPECT_EQ(view.outlineColors.front(), kHighlightBackground);
        EXPECT_EQ(view.outlines.front().front(), c.topEdge) << c.firstColumn;
    }
}

TEST(TextViewPaint, PositionsPastTheIntRangeAreClampedNotWrapped)
{
    RecordingView view({L"abc"});
    EXPECT_EQ(view.GetHorizontalPoint(1ULL << 40), INT_MAX);
    EXPECT_EQ(view.GetHorizontalPoint(~0ULL), INT_MAX);
    EXPECT_EQ(view.GetHorizontalPoint(3), 24);

    view.SetLeftOffset(1ULL << 40);  // a gutter far wider than any screen
    view.Paint();
    ASSERT_EQ(view.runs.size(), 1u);
    EXPECT_EQ(view.runs.front().x, INT_MAX);
}
