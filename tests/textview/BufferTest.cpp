// The line ring: appends and what they push out, the longest line, resizing a
// wrapped ring, and copies as stream, line and rectangle.
#include <windows.h>

#include <algorithm>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/textview/TextViewTestLines.h"
#include "textview/ZTextViewBuffer.h"

using TextViewTest::Append;
using TextViewTest::Lines;
using TextViewTest::TakeBlockText;
using TextViewTest::Texts;
using Texts_t = std::vector<std::wstring>;
constexpr unsigned long long npos = ZTextViewBuffer::npos;

TEST(TextViewBuffer, AppendsPushOutTheOldestLines)
{
    struct Case {
        unsigned long long size;
        Texts_t before;
        Texts_t appended;
        unsigned long long removed;
        Texts_t after;
        bool changed;
    } cases[] = {
        {3, {L"A", L"B", L"C"}, {L"D", L"E"}, 2, {L"C", L"D", L"E"}, false},
        {3, {L"A", L"B"}, {L"1", L"2", L"3", L"4", L"5"}, 2, {L"3", L"4", L"5"}, true},
        {3, {L"A"}, {L"B"}, 0, {L"A", L"B"}, true},
        {3, {L"A"}, {}, 0, {L"A"}, false},
        {2, {L"aa", L"bb"}, {L"cc"}, 1, {L"bb", L"cc"}, false},  // as many out as in, same maximum
        {2, {L"aa", L"bb"}, {L"ccc"}, 1, {L"bb", L"ccc"}, true},
        {1, {L"x"}, {L"y", L"z"}, 1, {L"z"}, false},
    };
    for (const Case& c : cases) {
        ZTextViewBuffer buffer(c.size);
        Append(buffer, c.before);
        const auto lines = Lines(c.appended);
        unsigned long long removed = 99;
        const bool changed = buffer.AppendLines(lines.data(), lines.size(), removed);
        EXPECT_EQ(removed, c.removed) << c.size << " " << c.appended.size();
        EXPECT_EQ(Texts(buffer), c.after);
        EXPECT_EQ(changed, c.changed) << c.size << " " << c.appended.size();
    }
}

TEST(TextViewBuffer, AttributesTravelWithTheirLines)
{
    ZTextViewBuffer buffer(2);
    const ZTextViewBuffer::LineInfo lines[] = {TextViewTest::Line(L"a", 7), TextViewTest::Line(L"b", 8),
                                               TextViewTest::Line(L"c", 9)};
    unsigned long long removed = 0;
    buffer.AppendLines(lines, 3, removed);
    EXPECT_EQ(buffer.GetLineInfo(0).attribute, 8u);
    EXPECT_EQ(buffer.GetLineInfo(1).attribute, 9u);
    buffer.ClearLastLine();
    buffer.AppendLines(lines, 1, removed);
    EXPECT_EQ(buffer.GetLineInfo(1).attribute, 7u);
}

TEST(TextViewBuffer, MaximumLengthFollowsTheLongestLine)
{
    struct Step {
        enum { AppendOne, ClearLast, ClearAll } action;
        const wchar_t* text;
        unsigned long long maxAfter;
    };
    struct Case {
        const char* name;
        unsigned long long size;
        std::vector<Step> steps;
    } cases[] = {
        {"longest pushed out", 3,
         {{Step::AppendOne, L"xxxxx", 5}, {Step::AppendOne, L"b", 5}, {Step::AppendOne, L"cc", 5},
          {Step::AppendOne, L"d", 2}}},
        {"newest of equals is the longest", 3,
         {{Step::AppendOne, L"aa", 2}, {Step::AppendOne, L"bb", 2}, {Step::AppendOne, L"c", 2},
          {Step::AppendOne, L"d", 2}, {Step::AppendOne, L"e", 1}}},
        {"only empty lines remain", 3,
         {{Step::AppendOne, L"xxx", 3}, {Step::AppendOne, L"", 3}, {Step::AppendOne, L"", 3},
          {Step::AppendOne, L"", 0}, {Step::AppendOne, L"z", 1}}},
        {"clearing the longest last line keeps the maximum", 3,
         {{Step::AppendOne, L"a", 1}, {Step::AppendOne, L"bbbb", 4}, {Step::ClearLast, nullptr, 4}}},
        {"clear empties the maximum", 3,
         {{Step::AppendOne, L"abc", 3}, {Step::ClearAll, nullptr, 0}, {Step::AppendOne, L"", 0}}},
    };
    for (const Case& c : cases) {
        ZTextViewBuffer buffer(c.size);
        int index = 0;
        for (const Step& step : c.steps) {
            if (step.action == Step::AppendOne)
                Append(buffer, {step.text});
            else if (step.action == Step::ClearLast)
                buffer.ClearLastLine();
            else
                buffer.Clear();
            EXPECT_EQ(buffer.GetMaxLineLength(), step.maxAfter) << c.name << " step " << index;
            ++index;
        }
    }
}

