// UTF-8 decoding and encoding: tables of sequences, bounded outputs, seeded round
// trips, agreement with the platform's converter, and mutated inputs placed against
// guard pages so that any read past the input faults.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/ZExceptions.h"
#include "foundation/ZUTF8.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/Mutations.h"
#include "tests/support/SeededRandom.h"
#include "tests/support/TextEncodings.h"

namespace {

using Bytes = std::vector<unsigned char>;
using TestSupport::GuardedBuffer;

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char part[4];
    for (unsigned char b : bytes) {
        std::snprintf(part, sizeof part, "%02X ", b);
        text += part;
    }
    return text.empty() ? "(empty)" : text;
}

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

void AppendUtf16(std::wstring& text, uint32_t codePoint)
{
    if (codePoint < 0x10000) {
        text += static_cast<wchar_t>(codePoint);
    } else {
        text += static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
        text += static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    }
}

// Greek, Cyrillic, CJK, an emoji and a Latin word with accents, in UTF-8.
const std::string kMixedSample =
    "Gr\xC3\xBC\xC3\x9F" "e, \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC "
    "\xF0\x9F\x98\x80 caf\xC3\xA9 \xCE\xB1\xCE\xB2 and a run of plain ASCII text to end";

// What decoding a buffer gives: the units up to the end, or up to an incomplete
// tail or an illegal sequence, and the bytes they took.
struct Decoded {
    bool illegal = false;
    size_t used = 0;
    std::wstring text;
    bool operator==(const Decoded&) const = default;
};

void PrintTo(const Decoded& d, std::ostream* os)
{
    *os << (d.illegal ? "illegal" : "ok") << ", used " << d.used << ", " << testing::PrintToString(d.text);
}

