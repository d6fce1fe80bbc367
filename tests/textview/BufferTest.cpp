// The line ring: appends and what they push out, the longest line, resizing, and copies of every shape.
#include <windows.h>

#include <algorithm>
#include <cwchar>
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
using Texts_t = std::vector<std::wstring>;
constexpr unsigned long long npos = ZTextViewBuffer::npos;

namespace {

Texts_t Texts(const ZTextViewBuffer& buffer)
{
    Texts_t texts;
    for (unsigned long long i = 0; i < buffer.GetLineCount(); ++i) {
        const std::vector<wchar_t>& text = buffer.GetLineInfo(i).text;
        texts.emplace_back(text.begin(), text.end());
    }
    return texts;
}

// The text of a block made by CopyTextToBuffer, checked to fill count - 1 characters of it; frees the block.
std::wstring TakeBlockText(void* handle, unsigned long long count)
{
    HGLOBAL block = static_cast<HGLOBAL>(handle);
    EXPECT_GE(::GlobalSize(block), count * sizeof(wchar_t));
    const auto* text = static_cast<const wchar_t*>(::GlobalLock(block));
    std::wstring result;
    if (text) {
        result.assign(text, wcsnlen(text, ::GlobalSize(block) / sizeof(wchar_t)));
        ::GlobalUnlock(block);
    }
    EXPECT_EQ(result.size() + 1, count);
    ::GlobalFree(block);
    return result;
}

}  // namespace

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

TEST(TextViewBuffer, EmptyBufferOperationsAreHarmless)
{
    ZTextViewBuffer buffer(0);  // taken as one slot
    EXPECT_EQ(buffer.GetBufferSize(), 1u);
    void* handle = reinterpret_cast<void*>(1);
    unsigned long long count = 5;
    EXPECT_FALSE(buffer.CopyTextToBuffer(handle, count));
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(buffer.SetBufferSize(0));
    EXPECT_EQ(buffer.GetBufferSize(), 1u);
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

    // How many of the lines held before the append are gone after it.
    unsigned long long Append(const Texts_t& texts)
    {
        const size_t before = lines.size();
        for (const std::wstring& text : texts) {
            lines.push_back(text);
            if (lines.size() > size)
                lines.pop_front();
        }
        return before - (lines.size() - std::min(lines.size(), texts.size()));
    }
    unsigned long long MaxLength() const
    {
        return lines.empty() ? 0 : std::ranges::max(lines, {}, &std::wstring::size).size();
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
        SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
        const int action = pick(0, 19);
        if (action < 12) {
            Texts_t texts;
            const int n = pick(0, static_cast<int>(2 * reference.size + 1));
            for (int i = 0; i < n; ++i)
                texts.push_back(pick(0, 4) ? std::to_wstring(serial++) + std::wstring(pick(0, 12), L'.') : L"");
            const size_t countBefore = reference.lines.size();
            const unsigned long long maxBefore = reference.MaxLength();
            const auto lines = Lines(texts);
            unsigned long long removed = 0;
            const bool changed = buffer.AppendLines(lines.data(), lines.size(), removed);
            ASSERT_EQ(removed, reference.Append(texts));
            // After ClearLastLine the kept maximum may be stale, and with it "changed".
            if (!withClearLastLine) {
                ASSERT_EQ(changed, reference.lines.size() != countBefore || reference.MaxLength() != maxBefore);
            }
        } else if (action < 14) {
            buffer.Clear();
            reference.lines.clear();
        } else if (action < 16 && withClearLastLine) {
            buffer.ClearLastLine();
            if (!reference.lines.empty())
                reference.lines.pop_back();
        } else if (action >= 16) {
            const unsigned long long size = pick(1, 10);
            const bool expectRemoved = size < reference.lines.size() && size != reference.size;
            ASSERT_EQ(buffer.SetBufferSize(size), expectRemoved);
            reference.size = size;
            while (reference.lines.size() > size)
                reference.lines.pop_front();
        }
        ASSERT_EQ(buffer.GetBufferSize(), reference.size);
        ASSERT_EQ(Texts(buffer), Texts_t(reference.lines.begin(), reference.lines.end()));
        // The scroll range may stay wide after ClearLastLine, never too narrow.
        if (withClearLastLine)
            ASSERT_GE(buffer.GetMaxLineLength(), reference.MaxLength());
        else
            ASSERT_EQ(buffer.GetMaxLineLength(), reference.MaxLength());
    }
}

}  // namespace

// Appends (what they push out, whether they change the ring), resizes and the longest line against a model.
TEST(TextViewBuffer, RandomSequencesMatchAPlainRing)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        RunRandomRing(seed, false);
        RunRandomRing(seed + 100, true);
    }
}

TEST(TextViewBuffer, CopiesStreamsAndLines)
{
    ZTextViewBuffer buffer(10);
    Append(buffer, {L"Hello", L"", L"World!", L"abc"});
    struct Case {
        unsigned long long startLine, startColumn, endLine, endColumn;
        const wchar_t* expected;  // nullptr: refused
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
        {3, 0, 1, 0, nullptr},  // start after end
        {7, 0, npos, npos, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startLine << "," << c.startColumn << " " << c.endLine << ","
                                        << c.endColumn);
        void* handle = reinterpret_cast<void*>(1);
        unsigned long long count = 0;
        ASSERT_EQ(buffer.CopyTextToBuffer(handle, count, c.startLine, c.startColumn, c.endLine, c.endColumn, false),
                  c.expected != nullptr);
        if (c.expected)
            EXPECT_EQ(TakeBlockText(handle, count), c.expected);
        else
            EXPECT_EQ(handle, nullptr);
    }
}

TEST(TextViewBuffer, CopiesRectanglesClippedToEachRow)
{
    struct Case {
        Texts_t lines;
        unsigned long long startLine, startColumn, endLine, endColumn;
        const wchar_t* expected;
        unsigned long long size = 10;
    } cases[] = {
        {{L"abcdef", L"ab", L"abcdefgh"}, 0, 1, 2, 4, L"bcd\r\nb\r\nbcd\r\n"},
        // A short first line: the rectangle stays at its columns and nothing is written past the block.
        {{L"ab", L"abcdefgh", L"abcdefgh"}, 0, 3, 2, 6, L"\r\ndef\r\ndef\r\n"},
        {{L"ab", L"abcdefgh", L"abc"}, 0, 3, 2, 6, L"\r\ndef\r\n\r\n"},
        {{L"abcdef", L"abcdefgh"}, 0, 4, 1, 2, L"cd\r\ncd\r\n"},  // columns given right to left
        {{L"abcdef", L"abcdefgh"}, 0, 2, 1, npos, L"cdef\r\ncdefgh\r\n"},
        {{L"abcdef", L"abcdefgh"}, 1, 1, 1, 3, L"bc"},  // one row has no line break
        // A ring of 3 whose slots wrap: three, four-4, five-5.
        {{L"one-1", L"two-2", L"three", L"four-4", L"five-5"}, 0, 1, 2, 4, L"hre\r\nour\r\nive\r\n", 3},
    };
    for (const Case& c : cases) {
        ZTextViewBuffer buffer(c.size);
        Append(buffer, c.lines);
        void* handle = nullptr;
        unsigned long long count = 0;
        ASSERT_TRUE(buffer.CopyTextToBuffer(handle, count, c.startLine, c.startColumn, c.endLine, c.endColumn, true));
        EXPECT_EQ(TakeBlockText(handle, count), c.expected) << c.lines[0];
    }
}