TEST(TextViewBuffer, EmptyBufferOperationsAreHarmless)
{
    ZTextViewBuffer buffer(0);  // taken as one slot
    EXPECT_EQ(buffer.GetBufferSize(), 1u);
    buffer.ClearLastLine();
    EXPECT_EQ(buffer.GetLineCount(), 0u);
    void* handle = reinterpret_cast<void*>(1);
    unsigned long long count = 5;
    EXPECT_FALSE(buffer.CopyTextToBuffer(handle, count));
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(buffer.SetBufferSize(0));
    EXPECT_EQ(buffer.GetBufferSize(), 1u);
}

TEST(TextViewBuffer, ResizingKeepsTheNewestLinesInOrder)
{
    // Each case first appends `appended` numbered lines to a ring of `size`,
    // which wraps the ring whenever more lines went in than it holds.
    struct Case {
        unsigned long long size;
        int appended;
        unsigned long long newSize;
        bool removed;
        int firstKept;  // number of the oldest line left
    } cases[] = {
        {5, 3, 8, false, 0},   // first slot 0, growing
        {5, 3, 2, true, 1},    // first slot 0, shrinking below the count
        {5, 7, 8, false, 2},   // wrapped, growing
        {5, 7, 3, true, 4},    // wrapped, shrinking below the count
        {5, 7, 5, false, 2},   // same size
        {5, 6, 9, false, 1},   // wrapped by one
        {6, 8, 7, false, 2},   // wrapped, growing by one
        {4, 2, 3, false, 0},   // not full, shrinking but no line lost
        {8, 10, 6, true, 4},   // wrapped, shrinking, lines that ran past the end remain
    };
    for (const Case& c : cases) {
        ZTextViewBuffer buffer(c.size);
        for (int i = 0; i < c.appended; ++i)
            Append(buffer, {std::wstring(i + 1, L'a' + i)});
        EXPECT_EQ(buffer.SetBufferSize(c.newSize), c.removed) << c.size << "->" << c.newSize;
        EXPECT_EQ(buffer.GetBufferSize(), c.newSize);
        Texts_t expected;
        for (int i = c.firstKept; i < c.appended; ++i)
            expected.push_back(std::wstring(i + 1, L'a' + i));
        EXPECT_EQ(Texts(buffer), expected) << c.size << "->" << c.newSize;
        EXPECT_EQ(buffer.GetMaxLineLength(), static_cast<unsigned long long>(c.appended));

        // The ring keeps working at its new size.
        Append(buffer, {L"new"});
        expected.push_back(L"new");
        if (expected.size() > c.newSize)
            expected.erase(expected.begin(), expected.end() - c.newSize);
        EXPECT_EQ(Texts(buffer), expected) << c.size << "->" << c.newSize << " then append";
    }
}

TEST(TextViewBuffer, FullRingReusesItsSlots)
{
    ZTextViewBuffer buffer(4);
    Append(buffer, {L"0123456789", L"0123456789", L"0123456789", L"0123456789"});
    std::set<const wchar_t*> storage;
    for (unsigned long long i = 0; i < 4; ++i)
        storage.insert(buffer.GetLineInfo(i).text.data());
    for (int i = 0; i < 9; ++i) {
        Append(buffer, {std::wstring(i, L'x')});
        EXPECT_TRUE(storage.count(buffer.GetLineInfo(3).text.data())) << "append " << i << " allocated";
    }
}