// Every buffer form over one input behind a guard page: measuring, decoding into
// an output of exactly the size measured (of the input's size when illegal,
// itself behind a guard), and the whole-text form; they must agree.
Decoded DecodeBuffer(const Bytes& bytes, GuardedBuffer::Guard guard = GuardedBuffer::Guard::End)
{
    GuardedBuffer input(bytes, guard);
    Decoded measured;
    measured.used = 12345;
    size_t units = 0;
    try {
        units = ZDecodeUTF8(input.Data(), input.Size(), measured.used, nullptr, 0);
    } catch (const IllegalSequence&) {
        measured.illegal = true;
    }
    const size_t capacity = measured.illegal ? input.Size() : units;
    GuardedBuffer output(capacity * sizeof(wchar_t));
    Decoded decoded;
    decoded.used = 12345;
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

// Decodes sequence by sequence with the single-sequence form: the reference the
// buffer forms must agree with.
Decoded DecodeStepwise(const unsigned char* in, size_t length)
{
    Decoded result;
    try {
        while (result.used < length) {
            uint32_t codePoint = 0;
            const size_t used = ZDecodeUTF8(in + result.used, length - result.used, codePoint);
            if (used == 0) break;
            AppendUtf16(result.text, codePoint);
            result.used += used;
        }
    } catch (const IllegalSequence&) {
        result.illegal = true;
    }
    return result;
}

// ---------------------------------------------------------------------------
// One sequence

enum class Outcome { Decoded, Incomplete, Illegal };

struct SequenceCase {
    const char* name;
    Bytes bytes;
    Outcome outcome;
    size_t used;
    uint32_t codePoint;
};

const SequenceCase kSequenceCases[] = {
    {"no byte", {}, Outcome::Incomplete, 0, 0},
    {"ASCII", {0x41}, Outcome::Decoded, 1, 0x41},
    {"NUL", {0x00}, Outcome::Decoded, 1, 0},
    {"ASCII with bytes after", {0x41, 0xFF}, Outcome::Decoded, 1, 0x41},
    {"stray continuation 80", {0x80}, Outcome::Decoded, 1, 0x80},
    {"stray continuation BF", {0xBF, 0x80}, Outcome::Decoded, 1, 0xBF},
    {"two bytes", {0xC3, 0xA9}, Outcome::Decoded, 2, 0xE9},
    {"two bytes, highest", {0xDF, 0xBF}, Outcome::Decoded, 2, 0x7FF},
    {"overlong NUL", {0xC0, 0x80}, Outcome::Decoded, 2, 0},
    {"overlong 7F", {0xC1, 0xBF}, Outcome::Decoded, 2, 0x7F},
    {"three bytes", {0xE2, 0x82, 0xAC}, Outcome::Decoded, 3, 0x20AC},
    {"three bytes, highest", {0xEF, 0xBF, 0xBF}, Outcome::Decoded, 3, 0xFFFF},
    {"overlong three bytes", {0xE0, 0x80, 0x80}, Outcome::Decoded, 3, 0},
    {"encoded high surrogate", {0xED, 0xA0, 0x80}, Outcome::Decoded, 3, 0xD800},
    {"encoded low surrogate", {0xED, 0xBF, 0xBF}, Outcome::Decoded, 3, 0xDFFF},
    {"four bytes", {0xF0, 0x9F, 0x98, 0x80}, Outcome::Decoded, 4, 0x1F600},
    {"four bytes, U+10FFFF", {0xF4, 0x8F, 0xBF, 0xBF}, Outcome::Decoded, 4, 0x10FFFF},
    {"overlong four bytes", {0xF0, 0x80, 0x80, 0x80}, Outcome::Decoded, 4, 0},
    {"U+110000", {0xF4, 0x90, 0x80, 0x80}, Outcome::Illegal, 0, 0},
    {"F7 highest", {0xF7, 0xBF, 0xBF, 0xBF}, Outcome::Illegal, 0, 0},
    {"lead F8", {0xF8, 0x88, 0x80, 0x80, 0x80}, Outcome::Illegal, 0, 0},
    {"lead FC", {0xFC, 0x84, 0x80, 0x80, 0x80, 0x80}, Outcome::Illegal, 0, 0},
    {"lead FE", {0xFE, 0x80, 0x80, 0x80}, Outcome::Illegal, 0, 0},
    {"lead FF", {0xFF, 0x80, 0x80, 0x80}, Outcome::Illegal, 0, 0},
    {"second byte ASCII", {0xC3, 0x41}, Outcome::Illegal, 0, 0},
    {"second byte a lead", {0xC3, 0xC3}, Outcome::Illegal, 0, 0},
    {"third byte ASCII", {0xE2, 0x82, 0x41}, Outcome::Illegal, 0, 0},
    {"fourth byte a lead", {0xF0, 0x9F, 0x98, 0xC0}, Outcome::Illegal, 0, 0},
    {"two of two missing one", {0xC3}, Outcome::Incomplete, 0, 0},
    {"three missing two", {0xE2}, Outcome::Incomplete, 0, 0},
    {"three missing one", {0xE2, 0x82}, Outcome::Incomplete, 0, 0},
    {"four missing one", {0xF0, 0x9F, 0x98}, Outcome::Incomplete, 0, 0},
    {"four up to U+10FFFF missing two", {0xF4, 0x8F}, Outcome::Incomplete, 0, 0},
    // Prefixes that no further byte can make valid are reported at once.
    {"incomplete with a bad follower", {0xE2, 0x41}, Outcome::Illegal, 0, 0},
    {"lone F8", {0xF8}, Outcome::Illegal, 0, 0},
    {"lone FF", {0xFF}, Outcome::Illegal, 0, 0},
    {"lone F5, always above U+10FFFF", {0xF5}, Outcome::Illegal, 0, 0},
    {"F4 90 prefix, above U+10FFFF", {0xF4, 0x90}, Outcome::Illegal, 0, 0},
};

TEST(UTF8DecodeSequence, Table)
{
    for (const SequenceCase& c : kSequenceCases) {
        SCOPED_TRACE(std::string(c.name) + ": " + Hex(c.bytes));
        GuardedBuffer input(c.bytes);
        uint32_t codePoint = 0xDEADBEEF;
        switch (c.outcome) {
        case Outcome::Decoded:
            EXPECT_EQ(ZDecodeUTF8(input.Data(), input.Size(), codePoint), c.used);
            EXPECT_EQ(codePoint, c.codePoint);
            break;
        case Outcome::Incomplete:
            EXPECT_EQ(ZDecodeUTF8(input.Data(), input.Size(), codePoint), 0u);
            EXPECT_EQ(codePoint, 0xDEADBEEFu) << "no code point for an incomplete sequence";
            break;
        case Outcome::Illegal:
            EXPECT_THROW(ZDecodeUTF8(input.Data(), input.Size(), codePoint), IllegalSequence);
            break;
        }
    }
}

TEST(UTF8DecodeSequence, AvailableCountLimitsTheRead)
{
    // The bytes after `available` are never looked at, even when they would complete it.
    const Bytes euro = {0xE2, 0x82, 0xAC};
    uint32_t codePoint = 0;
    for (size_t available = 0; available < euro.size(); ++available) {
        GuardedBuffer input(euro.data(), available);
        EXPECT_EQ(ZDecodeUTF8(input.Data(), available, codePoint), 0u) << available;
    }
}

// ---------------------------------------------------------------------------
// Whole buffers

struct BufferCase {
    const char* name;
    std::string in;
    Outcome outcome;       // Incomplete: decoded up to an incomplete tail
    std::wstring out;      // units decoded (before the failure for Illegal)
    size_t used;
};

const BufferCase kBufferCases[] = {
    {"empty", "", Outcome::Decoded, L"", 0},
    {"ASCII", "abc", Outcome::Decoded, L"abc", 3},
    {"accented", "caf\xC3\xA9", Outcome::Decoded, L"caf\u00E9", 5},
    {"stray continuation bytes", "a\x80" "b\xBF", Outcome::Decoded, L"a\u0080b\u00BF", 4},
    {"pair", "\xF0\x9F\x98\x80", Outcome::Decoded, L"\xD83D\xDE00", 4},
    {"U+10FFFF", "x\xF4\x8F\xBF\xBF", Outcome::Decoded, L"x\xDBFF\xDFFF", 5},
    {"encoded surrogates pass through", "\xED\xA0\xBD\xED\xB8\x80", Outcome::Decoded, L"\xD83D\xDE00", 6},
    {"NUL inside", std::string("a\0b", 3), Outcome::Decoded, std::wstring(L"a\0b", 3), 3},
    {"incomplete two-byte tail", "x\xC3", Outcome::Incomplete, L"x", 1},
    {"incomplete three-byte tail", "ab\xE2\x82", Outcome::Incomplete, L"ab", 2},
    {"only an incomplete four-byte", "\xF0\x9F\x98", Outcome::Incomplete, L"", 0},
    {"illegal lead", "ab\xFF", Outcome::Illegal, L"ab", 2},
    {"illegal follower", "a\xC3\x41zz", Outcome::Illegal, L"a", 1},
    {"above U+10FFFF", "ok\xF4\x90\x80\x80", Outcome::Illegal, L"ok", 2},
    {"illegal after an ASCII block",
     "0123456789abcdef0123456789abcdef\xF8", Outcome::Illegal, L"0123456789abcdef0123456789abcdef", 32},
};

TEST(UTF8DecodeBuffer, Table)
{
    for (const BufferCase& c : kBufferCases) {
        SCOPED_TRACE(std::string(c.name) + ": " + Hex(ToBytes(c.in)));
        EXPECT_EQ(DecodeBuffer(ToBytes(c.in)), (Decoded{c.outcome == Outcome::Illegal, c.used, c.out}));
    }
    EXPECT_EQ(ZDecodeUTF8(nullptr, 0), L"");
}

TEST(UTF8DecodeBuffer, BoundedOutput)
{
    struct Case {
        const char* name;
        std::string in;
        size_t capacity;
        bool overflows;
        std::wstring out;  // the units in the output either way
        size_t used;
    };
    const std::string ascii100(100, 'q');
    const Case cases[] = {
        {"exact fit", "abc", 3, false, L"abc", 3},
        {"pair fits exactly", "a\xF0\x9F\x98\x80", 3, false, L"a\xD83D\xDE00", 5},
        {"one unit short", "abcd", 3, true, L"abc", 3},
        {"pair with one free unit", "a\xF0\x9F\x98\x80", 2, true, L"a", 1},
        {"no room at all", "a", 0, true, L"", 0},
        {"empty input, no room", "", 0, false, L"", 0},
        {"full, only an incomplete tail left", "ab\xE2\x82", 2, false, L"ab", 2},
        {"ASCII blocks into a shorter output", ascii100, 50, true, std::wstring(50, L'q'), 50},
        {"ASCII blocks, exact fit", ascii100, 100, false, std::wstring(100, L'q'), 100},
        {"three-byte after a full output", "ab\xE2\x82\xAC", 2, true, L"ab", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedBuffer input(c.in);
        GuardedBuffer output(c.capacity * sizeof(wchar_t));  // a write past the capacity faults
        auto* out = output.DataAs<wchar_t>();
        size_t used = 12345;
        if (c.overflows) {
            try {
                ZDecodeUTF8(input.Data(), input.Size(), used, out, c.capacity);
                ADD_FAILURE() << "no overflow_error";
            } catch (const std::overflow_error& e) {
                EXPECT_STREQ(e.what(), "ZDecodeUTF8");
            }
            EXPECT_EQ(std::wstring(out, c.out.size()), c.out);
        } else {
            const size_t units = ZDecodeUTF8(input.Data(), input.Size(), used, out, c.capacity);
            EXPECT_EQ(std::wstring(out, units), c.out);
        }
        EXPECT_EQ(used, c.used);
    }
}

// ---------------------------------------------------------------------------
// Encoding

struct EncodeCase {
    const char* name;
    std::wstring in;
    bool illegal;
    Bytes out;      // bytes written (before the failure when illegal)
    size_t consumed;
};

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
        size_t consumed = 12345;
        if (c.illegal) {
            EXPECT_THROW(ZEncodeUTF8(in, c.in.size(), nullptr, 0, &consumed), IllegalSequence);
            EXPECT_THROW(ZEncodeUTF8(in, c.in.size()), IllegalSequence);
            GuardedBuffer output(16);
            consumed = 12345;
            EXPECT_THROW(ZEncodeUTF8(in, c.in.size(), output.Data(), 16, &consumed), IllegalSequence);
            EXPECT_EQ(consumed, c.consumed);
            EXPECT_EQ(Bytes(output.Data(), output.Data() + c.out.size()), c.out);
            continue;
        }
        EXPECT_EQ(ZEncodeUTF8(in, c.in.size(), nullptr, 0, &consumed), c.out.size());
        EXPECT_EQ(consumed, c.in.size());
        EXPECT_EQ(ToBytes(ZEncodeUTF8(in, c.in.size())), c.out);
        GuardedBuffer output(c.out.size());
        consumed = 12345;
        const size_t written = ZEncodeUTF8(in, c.in.size(), output.Data(), output.Size(), &consumed);
        EXPECT_EQ(Bytes(output.Data(), output.Data() + written), c.out);
        EXPECT_EQ(consumed, c.consumed);
    }
}

