// ZPacket: integers, length formats, text, cursors and the chain operations, through
// the IPacket interface. Random fields over every buffer cut are the round trips' part.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "foundation/ZString.h"
#include "tests/net/PacketTestSupport.h"

using namespace PacketTest;

namespace {

// U+1F600: four UTF-8 bytes, a surrogate pair in UTF-16.
const wchar_t kGrin[] = L"\U0001F600";

}  // namespace

// The signed and bool puts only cast for the same unsigned writes; the round trips
// put and get every kind.
TEST(PacketIntegers, EveryWidthInBothByteOrders)
{
    struct Case { const char* name; std::function<void(IPacket*)> put; Bytes big, little; } cases[] = {
        {"u8", [](IPacket* p) { p->PutUint8(0xA5); }, {0xA5}, {0xA5}},
        {"u16", [](IPacket* p) { p->PutUint16(0x1234); }, {0x12, 0x34}, {0x34, 0x12}},
        {"u32", [](IPacket* p) { p->PutUint32(0x01020304ul); }, {1, 2, 3, 4}, {4, 3, 2, 1}},
        {"u64", [](IPacket* p) { p->PutUint64(0x0102030405060708ull); },
         {1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Written(c.put), c.big);
        EXPECT_EQ(Written(c.put, true), c.little);
    }
}

TEST(PacketIntegers, AnyNonZeroByteReadsAsTrue)
{
    auto packet = Chain({0x00, 0x02});
    bool flag = true;
    ASSERT_TRUE(packet->GetBool(flag));
    EXPECT_FALSE(flag);
    ASSERT_TRUE(packet->GetBool(flag));
    EXPECT_TRUE(flag);
}

TEST(PacketVariant, IntegerAndStringForms)
{
    auto packet = Own(new ZPacket(0, false));
    packet->PutInt32(-7L);
    packet->PutUint32(0xFFFFFFF0ul);
    packet->PutString(L"h\u00E9", LengthPrefix32);
    packet->PutCString("ansi", LengthPrefix32);

    VARIANT v;
    ::VariantInit(&v);
    ASSERT_TRUE(packet->GetInt32(v));
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, -7);
    ASSERT_TRUE(packet->GetUint32(v));
    EXPECT_EQ(v.vt, VT_UI4);
    EXPECT_EQ(v.ulVal, 0xFFFFFFF0ul);
    ASSERT_TRUE(packet->GetString(v));
    ASSERT_EQ(v.vt, VT_BSTR);
    EXPECT_STREQ(v.bstrVal, L"h\u00E9");
    ASSERT_TRUE(packet->GetAnsiString(v));
    ASSERT_EQ(v.vt, VT_BSTR);
    EXPECT_STREQ(v.bstrVal, L"ansi");
    ::VariantClear(&v);

    // A variant that cannot be cleared is refused before anything is read.
    auto more = Chain({0, 0, 0, 5});
    VARIANT bad;
    ::VariantInit(&bad);
    bad.vt = 0x7FFF;
    EXPECT_FALSE(more->GetInt32(bad));
    EXPECT_FALSE(more->GetUint32(bad));
    EXPECT_FALSE(more->GetString(bad));
    EXPECT_FALSE(more->GetAnsiString(bad));
    EXPECT_EQ(more->GetRemaining(), 4u);
}

