// UTF-8 decoding and encoding: tables, the platform's converter, and sequences against guard pages.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/ZExceptions.h"
#include "foundation/ZUTF8.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/TextEncodings.h"

namespace {

using Bytes = std::vector<unsigned char>;
using TestSupport::GuardedBuffer;
using testing::PrintToString;

void AppendUtf16(std::wstring& text, uint32_t codePoint)
{
    if (codePoint < 0x10000) {
        text += static_cast<wchar_t>(codePoint);
    } else {
        text += static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
        text += static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    }
}

// What decoding gives: the units before the end, an incomplete tail or an illegal sequence, and their bytes.
struct Decoded {
    bool illegal = false;
    size_t used = 0;
    std::wstring text;
    bool operator==(const Decoded&) const = default;
};

void PrintTo(const Decoded& d, std::ostream* os)
{
    *os << (d.illegal ? "illegal" : "ok") << ", used " << d.used << ", " << PrintToString(d.text);
}

// Every buffer form over one input behind a guard page, which must agree: measuring, decoding into an
// output of exactly the size measured (the input's size when illegal) behind a guard, and the whole text.
Decoded DecodeBuffer(const Bytes& bytes, GuardedBuffer::Guard guard = GuardedBuffer::Guard::End)
{
    GuardedBuffer input(bytes, guard);
    Decoded measured{false, 12345, L""};
    size_t units = 0;
    try {
        units = ZDecodeUTF8(input.Data(), input.Size(), measured.used, nullptr, 0);
    } catch (const IllegalSequence&) {
        measured.illegal = true;
    }
    const size_t capacity = measured.illegal ? input.Size() : units;
    GuardedBuffer output(capacity * sizeof(wchar_t));
    Decoded decoded{false, 12345, L""};
    try {
        units = ZDecodeUTF8(input.Data(), input.Size(), decoded.used, output.DataAs<wchar_t>(), capacity);
    } catch (const IllegalSequence&) {
        decoded.illegal = true;
        size_t prefixUsed = 0;  // the units written before the failure: those of the bytes taken
        units = ZDecodeUTF8(input.Data(), decoded.used, prefixUsed, nullptr, 0);
    }
    decoded.text.assign(output.DataAs<wchar_t>(), units);
    EXPECT_EQ(measured.illegal, decoded.illegal);
    EXPECT_EQ(measured.used, decoded.used);
    // A text given as whole cannot end inside a sequence.
    if (!decoded.illegal && decoded.used == input.Size())
        EXPECT_EQ(ZDecodeUTF8(input.DataAs<char>(), input.Size()), decoded.text);
    else
        EXPECT_THROW(ZDecodeUTF8(input.DataAs<char>(), input.Size()), IllegalSequence);
    return decoded;
}

// Sequence by sequence with the single-sequence form: the reference for the buffer forms.
Decoded DecodeStepwise(const unsigned char* in, size_t length)
{
    Decoded result;
    try {
        while (result.used < length) {
            uint32_t codePoint = 0;
            const size_t used = ZDecodeUTF8(in + result.used, length - result.used, codePoint);
            if (used == 0)
                break;
            AppendUtf16(result.text, codePoint);
            result.used += used;
        }
    } catch (const IllegalSequence&) {
        result.illegal = true;
    }
    return result;
}

// --- Decoding

// out: the units decoded (before the failure when illegal); used: the bytes they took.
struct DecodeCase { const char* name; std::string in; bool illegal; std::wstring out; size_t used; };

const DecodeCase kDecodeCases[] = {
    {"empty", "", false, L"", 0},
    {"ASCII", "abc", false, L"abc", 3},
    {"NUL inside", std::string("a\0b", 3), false, std::wstring(L"a\0b", 3), 3},
    {"stray continuation bytes", "a\x80" "b\xBF", false, L"a\u0080b\u00BF", 4},
    {"two bytes", "caf\xC3\xA9", false, L"caf\u00E9", 5},
    {"two bytes, highest", "\xDF\xBF", false, L"\u07FF", 2},
    {"three bytes", "\xE2\x82\xAC", false, L"\u20AC", 3},
    {"three bytes, highest", "\xEF\xBF\xBF", false, L"\xFFFF", 3},
    {"pair", "\xF0\x9F\x98\x80", false, L"\xD83D\xDE00", 4},
    {"U+10FFFF", "x\xF4\x8F\xBF\xBF", false, L"x\xDBFF\xDFFF", 5},
    {"overlong NUL", "\xC0\x80", false, std::wstring(1, L'\0'), 2},
    {"overlong three bytes", "\xE0\x80\x80", false, std::wstring(1, L'\0'), 3},
    {"overlong four bytes", "\xF0\x80\x80\x80", false, std::wstring(1, L'\0'), 4},
    {"encoded surrogates pass through", "\xED\xA0\xBD\xED\xB8\x80", false, L"\xD83D\xDE00", 6},
    // Only the bytes given are read: the guard page follows the last one.
    {"incomplete two-byte tail", "x\xC3", false, L"x", 1},
    {"lone three-byte lead", "\xE2", false, L"", 0},
    {"incomplete three-byte tail", "ab\xE2\x82", false, L"ab", 2},
    {"only an incomplete four-byte", "\xF0\x9F\x98", false, L"", 0},
    {"four up to U+10FFFF missing two", "\xF4\x8F", false, L"", 0},
    {"lead F8", "\xF8\x88\x80\x80\x80", true, L"", 0},
    {"illegal follower", "a\xC3\x41zz", true, L"a", 1},
    {"third byte ASCII", "\xE2\x82\x41", true, L"", 0},
    {"fourth byte a lead", "\xF0\x9F\x98\xC0", true, L"", 0},
    {"above U+10FFFF", "ok\xF4\x90\x80\x80", true, L"ok", 2},
    // Prefixes that no further byte can make valid are reported at once.
    {"incomplete with a bad follower", "\xE2\x41", true, L"", 0},
    {"lone F5, always above U+10FFFF", "\xF5", true, L"", 0},
    {"F4 90 prefix, above U+10FFFF", "\xF4\x90", true, L"", 0},
    {"lone F8 after an ASCII block", "0123456789abcdef0123456789abcdef\xF8", true,
     L"0123456789abcdef0123456789abcdef", 32},
};

// Every buffer form and, sequence by sequence, the single-sequence form.
TEST(UTF8Decode, Table)
{
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(std::string(c.name) + ": " + PrintToString(c.in));
        const Decoded expected{c.illegal, c.used, c.out};
        EXPECT_EQ(DecodeBuffer(Bytes(c.in.begin(), c.in.end())), expected);
        GuardedBuffer input(c.in);
        EXPECT_EQ(DecodeStepwise(input.Data(), input.Size()), expected);
        // At the end, or at an incomplete sequence, no code point: the one passed stays.
        uint32_t codePoint = 0xDEADBEEF;
        if (!c.illegal) {
            EXPECT_EQ(ZDecodeUTF8(input.Data() + c.used, input.Size() - c.used, codePoint), 0u);
            EXPECT_EQ(codePoint, 0xDEADBEEFu);
            // With room to spare (as a stream reader has), the buffer form stops there too.
            std::wstring roomy(c.in.size() + 1, L'?');
            size_t used = 0;
            const size_t units = ZDecodeUTF8(input.Data(), input.Size(), used, roomy.data(), roomy.size());
            EXPECT_EQ(roomy.substr(0, units), c.out);
            EXPECT_EQ(used, c.used);
        }
    }
    EXPECT_EQ(ZDecodeUTF8(nullptr, 0), L"");
}