TEST(UTF8Encode, BoundedOutputStopsBeforeWhatDoesNotFit)
{
    // Sequences of one, two, three and four bytes: 10 bytes from 5 units.
    const std::wstring text = L"a\u00E9\u20AC\xD83D\xDE00";
    struct Step {
        size_t capacity;
        size_t written;
        size_t consumed;
    };
    const Step steps[] = {{0, 0, 0}, {1, 1, 1}, {2, 1, 1}, {3, 3, 2}, {4, 3, 2}, {5, 3, 2},
                          {6, 6, 3}, {7, 6, 3}, {8, 6, 3}, {9, 6, 3}, {10, 10, 5}, {11, 10, 5}};
    const std::string whole = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    for (const Step& s : steps) {
        SCOPED_TRACE(s.capacity);
        GuardedBuffer output(s.capacity);
        size_t consumed = 12345;
        EXPECT_EQ(ZEncodeUTF8(text.data(), text.size(), output.Data(), s.capacity, &consumed), s.written);
        EXPECT_EQ(consumed, s.consumed);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(output.Data()), s.written), whole.substr(0, s.written));
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

// ---------------------------------------------------------------------------
// Seeded round trips

// A random code point: mostly ASCII, then the other sequence lengths, never a
// surrogate (those are covered by the UTF-16 round trip below).
uint32_t RandomCodePoint(TestSupport::SeededRandom& random)
{
    switch (random.Between(0, 4)) {
    case 0:
    case 1: return random.Between(0, 0x7F);
    case 2: return random.Between(0x80, 0x7FF);
    case 3: {
        const uint32_t value = random.Between(0x800, 0xFFFF - 0x800);
        return value >= 0xD800 ? value + 0x800 : value;
    }
    default: return random.Between(0x10000, 0x10FFFF);
    }
}

