// Highlights moving with dropped lines and telling their sink, and selection outlines segment by segment.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/textview/RecordingTextView.h"
#include "textview/ZTextViewHighlight.h"
#include "textview/ZTextViewOutlineSelection.h"

using TextViewTest::RecordingView;

namespace {

struct CountingSink : ITextViewHighlightSink {
    int changes = 0;
    void OnHighlightChange() override { ++changes; }
};

}  // namespace

TEST(TextViewHighlight, ScrollFollowsDroppedLines)
{
    struct Case {
        ZTextViewCharPosition begin, end;
        unsigned long long dropped;
        bool result;
        ZTextViewCharPosition newBegin, newEnd;
    } cases[] = {
        {{4, 10}, {7, 12}, 5, true, {4, 5}, {7, 7}},  // moves up
        {{4, 3}, {6, 8}, 5, true, {0, 0}, {6, 3}},    // begins in the dropped lines
        {{4, 2}, {6, 4}, 5, false, {4, 2}, {6, 4}},   // wholly dropped
        {{4, 5}, {6, 5}, 5, true, {4, 0}, {6, 0}},    // on the first kept line
        {{1, 1}, {2, 9}, 0, true, {1, 1}, {2, 9}},    // nothing dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.begin.line << "-" << c.end.line);
        ZTextViewHighlight highlight(nullptr, c.begin, c.end);
        EXPECT_EQ(highlight.Scroll(c.dropped), c.result);
        EXPECT_EQ(highlight.GetBegin(), c.newBegin);
        EXPECT_EQ(highlight.GetEnd(), c.newEnd);
    }
}

TEST(TextViewHighlight, SinkHearsOnlyOfChanges)
{
    CountingSink sink;
    ZTextViewHighlight highlight(&sink);
    EXPECT_EQ(highlight.GetBegin(), (ZTextViewCharPosition{0, 0}));
    highlight.UpdateEnd({0, 0});
    EXPECT_EQ(sink.changes, 0);
    highlight.UpdateEnd({3, 1});
    EXPECT_EQ(sink.changes, 1);
    highlight.UpdateBegin({1, 0});
    EXPECT_EQ(sink.changes, 1);
    highlight.Update({1, 0}, {3, 1}, true);
    EXPECT_EQ(sink.changes, 1);
    highlight.Update({2, 0}, {3, 1}, false);
    EXPECT_EQ(sink.changes, 1);
    highlight.Update({2, 0}, {4, 1}, true);
    EXPECT_EQ(sink.changes, 2);
    EXPECT_EQ(TextViewTest::SelectionOf(&highlight), TextViewTest::Sel(2, 0, 4, 1));
}

TEST(TextViewHighlight, CopiesAndComparisons)
{
    CountingSink sink;
    auto* original = new ZTextViewHighlight(&sink, {1, 2}, {3, 4});
    original->AddRef();
    auto* copy = new ZTextViewHighlight(*original);
    EXPECT_TRUE(copy->Equal(*original));
    EXPECT_EQ(copy->GetSink(), &sink);
    EXPECT_EQ(copy->Release(), 0u);  // the copy's count is its own
    EXPECT_EQ(original->Release(), 1u);
    EXPECT_FALSE(original->Equal(ZTextViewHighlight(nullptr, {1, 2}, {4, 4})));
    original->Release();
}

using Segments = std::vector<ZTextViewLineDrawInfo>;

// How failures print a segment.
void PrintTo(const ZTextViewLineDrawInfo& s, std::ostream* out)
{
    *out << "{" << s.x1 << "," << s.y1 << " " << s.x2 << "," << s.y2 << "}";
}

TEST(TextViewOutlineSelection, BuildsEdgesAndSteps)
{
    const std::vector<std::wstring> tenWide = {L"0123456789", L"abcdefghij", L"ABCDEFGHIJ"};
    struct Case {
        const char* name;
        std::vector<std::wstring> lines;
        ZTextViewCharPosition begin, end;
        bool column;
        int x0;
        unsigned long long first, count;
        Segments expected;
        bool topStep, bottomStep;
    } cases[] = {
        {"one-line stream", tenWide, {2, 0}, {5, 0}, false, 4, 0, 3,
         {{20, 0, 52, 0}, {20, 0, 20, 16}, {20, 15, 52, 15}, {51, 0, 51, 16}}, false, false},
        {"stream over three lines", tenWide, {4, 0}, {5, 2}, false, 0, 0, 3,
         {{32, 0, 80, 0},    // top edge
          {0, 16, 32, 16},   // top step
          {31, 0, 31, 16},   // left of the first line, one pixel left
          {0, 16, 0, 48},    // left of the rest
          {0, 47, 48, 47},   // bottom edge
          {48, 31, 80, 31},  // bottom step
          {79, 0, 79, 32},   // right of all but the last line
          {48, 32, 48, 48}},  // right of the last line, one pixel right
         true, true},
        {"stream beginning above the view", tenWide, {4, 0}, {5, 2}, false, 0, 1, 2,
         {{0, 0, 32, 0}, {0, 0, 0, 32}, {0, 31, 48, 31}, {48, 15, 80, 15}, {79, 0, 79, 16}, {48, 16, 48, 32}},
         true, true},
        {"stream from column 0 to a line end", tenWide, {0, 0}, {9, 1}, false, 0, 0, 3,
         {{0, 0, 80, 0}, {0, 0, 0, 32}, {0, 31, 80, 31}, {79, 0, 79, 32}}, false, false},
        {"column rectangle", tenWide, {2, 0}, {5, 2}, true, 0, 0, 3,
         {{16, 0, 48, 0}, {16, 0, 16, 48}, {16, 47, 48, 47}, {47, 0, 47, 48}}, false, false},
        {"column rectangle over a short last line", {L"0123456789", L"0123456789", L"012"}, {1, 0}, {5, 2}, true,
         0, 0, 3,
         {{8, 0, 48, 0}, {8, 0, 8, 48}, {8, 47, 24, 47}, {24, 31, 48, 31}, {47, 0, 47, 32}, {24, 32, 24, 48}},
         false, true},
        {"wholly above the view", tenWide, {0, 0}, {3, 1}, false, 0, 2, 1, {}, false, false},
        {"wholly below the view", tenWide, {0, 1}, {3, 2}, false, 0, 0, 1, {}, false, false},
    };
    for (const Case& c : cases) {
        RecordingView view(c.lines);  // cells of 8 x 16
        view.Select(c.begin, c.end, c.column);
        const ZTextViewOutlineSelection outline(&view, c.x0, c.first, c.count);
        EXPECT_EQ(outline.GetSegments(), c.expected) << c.name;
        EXPECT_EQ(outline.HasTopStep(), c.topStep) << c.name;
        EXPECT_EQ(outline.HasBottomStep(), c.bottomStep) << c.name;
    }
}

TEST(TextViewOutlineSelection, NoSelectionNoOutline)
{
    RecordingView view({L"abc"});
    EXPECT_TRUE(ZTextViewOutlineSelection(&view, 0, 0, 5).GetSegments().empty());
    EXPECT_TRUE(ZTextViewOutlineSelection(nullptr, 0, 0, 5).GetSegments().empty());
}
