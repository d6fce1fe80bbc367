// Hostile input: 1,892 mutations of one valid 64-byte message (bit flips, byte values,
// truncations, random changes, inflated or zeroed length prefixes), each laid out in
// guarded memory three ways (one buffer ending at a no-access page; one starting right
// after one; four buffers each ending at one, under a read limit at the input's end)
// and fed to 30 readers and to the message's own read sequence. Each read either fails
// and leaves the cursor and limit where they were, or returns data inside the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"
#include "tests/net/PacketTestSupport.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/Mutations.h"

using namespace PacketTest;
using TestSupport::GuardedBuffer;

namespace {

struct Prefix {
    size_t offset;
    int width;
};

// The valid message and where its length prefixes sit.
Bytes ValidMessage(std::vector<Prefix>& prefixes)
{
    auto packet = Own(new ZPacket(0, false));
    auto prefixed = [&](int width, const std::function<void()>& put) {
        prefixes.push_back({packet->GetWritePosition(), width});
        put();
    };
    packet->PutUint8(0x01);
    packet->PutUint16(0x0203);
    packet->PutUint32(0x04050607ul);
    packet->PutUint64(0x08090A0B0C0D0E0Full);
    packet->PutBool(true);
    prefixed(4, [&] { packet->PutString(L"h\u00E9\U0001F600", LengthPrefix32); });
    prefixed(2, [&] { packet->PutString(L"ab", LengthPrefix16); });
    prefixed(1, [&] { packet->PutCString("cd", LengthPrefix8); });
    packet->PutString(L"\u20AC", NulTerminated);
    packet->PutString(L"line", CrLfTerminated);
    prefixed(4, [&] { packet->PutBytes("xyz", 3, LengthPrefix32); });
    auto inner = Own(new ZPacket(0, false));
    inner->PutUint16(0x1111);
    inner->PutUint32(0x22222222ul);
    inner->PutString(L"in", LengthPrefix8);
    prefixes.push_back({packet->GetWritePosition(), 4});
    prefixes.push_back({packet->GetWritePosition() + 10, 1});
    packet->PutPacket(inner.Get(), LengthPrefix32);
    return Contents(packet.Get());
}

// Variants that claim more (or other) bytes than there are.
std::vector<TestSupport::Mutation> InflatedPrefixes(const Bytes& good, const std::vector<Prefix>& prefixes)
{
    std::vector<TestSupport::Mutation> variants;
    for (const Prefix& p : prefixes) {
        uint64_t actual = 0;
        for (int i = 0; i < p.width; ++i)
            actual = (actual << 8) | good[p.offset + i];
        const uint64_t widthMax = p.width == 8 ? UINT64_MAX : (uint64_t(1) << (8 * p.width)) - 1;
        for (uint64_t value : {actual + 1, actual + 2, uint64_t(good.size()), widthMax, widthMax / 2 + 1,
                               uint64_t(0)}) {
            Bytes bytes = good;
            value &= widthMax;
            for (int i = p.width - 1; i >= 0; --i, value >>= 8)
                bytes[p.offset + i] = static_cast<unsigned char>(value);
            variants.push_back({bytes, "prefix at " + std::to_string(p.offset)});
        }
    }
    return variants;
}

// One input laid out in guarded memory in several ways.
struct Layout {
    Bytes input;
    size_t limit;  // set on every packet: SIZE_MAX, or the input's length, which must read like its end
    std::vector<std::unique_ptr<GuardedBuffer>> pieces;
    std::vector<ZUnknownPointer<ExternalBuffer>> buffers;

    Layout(const Bytes& bytes, std::vector<size_t> cuts, GuardedBuffer::Guard guard, size_t limit = SIZE_MAX)
        : input(bytes), limit(limit)
    {
        size_t from = 0;
        cuts.push_back(bytes.size());
        for (size_t to : cuts) {
            to = std::max(from, std::min(to, bytes.size()));
            pieces.push_back(std::make_unique<GuardedBuffer>(bytes.data() + from, to - from, guard));
            buffers.push_back(Own(new ExternalBuffer(pieces.back()->Data(), to - from)));
            from = to;
        }
    }

    ZUnknownPointer<ZPacket> Packet() const
    {
        auto packet = Own(new ZPacket(0, false));
        for (const auto& buffer : buffers)
            packet->AddBuffer(buffer.Get());
        packet->SetReadLimit(limit);
        return packet;
    }

    bool Owns(IBuffer* buffer) const
    {
        return std::any_of(buffers.begin(), buffers.end(), [&](const auto& b) { return b.Get() == buffer; });
    }