std::vector<uint32_t> RandomCodePoints(TestSupport::SeededRandom& random, size_t maxLength)
{
    std::vector<uint32_t> codePoints(random.Between(0, static_cast<uint32_t>(maxLength)));
    // Some texts are long ASCII runs, so that the block paths and their ends are crossed.
    const bool asciiRuns = random.OneIn(3);
    for (uint32_t& c : codePoints) c = asciiRuns && !random.OneIn(20) ? random.Between(0x20, 0x7E) : RandomCodePoint(random);
    return codePoints;
}

std::wstring ToUtf16(const std::vector<uint32_t>& codePoints)
{
    std::wstring text;
    for (uint32_t c : codePoints) AppendUtf16(text, c);
    return text;
}

// A high surrogate not followed by a low one: the only unit the encoder refuses.
bool HasUnpairedHighSurrogate(const wchar_t* text, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const unsigned unit = static_cast<uint16_t>(text[i]);
        if (unit >= 0xD800 && unit < 0xDC00) {
            if (i + 1 < count && static_cast<uint16_t>(text[i + 1]) >= 0xDC00 &&
                static_cast<uint16_t>(text[i + 1]) < 0xE000)
                ++i;
            else
                return true;
        }
    }
    return false;
}

TEST(UTF8RoundTrip, RandomUtf16UnitsIncludingLoneSurrogates)
{
    TestSupport::SeededRandom random(0x51D3u);
    SCOPED_TRACE(random.Seed());
    int illegal = 0;
    for (int n = 0; n < 3000; ++n) {
        std::wstring text(random.Between(0, 40), L'\0');
        for (wchar_t& unit : text) {
            const uint32_t kind = random.Between(0, 3);
            unit = static_cast<wchar_t>(kind == 0 ? random.Between(0xD800, 0xDFFF) : random.Between(0, 0xFFFF));
        }
        const bool unpairedHigh = HasUnpairedHighSurrogate(text.data(), text.size());
        std::string bytes;
        try {
            bytes = ZEncodeUTF8(text.data(), text.size());
        } catch (const IllegalSequence&) {
            EXPECT_TRUE(unpairedHigh) << "text " << n;
            ++illegal;
            continue;
        }
        EXPECT_FALSE(unpairedHigh) << "text " << n;
        // Lone low surrogates come back as the same unit.
        ASSERT_EQ(ZDecodeUTF8(bytes.data(), bytes.size()), text) << "text " << n;
    }
    EXPECT_GT(illegal, 100) << "the generator should produce unpaired high surrogates";
    EXPECT_LT(illegal, 2900) << "the generator should produce encodable texts";
}