TEST(PacketFormats, PutStringInEveryFormat)
{
    struct Case { const wchar_t* text; unsigned format; bool little; Bytes expected; } cases[] = {
        {L"", LengthPrefix32, false, {0, 0, 0, 0}},
        {L"ab", NulTerminated, false, {0x61, 0x62, 0x00}},
        {L"ab", CrLfTerminated, false, {0x61, 0x62, 0x0D, 0x0A}},
        {L"ab", LengthPrefix16, false, {0x00, 0x02, 0x61, 0x62}},
        {L"ab", LengthPrefix16, true, {0x02, 0x00, 0x61, 0x62}},
        {L"ab", LengthPrefix8, false, {0x02, 0x61, 0x62}},
        {L"ab", LengthGiven, false, {0x61, 0x62}},
        {L"ab", 9, false, {0x61, 0x62}},
        // the length counts UTF-8 bytes, not characters
        {L"\u00E9\u20AC", LengthPrefix8, false, {0x05, 0xC3, 0xA9, 0xE2, 0x82, 0xAC}},
        {kGrin, LengthPrefix16, false, {0x00, 0x04, 0xF0, 0x9F, 0x98, 0x80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(FormatName(c.format));
        EXPECT_EQ(Written([&](IPacket* p) { EXPECT_TRUE(p->PutString(c.text, LengthFormat(c.format))); }, c.little),
                  c.expected);
    }
}

// Text and bytes through every format are the round trips' part; these two readers
// are not in them (the put overloads they would pair with only forward).
TEST(PacketFormats, ByteBlocksAndZStringBytesInEveryFormat)
{
    for (unsigned format = LengthPrefix32; format <= LengthGiven; ++format) {
        SCOPED_TRACE(FormatName(format));
        const LengthFormat f = LengthFormat(format);
        auto packet = Own(new ZPacket(16, false));
        ASSERT_TRUE(packet->PutBytes("QR", 2, f));
        ASSERT_TRUE(packet->PutBytes("plain", 5, f));
        unsigned char storage[8] = {};
        ZByteBlock into{format == LengthGiven ? 2u : sizeof storage, storage};  // the length, or a bound
        ASSERT_TRUE(packet->GetBytes(into, f));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(storage)), "QR");
        ZString raw;
        ASSERT_TRUE(packet->GetBytes(raw, f, 5));
        EXPECT_EQ(raw, "plain");
        EXPECT_EQ(packet->GetRemaining(), 0u);
    }
}

TEST(PacketFormats, TerminatedReadsStopAtTheFirstTerminator)
{
    struct Case {
        Bytes bytes; LengthFormat format; std::vector<size_t> cuts; std::optional<std::string> text; size_t left;
    } cases[] = {
        {{'a', 0x0D, 0x0D, 0x0A, 'b'}, CrLfTerminated, {}, "a\r", 1},
        {{0x0D, 0x0A}, CrLfTerminated, {}, "", 0},
        {{0x0D, 0x0D, 0x0D, 0x0A}, CrLfTerminated, {2}, "\r\r", 0},
        {{'x', 0x0D, 0x0A}, CrLfTerminated, {2}, "x", 0},  // terminator split over two buffers
        {{'x', 0x0A, 0x0D}, CrLfTerminated, {}, std::nullopt, 3},
        {{'a', 'b', 0x00, 'c'}, NulTerminated, {1, 2}, "ab", 1},
        {{'a', 'b'}, NulTerminated, {}, std::nullopt, 2},
        {{0x00}, NulTerminated, {}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << FormatName(c.format) << " row " << (&c - cases));
        auto packet = Chain(c.bytes, c.cuts);
        EXPECT_EQ(Narrow(packet.Get(), c.format), c.text);
        EXPECT_EQ(packet->GetRemaining(), c.left);
    }
    // The terminator is searched beyond the limit but must be readable.
    auto packet = Chain({'a', 'b', 0x00, 'z'});
    packet->SetReadLimit(2);
    EXPECT_FALSE(Narrow(packet.Get(), NulTerminated));
    packet->SetReadLimit(3);
    EXPECT_EQ(Narrow(packet.Get(), NulTerminated), "ab");
    EXPECT_EQ(packet->GetRemaining(), 0u);
}