namespace {

// A plain model of the ring: a deque holding at most `size` lines.
struct ReferenceRing {
    size_t size;
    std::deque<std::wstring> lines;

    unsigned long long Append(const Texts_t& texts)
    {
        unsigned long long removed = 0;
        for (const std::wstring& text : texts) {
            lines.push_back(text);
            if (lines.size() > size) {
                lines.pop_front();
                ++removed;
            }
        }
        // Lines pushed out by later lines of the same append were never held.
        const unsigned long long neverHeld = texts.size() > size ? texts.size() - size : 0;
        return removed - std::min(removed, neverHeld);
    }
    unsigned long long MaxLength() const
    {
        size_t longest = 0;
        for (const std::wstring& line : lines)
            longest = std::max(longest, line.size());
        return longest;
    }
};

void RunRandomRing(unsigned seed, bool withClearLastLine)
{
    std::mt19937 random(seed);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const unsigned long long initialSize = pick(1, 8);
    ZTextViewBuffer buffer(initialSize);
    ReferenceRing reference{initialSize, {}};
    int serial = 0;
    for (int step = 0; step < 400; ++step) {
        const int action = pick(0, 19);
        const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
        if (action < 12) {
            Texts_t texts;
            const int n = pick(0, static_cast<int>(2 * reference.size + 1));
            for (int i = 0; i < n; ++i)
                texts.push_back(std::to_wstring(serial++) + std::wstring(pick(0, 12), L'.'));
            const unsigned long long countBefore = reference.lines.size();
            const unsigned long long maxBefore = reference.MaxLength();
            const auto lines = Lines(texts);
            unsigned long long removed = 0;
            const bool changed = buffer.AppendLines(lines.data(), lines.size(), removed);
            const unsigned long long expectedRemoved = reference.Append(texts);
            ASSERT_EQ(removed, n >= static_cast<int>(reference.size) ? countBefore : expectedRemoved) << where;
            if (!withClearLastLine) {
                ASSERT_EQ(changed, reference.lines.size() != countBefore || reference.MaxLength() != maxBefore)
                    << where;
            }
        } else if (action < 14) {
            buffer.Clear();
            reference.lines.clear();
        } else if (action < 16) {
            if (withClearLastLine) {
                buffer.ClearLastLine();
                if (!reference.lines.empty())
                    reference.lines.pop_back();
            }
        } else {
            const unsigned long long size = pick(1, 10);
            const bool expectRemoved = size < reference.lines.size() && size != reference.size;
            ASSERT_EQ(buffer.SetBufferSize(size), expectRemoved) << where;
            reference.size = size;
            while (reference.lines.size() > size)
                reference.lines.pop_front();
        }
        ASSERT_EQ(buffer.GetBufferSize(), reference.size) << where;
        ASSERT_EQ(Texts(buffer), Texts_t(reference.lines.begin(), reference.lines.end())) << where;
        // The scroll range may stay wide after ClearLastLine, never too narrow.
        if (withClearLastLine)
            ASSERT_GE(buffer.GetMaxLineLength(), reference.MaxLength()) << where;
        else
            ASSERT_EQ(buffer.GetMaxLineLength(), reference.MaxLength()) << where;
    }
}

}  // namespace

TEST(TextViewBuffer, RandomSequencesMatchAPlainRing)
{
    for (unsigned seed = 1; seed <= 40; ++seed)
        RunRandomRing(seed, false);
}

TEST(TextViewBuffer, RandomSequencesWithClearLastLineMatchAPlainRing)
{
    for (unsigned seed = 101; seed <= 140; ++seed)
        RunRandomRing(seed, true);
}