TEST(UTF8RoundTrip, DecodingInRandomPiecesMatchesTheWhole)
{
    // The way a stream reader uses the decoder: each piece is decoded as far as it
    // forms whole sequences and the rest is carried into the next piece.
    TestSupport::SeededRandom random(0xC4A2u);
    SCOPED_TRACE(random.Seed());
    for (int n = 0; n < 300; ++n) {
        const std::wstring text = ToUtf16(RandomCodePoints(random, 200));
        const std::string bytes = ZEncodeUTF8(text.data(), text.size());
        std::wstring decoded;
        std::string carry;
        size_t at = 0;
        while (at < bytes.size()) {
            const size_t piece = std::min<size_t>(random.Between(1, 24), bytes.size() - at);
            carry.append(bytes, at, piece);
            at += piece;
            wchar_t out[64];
            size_t used = 0;
            const size_t units = ZDecodeUTF8(reinterpret_cast<const unsigned char*>(carry.data()), carry.size(), used,
                                             out, 64);
            ASSERT_LT(carry.size() - used, 4u) << "only an incomplete sequence is carried";
            decoded.append(out, units);
            carry.erase(0, used);
        }
        EXPECT_TRUE(carry.empty());
        ASSERT_EQ(decoded, text) << "text " << n;
    }
}