// Outputs too short; DecodeBuffer already decodes every table row into an output of exactly the size needed.
TEST(UTF8DecodeBuffer, TooShortAnOutputOverflowsAfterTheUnitsThatFit)
{
    // out: the units written before the overflow; used: the bytes they took.
    const struct { const char* name; std::string in; size_t capacity; std::wstring out; size_t used; } cases[] = {
        {"one unit short", "abcd", 3, L"abc", 3},
        {"pair with one free unit", "a\xF0\x9F\x98\x80", 2, L"a", 1},
        {"no room at all", "a", 0, L"", 0},
        {"ASCII blocks into a shorter output", std::string(100, 'q'), 50, std::wstring(50, L'q'), 50},
        {"three-byte after a full output", "ab\xE2\x82\xAC", 2, L"ab", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedBuffer input(c.in);
        GuardedBuffer output(c.capacity * sizeof(wchar_t));  // a write past the capacity faults
        size_t used = 12345;
        std::string thrown;
        try {
            ZDecodeUTF8(input.Data(), input.Size(), used, output.DataAs<wchar_t>(), c.capacity);
        } catch (const std::overflow_error& e) {
            thrown = e.what();
        }
        EXPECT_EQ(thrown, "ZDecodeUTF8");
        EXPECT_EQ(std::wstring(output.DataAs<wchar_t>(), c.out.size()), c.out);
        EXPECT_EQ(used, c.used);
    }
}

// --- Encoding

// A high surrogate not followed by a low one: the only unit the encoder refuses.
bool HasUnpairedHighSurrogate(const wchar_t* text, size_t count)
{
    const auto isIn = [](wchar_t unit, unsigned first) { return static_cast<uint16_t>(unit) - first < 0x400u; };
    for (size_t i = 0; i < count; ++i) {
        if (!isIn(text[i], 0xD800))
            continue;
        if (i + 1 == count || !isIn(text[i + 1], 0xDC00))
            return true;
        ++i;
    }
    return false;
}

// Encodes units ending at a guard page: every form must refuse an unpaired high surrogate and give anything
// else back unchanged through the decoder (lone low surrogates included). Returns whether refused.
bool CheckEncoder(const wchar_t* units, size_t count)
{
    const bool unpairedHigh = HasUnpairedHighSurrogate(units, count);
    try {
        size_t consumed = 0;
        const size_t needed = ZEncodeUTF8(units, count, nullptr, 0, &consumed);
        EXPECT_FALSE(unpairedHigh) << "an unpaired high surrogate must be refused";
        GuardedBuffer output(needed);
        EXPECT_EQ(ZEncodeUTF8(units, count, output.Data(), needed, &consumed), needed);
        EXPECT_EQ(consumed, count);
        EXPECT_EQ(ZEncodeUTF8(units, count), std::string(output.DataAs<char>(), needed));
        EXPECT_EQ(ZDecodeUTF8(output.DataAs<char>(), needed), std::wstring(units, count));
    } catch (const IllegalSequence&) {
        EXPECT_TRUE(unpairedHigh) << "only an unpaired high surrogate is illegal";
        EXPECT_THROW(ZEncodeUTF8(units, count), IllegalSequence);
    } catch (const std::exception& e) {
        ADD_FAILURE() << "unexpected exception " << e.what();
    }
    return unpairedHigh;
}

// out: the bytes written (before the failure when illegal).
struct EncodeCase { const char* name; std::wstring in; bool illegal; Bytes out; size_t consumed; };

const EncodeCase kEncodeCases[] = {
    {"empty", L"", false, {}, 0},
    {"ASCII", L"A\x7F", false, {0x41, 0x7F}, 2},
    {"NUL", std::wstring(1, L'\0'), false, {0x00}, 1},
    {"two bytes", L"\x80\x7FF", false, {0xC2, 0x80, 0xDF, 0xBF}, 2},
    {"three bytes", L"\x800\xFFFF", false, {0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF}, 2},
    {"pair", L"\xD83D\xDE00", false, {0xF0, 0x9F, 0x98, 0x80}, 2},
    {"highest pair", L"\xDBFF\xDFFF", false, {0xF4, 0x8F, 0xBF, 0xBF}, 2},
    {"lone low surrogate", L"a\xDC00", false, {0x61, 0xED, 0xB0, 0x80}, 2},
    {"low before high", L"\xDC00\xD800\xDC00", false, {0xED, 0xB0, 0x80, 0xF0, 0x90, 0x80, 0x80}, 3},
    {"high surrogate last", L"a\xD800", true, {0x61}, 1},
    {"high surrogate then ASCII", L"ab\xD800z", true, {0x61, 0x62}, 2},
    {"two high surrogates", L"\xD800\xD800\xDC00", true, {}, 0},
};

TEST(UTF8Encode, Table)
{
    for (const EncodeCase& c : kEncodeCases) {
        SCOPED_TRACE(c.name);
        GuardedBuffer input(c.in);
        const auto* in = input.DataAs<wchar_t>();
        EXPECT_EQ(CheckEncoder(in, c.in.size()), c.illegal);
        // The bytes themselves, and those before a refusal.
        GuardedBuffer output(16);
        size_t consumed = 12345;
        if (c.illegal)
            EXPECT_THROW(ZEncodeUTF8(in, c.in.size(), output.Data(), 16, &consumed), IllegalSequence);
        else
            EXPECT_EQ(ZEncodeUTF8(in, c.in.size(), output.Data(), 16, &consumed), c.out.size());
        EXPECT_EQ(Bytes(output.Data(), output.Data() + c.out.size()), c.out);
        EXPECT_EQ(consumed, c.consumed);
    }
}

TEST(UTF8Encode, BoundedOutputStopsBeforeWhatDoesNotFit)
{
    // Sequences of one, two, three and four bytes: 10 bytes from 5 units.
    const std::wstring text = L"a\u00E9\u20AC\xD83D\xDE00";
    const std::string whole = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    const struct { size_t capacity, written, consumed; } steps[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 1, 1}, {3, 3, 2}, {4, 3, 2}, {5, 3, 2},
        {6, 6, 3}, {7, 6, 3}, {8, 6, 3}, {9, 6, 3}, {10, 10, 5}, {11, 10, 5}};
    for (const auto& s : steps) {
        SCOPED_TRACE(s.capacity);
        GuardedBuffer output(s.capacity);
        size_t consumed = 12345;
        EXPECT_EQ(ZEncodeUTF8(text.data(), text.size(), output.Data(), s.capacity, &consumed), s.written);
        EXPECT_EQ(consumed, s.consumed);
        EXPECT_EQ(std::string(output.DataAs<char>(), s.written), whole.substr(0, s.written));
    }
    // ASCII blocks into an output shorter than the text.
    const std::wstring ascii(100, L'x');
    GuardedBuffer output(37);
    size_t consumed = 0;
    EXPECT_EQ(ZEncodeUTF8(ascii.data(), ascii.size(), output.Data(), 37, &consumed), 37u);
    EXPECT_EQ(consumed, 37u);
    EXPECT_EQ(Bytes(output.Data(), output.Data() + 37), Bytes(37, 'x'));
    // The consumed count may be left out.
    EXPECT_EQ(ZEncodeUTF8(ascii.data(), 10, output.Data(), 37, nullptr), 10u);
}