TEST(TextViewBuffer, CopiesStreamsAndLines)
{
    ZTextViewBuffer buffer(10);
    Append(buffer, {L"Hello", L"", L"World!", L"abc"});
    struct Case {
        unsigned long long startLine, startColumn, endLine, endColumn;
        const wchar_t* expected;
    } cases[] = {
        {npos, npos, npos, npos, L"Hello\r\n\r\nWorld!\r\nabc\r\n"},
        {0, 0, 0, 3, L"Hel"},
        {0, 1, 0, npos, L"ello"},
        {0, 2, 0, 99, L"llo"},
        {3, 10, 3, 2, L"ab"},  // a start past the line's end counts from column 0
        {0, 3, 0, 1, L""},     // an end before the start on one line copies nothing
        {2, 6, 3, 2, L"ab\r\n"},  // starting at the end of a line begins with the next
        {0, 2, 2, 3, L"llo\r\n\r\nWor\r\n"},
        {2, 0, 99, npos, L"World!\r\nabc\r\n"},
        {1, 0, 2, 0, L"\r\n"},  // an empty first line adds no line break of its own
    };
    for (const Case& c : cases) {
        void* handle = nullptr;
        unsigned long long count = 0;
        ASSERT_TRUE(buffer.CopyTextToBuffer(handle, count, c.startLine, c.startColumn, c.endLine, c.endColumn, false));
        EXPECT_EQ(TakeBlockText(handle, count), c.expected) << c.startLine << "," << c.startColumn << " " << c.endLine
                                                            << "," << c.endColumn;
    }

    void* handle = nullptr;
    unsigned long long count = 0;
    ASSERT_TRUE(buffer.CopyTextToBuffer(handle, count, 0, 0, 0, 3, false));
    EXPECT_EQ(count, 4u);
    TakeBlockText(handle, count);
    EXPECT_FALSE(buffer.CopyTextToBuffer(handle, count, 3, 0, 1, 0, false));  // start after end
    EXPECT_FALSE(buffer.CopyTextToBuffer(handle, count, 7, 0, npos, npos, false));
    EXPECT_EQ(handle, nullptr);
}

TEST(TextViewBuffer, CopiesRectanglesClippedToEachRow)
{
    ZTextViewBuffer buffer(10);
    struct Case {
        Texts_t lines;
        unsigned long long startLine, startColumn, endLine, endColumn;
        const wchar_t* expected;
    } cases[] = {
        {{L"abcdef", L"ab", L"abcdefgh"}, 0, 1, 2, 4, L"bcd\r\nb\r\nbcd\r\n"},
        // A short first line: the rectangle stays at its columns and nothing is written past the block.
        {{L"ab", L"abcdefgh", L"abcdefgh"}, 0, 3, 2, 6, L"\r\ndef\r\ndef\r\n"},
        {{L"ab", L"abcdefgh", L"abc"}, 0, 3, 2, 6, L"\r\ndef\r\n\r\n"},
        {{L"abcdef", L"abcdefgh"}, 0, 4, 1, 2, L"cd\r\ncd\r\n"},  // columns given right to left
        {{L"abcdef", L"abcdefgh"}, 0, 2, 1, npos, L"cdef\r\ncdefgh\r\n"},
        {{L"abcdef", L"abcdefgh"}, 1, 1, 1, 3, L"bc"},  // one row has no line break
    };
    for (const Case& c : cases) {
        buffer.Clear();
        Append(buffer, c.lines);
        void* handle = nullptr;
        unsigned long long count = 0;
        ASSERT_TRUE(buffer.CopyTextToBuffer(handle, count, c.startLine, c.startColumn, c.endLine, c.endColumn, true));
        EXPECT_EQ(TakeBlockText(handle, count), c.expected) << c.lines[0];
    }
}

TEST(TextViewBuffer, RectangleOverAWrappedRingCopiesTheRightLines)
{
    ZTextViewBuffer buffer(3);
    Append(buffer, {L"one-1", L"two-2", L"three", L"four-4", L"five-5"});  // slots wrap: three, four, five
    void* handle = nullptr;
    unsigned long long count = 0;
    ASSERT_TRUE(buffer.CopyTextToBuffer(handle, count, 0, 1, 2, 4, true));
    EXPECT_EQ(TakeBlockText(handle, count), L"hre\r\nour\r\nive\r\n");
    ASSERT_TRUE(buffer.CopyTextToBuffer(handle, count));
    EXPECT_EQ(TakeBlockText(handle, count), L"three\r\nfour-4\r\nfive-5\r\n");
}