// ---------------------------------------------------------------------------
// Agreement with the platform's converter on valid text

std::wstring PlatformDecode(const std::string& bytes)
{
    if (bytes.empty()) return L"";
    const int size = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), units);
    return text;
}

using TestSupport::Utf8Of;

TEST(UTF8Platform, AgreesOnValidText)
{
    EXPECT_EQ(ZDecodeUTF8(kMixedSample.data(), kMixedSample.size()), PlatformDecode(kMixedSample));
    TestSupport::SeededRandom random;
    SCOPED_TRACE(random.Seed());
    for (int n = 0; n < 2000; ++n) {
        const std::vector<uint32_t> codePoints = RandomCodePoints(random, 300);
        const std::wstring text = ToUtf16(codePoints);
        const std::string bytes = Utf8Of(text);
        ASSERT_EQ(ZEncodeUTF8(text.data(), text.size()), bytes) << "text " << n;
        ASSERT_EQ(ZDecodeUTF8(bytes.data(), bytes.size()), PlatformDecode(bytes)) << "text " << n;
        // The single-sequence form gives back each code point in order.
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        size_t at = 0;
        for (uint32_t c : codePoints) {
            uint32_t decoded = 0;
            const size_t used = ZDecodeUTF8(p + at, bytes.size() - at, decoded);
            ASSERT_NE(used, 0u);
            ASSERT_EQ(decoded, c) << "text " << n << " byte " << at;
            at += used;
        }
    }
}