    // Bytes a read returned must be a run of the input.
    bool Holds(const std::string& found) const
    {
        const Bytes bytes(found.begin(), found.end());
        return bytes.empty() || std::search(input.begin(), input.end(), bytes.begin(), bytes.end()) != input.end();
    }
};

struct Snapshot {
    size_t readIndex, readOffset, readLimit, remaining;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(ZPacket* packet)
{
    auto state = Own(static_cast<ZPacketState*>(packet->SaveState()));
    return {state->m_readIndex, state->m_readOffset, state->m_readLimit, packet->GetRemaining()};
}

// Reads a text variant with `get`; a text read must be no longer than the input.
template <class Get>
bool ReadBstr(const Layout& in, Get get)
{
    VARIANT v;
    ::VariantInit(&v);
    const bool ok = get(v);
    if (ok) {
        EXPECT_LE(::SysStringLen(v.bstrVal), in.input.size());
    }
    ::VariantClear(&v);
    return ok;
}

// A reader returns false, or true after checking what it returned against the input.
using Reader = std::function<bool(ZPacket*, const Layout&)>;

std::vector<std::pair<std::string, Reader>> Readers()
{
    std::vector<std::pair<std::string, Reader>> readers = {
        {"u8", [](ZPacket* p, const Layout&) { unsigned char v; return p->GetUint8(v); }},
        {"bool", [](ZPacket* p, const Layout&) { bool v; return p->GetBool(v); }},
        {"u16", [](ZPacket* p, const Layout&) { unsigned short v; return p->GetUint16(v); }},
        {"u32", [](ZPacket* p, const Layout&) { unsigned long v; return p->GetUint32(v); }},
        {"u64", [](ZPacket* p, const Layout&) { unsigned __int64 v; return p->GetUint64(v); }},
        {"variant string",
         [](ZPacket* p, const Layout& in) { return ReadBstr(in, [&](VARIANT& v) { return p->GetString(v); }); }},
        {"variant ansi",
         [](ZPacket* p, const Layout& in) { return ReadBstr(in, [&](VARIANT& v) { return p->GetAnsiString(v); }); }},
        {"byte block", [](ZPacket* p, const Layout&) {
             unsigned char data[16];
             ZByteBlock block{sizeof data, data};
             std::fill(std::begin(data), std::end(data), 0xA5);
             const bool ok = p->GetBytes(block, LengthPrefix32);
             EXPECT_EQ(block.size, sizeof data);
             return ok;
         }},
        {"buffer LengthPrefix8", [](ZPacket* p, const Layout& in) {
             auto b = Own(new ZBasicBuffer(0, false));
             const bool ok = p->GetString(b.Get(), LengthPrefix8);
             EXPECT_TRUE(!ok || in.Holds(Text(b.Get())));
             return ok;
         }},
        {"ZString bytes LengthPrefix16", [](ZPacket* p, const Layout& in) {
             ZString s;
             const bool ok = p->GetBytes(s, LengthPrefix16);
             EXPECT_TRUE(!ok || in.Holds(s.str()));
             return ok;
         }},
        {"ZString text CrLfTerminated", [](ZPacket* p, const Layout& in) {
             ZString s;
             const bool ok = p->GetString(s, CrLfTerminated);
             EXPECT_TRUE(!ok || s.length() <= in.input.size() * 2);
             return ok;
         }},
        {"sub-packet LengthPrefix32", [](ZPacket* p, const Layout& in) {
             IPacket* raw = nullptr;
             if (!p->GetPacket(raw, LengthPrefix32))
                 return false;
             auto sub = Own(raw);
             EXPECT_LE(sub->GetRemaining(), in.input.size());
             IBuffer* buffer;
             size_t offset;
             auto state = Own(sub->SaveState());
             while (sub->GetNextBuffer(buffer, offset)) {
                 EXPECT_TRUE(in.Owns(buffer));  // shared, not copied
                 buffer->Release();
             }
             sub->RestoreState(state.Get());
             // Reading the part never goes beyond it.
             for (unsigned char b; sub->GetUint8(b);) {
             }
             EXPECT_EQ(sub->GetRemaining(), 0u);
             return true;
         }},
        {"skip LengthPrefix32",
         [](ZPacket* p, const Layout&) { size_t n = 0; return p->SkipString(n, LengthPrefix32); }},
        {"skip NulTerminated", [](ZPacket* p, const Layout&) { size_t n = 0; return p->SkipString(n, NulTerminated); }},
        {"find CR LF", [](ZPacket* p, const Layout&) {
             const size_t remaining = p->GetRemaining();
             size_t at, n;
             if (!p->FindString("\r\n", at, n))
                 return false;
             EXPECT_LT(at, remaining);
             EXPECT_LE(at + n, remaining);
             return p->Skip(at + 1);
         }},
        {"u32 at", [](ZPacket* p, const Layout& in) {
             unsigned long v;
             for (size_t at = 0; at <= in.input.size() + 1; ++at)
                 p->GetUint32At(v, at);
             return false;
         }},
        {"chunk with limit", [](ZPacket* p, const Layout& in) {
             const size_t before = p->GetRemaining();
             p->SetReadLimit(5);
             IBuffer* buffer;
             size_t offset, length = 0;
             const bool ok = p->GetNextChunk(buffer, offset, length);
             if (ok) {
                 EXPECT_TRUE(in.Owns(buffer));
                 EXPECT_LE(offset + length, buffer->GetDataLength());
                 buffer->Release();
             }
             p->SetReadLimit(in.limit == SIZE_MAX ? SIZE_MAX : before - (ok ? length : 0));
             return ok;
         }},
        {"unknown format", [](ZPacket* p, const Layout&) { return !!Narrow(p, LengthFormat(6), 1); }},
    };
    for (unsigned format = LengthPrefix32; format <= LengthGiven; ++format) {
        readers.push_back({std::string("bytes ") + FormatName(format), [format](ZPacket* p, const Layout& in) {
                               const auto s = Narrow(p, LengthFormat(format), 3);
                               EXPECT_TRUE(!s || in.Holds(*s));
                               return s.has_value();
                           }});
        readers.push_back({std::string("text ") + FormatName(format), [format](ZPacket* p, const Layout& in) {
                               const auto s = Wide(p, LengthFormat(format), 4);
                               EXPECT_TRUE(!s || s->size() <= in.input.size());
                               return s.has_value();
                           }});
    }
    return readers;
}

// Reads until the reader fails; a failure must leave everything as it was.
void Drain(ZPacket* packet, const Reader& read, const Layout& layout)
{
    for (int step = 0; step < 200; ++step) {
        const Snapshot before = Take(packet);
        if (!read(packet, layout)) {
            ASSERT_EQ(Take(packet), before);
            return;
        }
        ASSERT_LE(packet->GetRemaining(), before.remaining);
    }
}

// The reads the valid message was written for, in order, as far as they go.
void Script(ZPacket* packet, const Bytes& input)
{
    unsigned char u8;
    unsigned short u16;
    unsigned long u32;
    unsigned __int64 u64;
    bool flag;
    ZUnicodeString text;
    std::string bytes;
    IPacket* raw;
    const std::function<bool()> steps[] = {
        [&] { return packet->GetUint8(u8); },
        [&] { return packet->GetUint16(u16); },
        [&] { return packet->GetUint32(u32); },
        [&] { return packet->GetUint64(u64); },
        [&] { return packet->GetBool(flag); },
        [&] { return packet->GetString(text, LengthPrefix32); },
        [&] { return packet->GetString(text, LengthPrefix16); },
        [&] { return packet->GetString(bytes, LengthPrefix8); },
        [&] { return packet->GetString(text, NulTerminated); },
        [&] { return packet->GetString(text, CrLfTerminated); },
        [&] { return packet->GetString(bytes, LengthPrefix32); },
        [&] {
            if (!packet->GetPacket(raw, LengthPrefix32))
                return false;
            auto sub = Own(raw);
            EXPECT_LE(sub->GetRemaining(), input.size());
            sub->GetUint16(u16);
            sub->GetUint32(u32);
            sub->GetString(text, LengthPrefix8);
            return true;
        },
    };
    for (const auto& step : steps) {
        const Snapshot before = Take(packet);
        if (!step()) {
            ASSERT_EQ(Take(packet), before);
            return;
        }
    }
}

}  // namespace

TEST(PacketMutations, EveryReaderFailsCleanlyOrStaysInsideTheInput)
{
    std::vector<Prefix> prefixes;
    const Bytes good = ValidMessage(prefixes);
    ASSERT_EQ(good.size(), 64u);
    const auto readers = Readers();

    {
        // The unmutated message reads back whole.
        Layout layout(good, {}, GuardedBuffer::Guard::End);
        auto packet = layout.Packet();
        Script(packet.Get(), good);
        EXPECT_EQ(packet->GetRemaining(), 0u);
    }

    size_t inputs = 0;
    auto feed = [&](const TestSupport::Mutation& m) {
        ++inputs;
        SCOPED_TRACE(m.description);
        const size_t n = m.bytes.size();
        const Layout layouts[] = {
            Layout(m.bytes, {}, GuardedBuffer::Guard::End),
            Layout(m.bytes, {}, GuardedBuffer::Guard::Start),
            Layout(m.bytes, {n / 3, n / 3 + 1, 2 * n / 3}, GuardedBuffer::Guard::End, n),
        };
        for (const Layout& layout : layouts) {
            for (const auto& [name, read] : readers) {
                SCOPED_TRACE(name);
                auto packet = layout.Packet();
                Drain(packet.Get(), read, layout);
                if (HasFatalFailure())
                    return;
            }
            auto packet = layout.Packet();
            Script(packet.Get(), m.bytes);
            if (HasFatalFailure())
                return;
        }
    };
    TestSupport::Mutations mutations;
    mutations.ForEach(good, [&](const TestSupport::Mutation& m) {
        if (!HasFatalFailure())
            feed(m);
    });
    for (const auto& m : InflatedPrefixes(good, prefixes))
        if (!HasFatalFailure())
            feed(m);
    EXPECT_EQ(inputs, mutations.Count(good.size()) + prefixes.size() * 6);
    RecordProperty("mutated_inputs", static_cast<int>(inputs));
    std::printf("mutated inputs: %zu\n", inputs);
}