// A length too large for its prefix, or data holding its own terminator, cannot be
// read back as written: every put refuses it and leaves the packet as it was.
TEST(PacketFormats, UnreadableLengthsAndTerminatorsAreRefused)
{
    const std::string big300(300, 'x');
    const std::wstring wide300(300, L'y');
    const std::string big70000(70000, 'z');
    auto buffer300 = Own(new ZBasicBuffer(300, false));
    buffer300->Append(big300.data(), 300, 0);
    auto source300 = Chain(Bytes(big300.begin(), big300.end()));
    const char withNul[] = {'a', '\0', 'b'};
    auto nulBuffer = Own(new ZBasicBuffer(3, false));
    nulBuffer->Append(withNul, 3, 0);
    auto crlfSource = Chain(Utf8("ab\r\ncd"), {3});  // the pair spans two buffers

    struct Case { const char* name; std::function<bool(IPacket*)> put; } cases[] = {
        {"bytes in 8 bits", [&](IPacket* p) { return p->PutBytes(big300.data(), 300, LengthPrefix8); }},
        {"text in 8 bits", [&](IPacket* p) { return p->PutString(wide300.c_str(), 300, LengthPrefix8); }},
        {"UTF-8 grows past 8 bits", [&](IPacket* p) {
             std::wstring text(100, L'\u20AC');  // 100 characters, 300 bytes
             return p->PutString(text.c_str(), LengthPrefix8);
         }},
        {"C string in 16 bits", [&](IPacket* p) { return p->PutCString(big70000.c_str(), LengthPrefix16); }},
        {"buffer in 8 bits", [&](IPacket* p) { return p->PutBuffer(buffer300.Get(), LengthPrefix8); }},
        {"packet in 8 bits", [&](IPacket* p) { return p->PutPacket(source300.Get(), LengthPrefix8); }},
        {"packet buffers in 8 bits", [&](IPacket* p) { return p->PutPacketBuffers(source300.Get(), LengthPrefix8); }},
        {"bytes with NUL", [&](IPacket* p) { return p->PutBytes(withNul, 3, NulTerminated); }},
        {"text with NUL", [&](IPacket* p) { return p->PutString(L"a\0b", 3, NulTerminated); }},
        {"bytes with CR LF", [&](IPacket* p) { return p->PutBytes("a\r\nb", 4, CrLfTerminated); }},
        {"text with CR LF", [&](IPacket* p) { return p->PutString(L"line\r\nnext", CrLfTerminated); }},
        {"buffer with NUL", [&](IPacket* p) { return p->PutBuffer(nulBuffer.Get(), NulTerminated); }},
        {"packet with CR LF", [&](IPacket* p) { return p->PutPacket(crlfSource.Get(), CrLfTerminated); }},
        {"packet buffers with CR LF",
         [&](IPacket* p) { return p->PutPacketBuffers(crlfSource.Get(), CrLfTerminated); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto packet = Own(new ZPacket(0, false));
        packet->PutUint8(0x42);
        EXPECT_FALSE(c.put(packet.Get()));
        EXPECT_EQ(Contents(packet.Get()), Bytes{0x42});
        EXPECT_EQ(packet->GetWritePosition(), 1u);
    }
    // The widest prefix that holds the length is accepted.
    auto widest = Own(new ZPacket(0, false));
    ASSERT_TRUE(widest->PutBytes(big300.data(), 300, LengthPrefix16));
    ASSERT_TRUE(widest->PutBytes(big70000.data(), 70000, LengthPrefix32));
    EXPECT_EQ(Narrow(widest.Get(), LengthPrefix16), big300);
    EXPECT_EQ(Narrow(widest.Get(), LengthPrefix32), big70000);
    // What a reader can tell apart is accepted: a lone CR or LF, a CR at the end, and
    // the same data in a format that does not search.
    struct Good { const char* data; LengthFormat format; } good[] = {
        {"a\rb\n", CrLfTerminated}, {"ab\r", CrLfTerminated}, {"a\r\nb", NulTerminated}, {"a\r\nb", LengthPrefix8}};
    for (const Good& g : good) {
        SCOPED_TRACE(g.data);
        auto packet = Own(new ZPacket(0, false));
        ASSERT_TRUE(packet->PutCString(g.data, g.format));
        EXPECT_EQ(Narrow(packet.Get(), g.format), g.data);
    }
}

TEST(PacketText, MalformedUtf16WritesNothing)
{
    const wchar_t loneHigh[] = {L'a', 0xD83D, L'b', 0};
    const wchar_t highLast[] = {L'a', 0xD83D, 0};
    for (const wchar_t* text : {loneHigh, highLast}) {
        auto packet = Own(new ZPacket(0, false));
        EXPECT_FALSE(packet->PutString(text, LengthPrefix32));
        EXPECT_EQ(packet->GetTotalLength(), 0u);
        EXPECT_EQ(packet->GetWritePosition(), 0u);
    }
    // A lone low surrogate is encoded as it stands (three bytes).
    const wchar_t loneLow[] = {0xDC00, 0};
    EXPECT_EQ(Written([&](IPacket* p) { EXPECT_TRUE(p->PutString(loneLow, LengthGiven)); }),
              (Bytes{0xED, 0xB0, 0x80}));
}

TEST(PacketText, InvalidOrCutUtf8FailsAndKeepsTheCursor)
{
    struct Case { const char* name; Bytes bytes; std::vector<size_t> cuts; size_t limit = SIZE_MAX; } cases[] = {
        {"lead F8", {'a', 0xF8, 0x80, 0x80, 0x80}, {}},
        {"bad follower", {0xE2, 0x41, 0x41}, {}},
        {"ends inside a sequence", {'a', 0xE2, 0x82}, {}},
        {"above U+10FFFF", {0xF4, 0x90, 0x80, 0x80}, {1}},
        {"limit inside a sequence", {'a', 0xF0, 0x9F, 0x98, 0x80, 'b'}, {}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto packet = Chain(c.bytes, c.cuts);
        packet->SetReadLimit(c.limit);
        EXPECT_FALSE(Wide(packet.Get(), LengthGiven, c.bytes.size()));
        EXPECT_FALSE(Wide(packet.Get(), LengthGiven, std::min(c.bytes.size(), c.limit)));
        EXPECT_EQ(Unread(packet.Get()), c.bytes);
        EXPECT_EQ(packet->GetRemaining(), std::min(c.bytes.size(), c.limit));
    }
    // A limit just after the sequence lets it through.
    auto packet = Chain({'a', 0xF0, 0x9F, 0x98, 0x80, 'b'});
    packet->SetReadLimit(5);
    EXPECT_EQ(Wide(packet.Get(), LengthGiven, 5), L"a\U0001F600");
    // Stray continuation bytes are taken as the code point of the same value.
    EXPECT_EQ(Wide(Chain({0x80, 'z'}).Get(), LengthGiven, 2), L"\u0080z");
}

// Failed reads of the readers the mutation suite does not drive; it drives the others.
TEST(PacketReaders, EveryFailedReadLeavesCursorAndLimit)
{
    struct Case { const char* name; Bytes bytes; std::function<bool(IPacket*)> read; } cases[] = {
        {"block LengthGiven too long", {'a', 'b'},
         [](IPacket* p) { unsigned char d[3]; ZByteBlock b{3, d}; return p->GetBytes(b, LengthGiven); }},
        {"packet destination NulTerminated", {'a'}, [](IPacket* p) {
             auto d = Own(new ZPacket(0, false));
             bool ok = p->GetString(d.Get(), NulTerminated);
             EXPECT_EQ(d->GetTotalLength(), 0u);
             return ok;
         }},
        {"sub-packet LengthPrefix8", {5, 'a', 'b'}, [](IPacket* p) {
             IPacket* sub = nullptr;
             bool ok = p->GetPacket(sub, LengthPrefix8);
             EXPECT_EQ(sub, nullptr);
             return ok;
         }},
        {"sub-packet CrLfTerminated without CR LF", {'a', 'b', 0x0A},
         [](IPacket* p) { IPacket* sub = nullptr; return p->GetPacket(sub, CrLfTerminated); }},
        {"skip LengthGiven", {1, 2}, [](IPacket* p) { size_t n = 3; return p->SkipString(n, LengthGiven); }},
        {"skip", {1, 2}, [](IPacket* p) { return p->Skip(3); }},
    };
    for (const Case& c : cases) {
        for (size_t cut : {size_t(0), size_t(1)}) {
            SCOPED_TRACE(testing::Message() << c.name << (cut ? " (two buffers)" : ""));
            auto packet = cut && c.bytes.size() > 1 ? Chain(c.bytes, {1}) : Chain(c.bytes);
            for (size_t limit : {SIZE_MAX, c.bytes.size()}) {
                packet->SetReadLimit(limit);
                EXPECT_FALSE(c.read(packet.Get()));
                EXPECT_EQ(packet->GetRemaining(), c.bytes.size());
                EXPECT_EQ(Unread(packet.Get()), c.bytes);
                EXPECT_EQ(U8(packet.Get()), c.bytes[0]);  // the next read sees the same bytes
                packet->Rewind();
            }
        }
    }
}

TEST(PacketReaders, ReadLimitZeroUnlimitedAndRestored)
{
    auto packet = Chain({0, 0, 0, 1, 'a', 0, 0, 0, 0x0D, 0x0A});
    packet->SetReadLimit(0);
    size_t at, n;
    IBuffer* chunk;
    size_t offset, length;
    IPacket* sub = nullptr;
    EXPECT_FALSE(U8(packet.Get()));
    EXPECT_FALSE(U32(packet.Get()));
    EXPECT_FALSE(Narrow(packet.Get(), LengthPrefix32));
    EXPECT_FALSE(Narrow(packet.Get(), NulTerminated));
    EXPECT_FALSE(Narrow(packet.Get(), LengthGiven, 1));
    EXPECT_FALSE(packet->GetPacket(sub, LengthPrefix32));
    EXPECT_FALSE(packet->Skip(1));
    EXPECT_FALSE(packet->FindString("a", at, n));
    EXPECT_FALSE(packet->GetNextChunk(chunk, offset, length));
    EXPECT_EQ(packet->GetRemaining(), 0u);
    EXPECT_EQ(Narrow(packet.Get(), LengthGiven, 0), "");  // nothing asked, nothing consumed

    packet->SetReadLimit(SIZE_MAX);
    ASSERT_TRUE(U32(packet.Get()));
    ASSERT_TRUE(U8(packet.Get()));
    auto state = Own(packet->SaveState());
    EXPECT_EQ(static_cast<ZPacketState*>(state.Get())->m_readLimit, SIZE_MAX);  // never lowered
    EXPECT_EQ(packet->GetRemaining(), 5u);

    // A limit inside the data stops integer reads even where the buffer holds more.
    packet->Rewind();
    packet->SetReadLimit(6);
    EXPECT_EQ(Narrow(packet.Get(), LengthPrefix32), "a");
    EXPECT_FALSE(U32(packet.Get()));
    EXPECT_EQ(U8(packet.Get()), 0u);
    EXPECT_EQ(packet->GetRemaining(), 0u);
    EXPECT_FALSE(U8(packet.Get()));

    // Restoring brings back the read cursor, the limit and the write position.
    packet->PutUint8(9);
    packet->RestoreState(state.Get());
    EXPECT_EQ(packet->GetRemaining(), 6u);  // unlimited again: up to the byte just put
    EXPECT_EQ(packet->GetWritePosition(), 10u);
}

TEST(PacketChunks, ChunksFollowBuffersAndTheLimit)
{
    auto packet = Chain({1, 2, 3, 4, 5, 6, 7}, {3});
    IBuffer* buffer;
    size_t offset, length;
    ASSERT_TRUE(U8(packet.Get()));
    ASSERT_TRUE(packet->GetNextChunk(buffer, offset, length));  // unlimited: rest of the buffer
    EXPECT_EQ(offset, 1u);
    EXPECT_EQ(length, 2u);
    buffer->Release();
    packet->SetReadLimit(3);
    ASSERT_TRUE(packet->GetNextChunk(buffer, offset, length));
    EXPECT_EQ(offset, 0u);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(buffer->GetData()[offset], 4);
    buffer->Release();
    EXPECT_FALSE(packet->GetNextChunk(buffer, offset, length));  // limit spent
    packet->SetReadLimit(SIZE_MAX);
    EXPECT_EQ(U8(packet.Get()), 7u);
    EXPECT_FALSE(packet->GetNextChunk(buffer, offset, length));
}

TEST(PacketChunks, SubPacketsShareBuffers)
{
    const Bytes bytes = {9, 0, 0, 0, 5, 'a', 'b', 'c', 'd', 'e', 'z'};
    auto packet = Chain(bytes, {7});
    ASSERT_TRUE(U8(packet.Get()));
    IPacket* raw = nullptr;
    ASSERT_TRUE(packet->GetPacket(raw, LengthPrefix32));
    auto sub = Own(raw);
    // That it holds the parent's buffers, not copies, the mutation suite checks.
    EXPECT_EQ(Narrow(sub.Get(), LengthGiven, 5), "abcde");
    EXPECT_EQ(sub->GetRemaining(), 0u);

    // Writes into the part go into buffers of its own, never over the parent's bytes.
    sub->PutUint32(0xFFFFFFFFul);
    packet->Rewind();
    EXPECT_EQ(Unread(packet.Get()), bytes);

    ASSERT_TRUE(packet->Skip(10));
    ASSERT_TRUE(packet->GetPacket(raw, LengthGiven, 0));
    auto empty = Own(raw);
    EXPECT_EQ(empty->GetTotalLength(), 0u);
    EXPECT_EQ(empty->GetRemaining(), 0u);
}

TEST(PacketCursor, UnreadStepsBackAcrossBuffers)
{
    auto packet = Chain({1, 2, 3, 4, 5}, {2, 3});
    ASSERT_TRUE(packet->Skip(4));
    ASSERT_TRUE(packet->Unread(3));
    EXPECT_EQ(U8(packet.Get()), 2u);
    ASSERT_TRUE(packet->Skip(3));
    EXPECT_FALSE(packet->Unread(6));
    ASSERT_TRUE(packet->Unread(5));
    EXPECT_EQ(U8(packet.Get()), 1u);

    // With a limit, the remaining count says nothing about what lies behind the cursor.
    packet->Rewind();
    ASSERT_TRUE(packet->Skip(1));
    packet->SetReadLimit(1);
    EXPECT_FALSE(packet->Unread(2));
    ASSERT_TRUE(packet->Unread(1));
    EXPECT_EQ(packet->GetRemaining(), 2u);  // the limit grows by what was unread
    EXPECT_EQ(U8(packet.Get()), 1u);
}

TEST(PacketCursor, FindStringTable)
{
    struct Case {
        Bytes bytes; std::vector<size_t> cuts; std::string pattern; size_t skip; bool found; size_t position, matched;
    } cases[] = {
        {Utf8("hello world"), {}, "world", 0, true, 6, 5},
        {Utf8("hello world"), {3, 7}, "lo wo", 0, true, 3, 5},
        {Utf8("aaab"), {}, "aab", 0, true, 1, 3},         // resumes one after the broken start
        {Utf8("abcabd"), {}, "abx", 0, false, SIZE_MAX, 0},
        {Utf8("xyzab"), {4}, "abc", 0, true, 3, 2},        // proper prefix at the very end
        {Utf8("abab"), {}, "ab", 1, true, 1, 2},           // counted from the read cursor
        {Utf8(""), {}, "a", 0, false, SIZE_MAX, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        auto packet = Chain(c.bytes, c.cuts);
        ASSERT_TRUE(packet->Skip(c.skip));
        const size_t before = packet->GetRemaining();
        size_t position = 7, matched = 7;
        EXPECT_EQ(packet->FindString(c.pattern, position, matched), c.found);
        EXPECT_EQ(position, c.position);
        EXPECT_EQ(matched, c.matched);
        EXPECT_EQ(packet->GetRemaining(), before);
    }
    // The limit bounds the search.
    auto packet = Chain(Utf8("abcdef"));
    packet->SetReadLimit(4);
    size_t position, matched;
    EXPECT_FALSE(packet->FindString("ef", position, matched));
    EXPECT_TRUE(packet->FindString("de", position, matched));
    EXPECT_EQ(matched, 1u);
    EXPECT_EQ(packet->GetRemaining(), 4u);
}

// Patching inside the data is the next test's part.
TEST(PacketPositions, AbsoluteReadsKeepTheCursorAndStopAtTheEnd)
{
    auto packet = Chain({1, 2, 3, 4, 5});
    unsigned long value;
    ASSERT_TRUE(packet->GetUint32At(value, 1));
    EXPECT_EQ(value, 0x02030405ul);
    EXPECT_EQ(packet->GetRemaining(), 5u);  // the cursor did not move
    EXPECT_FALSE(packet->GetUint32At(value, 2));
    EXPECT_FALSE(packet->GetUint32At(value, SIZE_MAX));

    // At exactly the total length a new buffer is appended.
    packet->PutUint32At(0xDEADBEEFul, 5);
    EXPECT_EQ(packet->GetTotalLength(), 9u);
    ASSERT_TRUE(packet->GetUint32At(value, 5));
    EXPECT_EQ(value, 0xDEADBEEFul);
}

TEST(PacketPositions, BackPatchingStartsAnywhereInTheChain)
{
    // "ab" "cdef" "ghij" in buffers with spare room: the patch may begin inside any
    // buffer and lands where the bytes lie, never in the room after them.
    for (bool little : {false, true}) {
        for (size_t position = 0; position <= 6; ++position) {
            SCOPED_TRACE(testing::Message() << position << (little ? " LE" : " BE"));
            auto packet = Own(new ZPacket(0, false));
            for (const char* part : {"ab", "cdef", "ghij"}) {
                auto buffer = Own(new ZBasicBuffer(10, false));
                buffer->AppendText(part);
                packet->AddBuffer(buffer.Get());
            }
            if (little)
                packet->SetLittleEndian();
            packet->PutUint32At(0x31323334ul, position);
            Bytes expected = Utf8("abcdefghij");
            std::memcpy(expected.data() + position, little ? "4321" : "1234", 4);
            EXPECT_EQ(Contents(packet.Get()), expected);
            EXPECT_EQ(packet->GetTotalLength(), 10u);
            unsigned long value;
            ASSERT_TRUE(packet->GetUint32At(value, position));
            EXPECT_EQ(value, 0x31323334ul);
        }
    }
}

TEST(PacketPositions, MoveWritePositionReservesTheWholeDistance)
{
    for (size_t first : {size_t(8), size_t(1024)}) {
        SCOPED_TRACE(first);
        auto packet = Own(new ZPacket(first, false));
        packet->PutUint16(0xABCD);
        const size_t reserved = packet->GetWritePosition();
        ASSERT_TRUE(packet->MoveWritePosition(2000));  // further than the first buffer
        EXPECT_EQ(packet->GetWritePosition(), reserved + 2000);
        packet->PutUint32(0x11223344ul);
        packet->PutUint32At(0x55667788ul, reserved);
        const Bytes bytes = Contents(packet.Get());
        ASSERT_EQ(bytes.size(), 2u + 2000u + 4u);
        EXPECT_EQ(Bytes(bytes.begin() + 2, bytes.begin() + 6), (Bytes{0x55, 0x66, 0x77, 0x88}));
        for (size_t i = 6; i < 2002; ++i)
            ASSERT_EQ(bytes[i], 0) << i;  // reserved bytes carry nothing from memory
        EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), (Bytes{0x11, 0x22, 0x33, 0x44}));
    }
}

TEST(PacketPositions, MoveWritePositionBackwards)
{
    auto packet = Chain({1, 2, 3, 4, 5}, {2});
    ASSERT_TRUE(packet->MoveWritePosition(-4));
    EXPECT_EQ(packet->GetWritePosition(), 1u);
    packet->PutUint8(0xEE);
    EXPECT_EQ(Contents(packet.Get()), (Bytes{1, 0xEE, 3, 4, 5}));
    EXPECT_FALSE(packet->MoveWritePosition(-3));  // before the first byte
    EXPECT_EQ(packet->GetWritePosition(), 2u);
    ASSERT_TRUE(packet->MoveWritePosition(-2));
    EXPECT_EQ(packet->GetWritePosition(), 0u);
    ASSERT_TRUE(packet->MoveWritePosition(0));
    EXPECT_FALSE(packet->MoveWritePosition(INT64_MIN));
    // Forward over written data skips it and keeps it.
    ASSERT_TRUE(packet->MoveWritePosition(3));
    packet->PutUint8(0xDD);
    EXPECT_EQ(Contents(packet.Get()), (Bytes{1, 0xEE, 3, 0xDD, 5}));
}

TEST(PacketPositions, TruncateSeekAndWriteToRead)
{
    auto packet = Chain(Utf8("abcdefgh"), {3, 6});
    ASSERT_TRUE(packet->Skip(4));
    packet->SetWriteToRead();
    EXPECT_EQ(packet->GetWritePosition(), 4u);
    packet->TruncateAtWrite();
    EXPECT_EQ(Contents(packet.Get()), Utf8("abcd"));
    packet->SeekWriteToEnd();
    EXPECT_EQ(packet->GetWritePosition(), 4u);
    ASSERT_TRUE(packet->PutCString("XY", LengthGiven));
    EXPECT_EQ(Contents(packet.Get()), Utf8("abcdXY"));

    auto none = Own(new ZPacket(0, false));
    none->SeekWriteToEnd();
    EXPECT_EQ(none->GetWritePosition(), 0u);
}

TEST(PacketChain, PutBufferInsertsWithoutCopying)
{
    auto inserted = Own(new ZBasicBuffer(8, false));
    inserted->AppendText("mid");
    auto packet = Own(new ZPacket(0, false));
    packet->PutUint8('<');
    ASSERT_TRUE(packet->PutBuffer(inserted.Get(), NulTerminated));
    packet->PutUint8('>');  // continues in the inserted buffer's spare room
    EXPECT_EQ(Contents(packet.Get()), (Bytes{'<', 'm', 'i', 'd', 0, '>'}));
    EXPECT_EQ(inserted->GetDataLength(), 5u);
    IBuffer* buffer;
    size_t offset;
    ASSERT_TRUE(packet->Skip(1));
    ASSERT_TRUE(packet->GetNextBuffer(buffer, offset));
    EXPECT_EQ(buffer, inserted.Get());
    buffer->Release();

    // A full buffer: the terminator goes into a new one.
    auto full = Own(new ZBasicBuffer(2, false));
    full->AppendText("xy");
    auto second = Own(new ZPacket(0, false));
    ASSERT_TRUE(second->PutBuffer(full.Get(), CrLfTerminated));
    EXPECT_EQ(Contents(second.Get()), (Bytes{'x', 'y', 0x0D, 0x0A}));
    EXPECT_EQ(full->GetDataLength(), 2u);
}

TEST(PacketChain, PutPacketBuffersAndPutPacket)
{
    auto source = Chain(Utf8("abcdef"), {2});
    ASSERT_TRUE(source->Skip(3));
    source->SetReadLimit(1);
    for (bool zeroCopy : {true, false}) {
        SCOPED_TRACE(zeroCopy ? "buffers" : "copy");
        auto packet = Own(new ZPacket(0, false));
        packet->PutUint8(0x01);
        ASSERT_TRUE(zeroCopy ? packet->PutPacketBuffers(source.Get(), LengthPrefix16)
                             : packet->PutPacket(source.Get(), LengthPrefix16));
        packet->PutUint8(0x02);
        EXPECT_EQ(Contents(packet.Get()), (Bytes{0x01, 0x00, 0x06, 'a', 'b', 'c', 'd', 'e', 'f', 0x02}));
        // The source keeps its cursor and limit.
        EXPECT_EQ(source->GetRemaining(), 1u);
        EXPECT_EQ(Unread(source.Get()), Utf8("def"));
        ASSERT_TRUE(packet->Skip(1));
        IPacket* raw;
        ASSERT_TRUE(packet->GetPacket(raw, LengthPrefix16));
        EXPECT_EQ(Narrow(Own(raw).Get(), LengthGiven, 6), "abcdef");
    }
    auto self = Chain(Utf8("ab"));
    ASSERT_TRUE(self->PutPacket(self.Get(), LengthPrefix8));
    EXPECT_EQ(Contents(self.Get()), (Bytes{'a', 'b', 2, 'a', 'b'}));
    EXPECT_FALSE(self->PutPacketBuffers(self.Get(), LengthPrefix8));
}

TEST(PacketChain, GetStringIntoBufferAndPacket)
{
    auto packet = Chain({0, 3, 'a', 'b', 'c', 0, 2, 'd', 'e'});
    auto buffer = Own(new ZBasicBuffer(0, false));
    ASSERT_TRUE(packet->GetString(buffer.Get(), LengthPrefix16));
    EXPECT_EQ(buffer->GetCapacity(), 3u);  // grew once, to the whole string
    EXPECT_EQ(Text(buffer.Get()), "abc");
    auto destination = Own(new ZPacket(0, false));
    ASSERT_TRUE(packet->GetString(destination.Get(), LengthPrefix16));
    EXPECT_EQ(Contents(destination.Get()), Utf8("de"));
}

TEST(PacketChain, RemoveFirstBufferOnlyOnceItIsRead)
{
    auto packet = Chain({1, 2, 3, 4}, {2});
    EXPECT_EQ(packet->RemoveFirstBuffer(), nullptr);
    ASSERT_TRUE(U8(packet.Get()));
    EXPECT_EQ(packet->RemoveFirstBuffer(), nullptr);
    ASSERT_TRUE(U8(packet.Get()));
    IBuffer* first = packet->RemoveFirstBuffer();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetDataLength(), 2u);
    first->Release();
    EXPECT_EQ(U8(packet.Get()), 3u);
    EXPECT_EQ(packet->GetTotalLength(), 2u);
    EXPECT_EQ(packet->GetWritePosition(), 2u);  // still at the end of the data
    auto empty = Own(new ZPacket(0, false));
    EXPECT_EQ(empty->RemoveFirstBuffer(), nullptr);
}

TEST(PacketChain, IsEqualComparesUnreadBytesAcrossLayouts)
{
    struct Side { Bytes bytes; std::vector<size_t> cuts; size_t skip; };
    struct Case { Side a, b; bool equal; } cases[] = {
        {{Utf8("abcdef"), {}, 0}, {Utf8("abcdef"), {1, 4}, 0}, true},
        {{Utf8("xabc"), {2}, 1}, {Utf8("abc"), {}, 0}, true},
        {{Utf8("abc"), {}, 0}, {Utf8("abcd"), {}, 0}, false},
        {{Utf8("abc"), {}, 0}, {Utf8("abd"), {}, 0}, false},
        {{Utf8("abc"), {}, 3}, {Utf8("q"), {}, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        auto a = Chain(c.a.bytes, c.a.cuts);
        auto b = Chain(c.b.bytes, c.b.cuts);
        ASSERT_TRUE(a->Skip(c.a.skip));
        ASSERT_TRUE(b->Skip(c.b.skip));
        a->SetReadLimit(0);  // limits do not apply
        EXPECT_EQ(a->IsEqual(b.Get()), c.equal);
        EXPECT_EQ(b->IsEqual(a.Get()), c.equal);
        EXPECT_EQ(Unread(a.Get()), Bytes(c.a.bytes.begin() + c.a.skip, c.a.bytes.end()));
        EXPECT_EQ(Unread(b.Get()), Bytes(c.b.bytes.begin() + c.b.skip, c.b.bytes.end()));
    }
}