TEST(UTF8Platform, AgreesOnLongTexts)
{
    // Long enough that counters kept per block of units would overflow if they were
    // summed too late; uniform texts of each sequence length, and one with a pair
    // every few thousand units.
    struct Case {
        const char* name;
        std::wstring unit;
        size_t repeat;
    };
    std::wstring sparsePairs(4999, L'\x416');
    sparsePairs += L"\xD83D\xDE00";
    const Case cases[] = {
        {"ASCII", L"a", 1 << 20},
        {"two-byte", L"\x416", 600000},
        {"three-byte", L"\x65E5", 600000},
        {"ASCII and two-byte", L"ab\x416" L"cdefgh", 100000},
        {"pairs now and then", sparsePairs, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring text;
        text.reserve(c.unit.size() * c.repeat);
        for (size_t n = 0; n < c.repeat; ++n) text += c.unit;
        const std::string platformBytes = Utf8Of(text);
        size_t consumed = 0;
        EXPECT_EQ(ZEncodeUTF8(text.data(), text.size(), nullptr, 0, &consumed), platformBytes.size());
        EXPECT_TRUE(ZEncodeUTF8(text.data(), text.size()) == platformBytes);
        EXPECT_TRUE(ZDecodeUTF8(platformBytes.data(), platformBytes.size()) == text);
    }
}

// ---------------------------------------------------------------------------
// Mutated inputs behind guard pages

// The input once against a guard page after it and once against one before it
// (the block-wise paths also look back a few bytes).
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
                SCOPED_TRACE(Hex(text));
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

// 4768 mutated UTF-8 inputs from the three seeds, each decoded with the input
// against an end guard and against a start guard.
TEST(UTF8Mutations, DecodersFailCleanlyAndAgree)
{
    const std::string seeds[] = {
        kMixedSample,
        "\xF4\x8F\xBF\xBF\xC2\x80\xEF\xBF\xBF\xF0\x90\x80\x80",
        "ASCII only, long enough for two blocks: 0123456789abcdef0123456789",
    };
    TestSupport::Mutations mutations;
    size_t total = 0;
    int illegal = 0;
    for (const std::string& seed : seeds) {
        total += mutations.ForEach(seed, [&](const TestSupport::Mutation& m) {
            SCOPED_TRACE(m.description + ": " + Hex(m.bytes));
            try {
                CheckDecodersAgree(m.bytes);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "unexpected exception " << e.what();
            }
            illegal += DecodeStepwise(m.bytes.data(), m.bytes.size()).illegal ? 1 : 0;
        });
    }
    EXPECT_GT(illegal, 0);
    RecordProperty("mutated_inputs", static_cast<int>(total));
    std::printf("[ mutation ] %zu mutated UTF-8 inputs decoded, %d of them illegal\n", total, illegal);
}

// 3456 mutated UTF-16 inputs.
TEST(UTF8Mutations, EncoderFailsCleanlyOrRoundTrips)
{
    const std::wstring seed = ZDecodeUTF8(kMixedSample.data(), kMixedSample.size());
    const Bytes seedBytes(reinterpret_cast<const unsigned char*>(seed.data()),
                          reinterpret_cast<const unsigned char*>(seed.data() + seed.size()));
    TestSupport::Mutations mutations;
    int illegal = 0, encoded = 0;
    size_t total = mutations.ForEach(seedBytes, [&](const TestSupport::Mutation& m) {
        SCOPED_TRACE(m.description);
        // Whole units only, ending at the guard page.
        GuardedBuffer input(m.bytes.data(), m.bytes.size() & ~size_t(1));
        const auto* units = input.DataAs<wchar_t>();
        const size_t count = input.Size() / sizeof(wchar_t);
        const bool unpairedHigh = HasUnpairedHighSurrogate(units, count);
        try {
            size_t consumed = 0;
            const size_t needed = ZEncodeUTF8(units, count, nullptr, 0, &consumed);
            EXPECT_FALSE(unpairedHigh) << "an unpaired high surrogate must be refused";
            GuardedBuffer output(needed);
            EXPECT_EQ(ZEncodeUTF8(units, count, output.Data(), needed, &consumed), needed);
            EXPECT_EQ(consumed, count);
            EXPECT_EQ(ZDecodeUTF8(output.DataAs<char>(), needed), std::wstring(units, count));
            ++encoded;
        } catch (const IllegalSequence&) {
            EXPECT_TRUE(unpairedHigh) << "only an unpaired high surrogate is illegal";
            EXPECT_THROW(ZEncodeUTF8(units, count), IllegalSequence);
            ++illegal;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "unexpected exception " << e.what();
        }
    });
    EXPECT_GT(illegal, 0) << "the mutations should make unpaired high surrogates";
    EXPECT_GT(encoded, illegal) << "most mutations keep the text encodable";
    RecordProperty("mutated_inputs", static_cast<int>(total));
    std::printf("[ mutation ] %zu mutated UTF-16 inputs encoded, %d of them illegal\n", total, illegal);
}

}  // namespace