// --- The platform's converter

TEST(UTF8Platform, AgreesOnLongTexts)
{
    // Long enough that counters kept per block of units would overflow if summed too late: uniform
    // texts of each sequence length, and one with a pair every few thousand units.
    std::wstring sparsePairs(4999, L'\x416');
    sparsePairs += L"\xD83D\xDE00";
    const struct { const char* name; std::wstring unit; size_t repeat; } cases[] = {
        {"ASCII", L"a", 1 << 20},
        {"two-byte", L"\x416", 600000},
        {"three-byte", L"\x65E5", 600000},
        {"ASCII and two-byte", L"ab\x416" L"cdefgh", 100000},
        {"pairs now and then", sparsePairs, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring text;
        text.reserve(c.unit.size() * c.repeat);
        for (size_t n = 0; n < c.repeat; ++n)
            text += c.unit;
        const std::string platformBytes = TestSupport::Utf8Of(text);
        EXPECT_EQ(ZEncodeUTF8(text.data(), text.size(), nullptr, 0, nullptr), platformBytes.size());
        EXPECT_TRUE(ZEncodeUTF8(text.data(), text.size()) == platformBytes);
        EXPECT_TRUE(ZDecodeUTF8(platformBytes.data(), platformBytes.size()) == text);
    }
}

// --- Sequences behind guard pages

// The input against a guard page after it and before it (the block-wise paths look back a few bytes).
void CheckDecodersAgree(const Bytes& bytes)
{
    const Decoded expected = DecodeStepwise(bytes.data(), bytes.size());
    EXPECT_EQ(DecodeBuffer(bytes, GuardedBuffer::Guard::End), expected);
    EXPECT_EQ(DecodeBuffer(bytes, GuardedBuffer::Guard::Start), expected);
}

TEST(UTF8DecodeBuffer, SequencesAtEveryOffsetAgree)
{
    // Each sequence at every position of a longer text, so that it meets every
    // boundary of the block-wise paths (16-byte blocks, ends, incomplete tails).
    const Bytes sequences[] = {
        {0xC3, 0xA9}, {0xE2, 0x82, 0xAC}, {0xF0, 0x9F, 0x98, 0x80}, {0xF4, 0x8F, 0xBF, 0xBF},
        {0xF0, 0x8F, 0xBF, 0xBF},  // overlong below U+10000: one unit
        {0xF0, 0x80, 0x80, 0x80}, {0xC0, 0x80}, {0xED, 0xA0, 0x80}, {0x80}, {0xBF, 0xBF},
        {0xF4, 0x90, 0x80, 0x80}, {0xF5, 0x80, 0x80, 0x80}, {0xF8}, {0xC3, 0x41}, {0xE2, 0x82, 0x41},
        {0xF0, 0x9F, 0x41, 0x80}, {0xF0, 0x9F, 0x98}, {0xE2}, {0xC3, 0xA9, 0xF0, 0x9F, 0x98, 0x80, 0xE2, 0x82, 0xAC},
    };
    int inputs = 0;
    for (const Bytes& sequence : sequences) {
        for (size_t length : {size_t(40), size_t(70)}) {
            for (size_t at = 0; at + sequence.size() <= length; ++at) {
                Bytes text(length, 'x');
                std::copy(sequence.begin(), sequence.end(), text.begin() + at);
                SCOPED_TRACE(testing::Message() << PrintToString(sequence) << " at " << at << " of " << length);
                CheckDecodersAgree(text);
                // The same with a non-ASCII text around it.
                for (size_t k = 0; k + 1 < length; k += 2) {
                    if (k + 1 < at || k >= at + sequence.size()) {
                        text[k] = 0xD0;
                        text[k + 1] = 0x96;
                    }
                }
                CheckDecodersAgree(text);
                inputs += 2;
            }
        }
    }
    EXPECT_GT(inputs, 1500);
}

}  // namespace
