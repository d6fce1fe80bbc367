// Packet reads: every Get* drained over the input (as one buffer and as a chain
// cut in three, each piece against its own no-access page), nested packets
// drained the same way, and a message's own read sequence, whose first failing
// step is the outcome.
#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "foundation/ZString.h"
#include "fuzz/FuzzHarness.h"
#include "tests/net/PacketTestSupport.h"

namespace {

using PacketTest::Own;
using Reader = std::function<bool(IPacket*)>;

std::vector<Reader> MakeReaders()
{
    std::vector<Reader> readers = {
        [](IPacket* p) { unsigned char v; return p->GetUint8(v); },
        [](IPacket* p) { char v; return p->GetInt8(v); },
        [](IPacket* p) { bool v; return p->GetBool(v); },
        [](IPacket* p) { short v; return p->GetInt16(v); },
        [](IPacket* p) { unsigned short v; return p->GetUint16(v); },
        [](IPacket* p) { long v; return p->GetInt32(v); },
        [](IPacket* p) { unsigned long v; return p->GetUint32(v); },
        [](IPacket* p) { __int64 v; return p->GetInt64(v); },
        [](IPacket* p) { unsigned __int64 v; return p->GetUint64(v); },
        [](IPacket* p) { VARIANT v; ::VariantInit(&v); const bool ok = p->GetInt32(v); ::VariantClear(&v); return ok; },
        [](IPacket* p) { VARIANT v; ::VariantInit(&v); const bool ok = p->GetUint32(v); ::VariantClear(&v); return ok; },
        [](IPacket* p) { VARIANT v; ::VariantInit(&v); const bool ok = p->GetAnsiString(v); ::VariantClear(&v); return ok; },
        [](IPacket* p) { VARIANT v; ::VariantInit(&v); const bool ok = p->GetString(v); ::VariantClear(&v); return ok; },
        [](IPacket* p) { unsigned long v; return p->GetUint32At(v, 1) && p->Skip(1); },
    };
    for (LengthFormat f : {LengthPrefix32, LengthPrefix16, LengthPrefix8, NulTerminated, CrLfTerminated}) {
        readers.push_back([f](IPacket* p) { ZUnicodeString v; return p->GetString(v, f); });
        readers.push_back([f](IPacket* p) { std::string v; return p->GetString(v, f); });
        readers.push_back([f](IPacket* p) { ZString v; return p->GetString(v, f); });
        readers.push_back([f](IPacket* p) { ZString v; return p->GetBytes(v, f); });
        // Skipping leaves a terminator unread; the reader takes it too.
        readers.push_back([f](IPacket* p) {
            size_t v;
            return p->SkipString(v, f) && p->Skip(f == NulTerminated ? 1 : f == CrLfTerminated ? 2 : 0);
        });
        readers.push_back([f](IPacket* p) {
            auto target = Own(new ZPacket(0, false));
            return p->GetString(static_cast<IPacket*>(target.Get()), f);
        });
    }
    // Lengths given by the caller, taken from the next byte; a failed read
    // puts that byte back.
    const auto givenLength = [](IPacket* p, const std::function<bool(unsigned char)>& read) {
        auto state = Own(p->SaveState());
        unsigned char n;
        if (p->GetUint8(n) && read(n))
            return true;
        p->RestoreState(state.Get());
        return false;
    };
    readers.push_back([givenLength](IPacket* p) {
        return givenLength(p, [p](unsigned char n) { ZUnicodeString v; return p->GetString(v, LengthGiven, n); });
    });
    readers.push_back([givenLength](IPacket* p) {
        return givenLength(p, [p](unsigned char n) {
            unsigned char bytes[256];
            ZByteBlock block{n, bytes};
            return p->GetBytes(block, LengthGiven);
        });
    });
    return readers;
}

const std::vector<Reader>& Readers()
{
    static const std::vector<Reader> readers = MakeReaders();
    return readers;
}

// Reads until the reader fails; every success must consume, and a failure must
// leave the cursor where it was.
void Drain(IPacket* packet, const Reader& read, size_t inputSize, size_t reader)
{
    for (size_t step = 0;; ++step) {
        const size_t before = packet->GetRemaining();
        if (!read(packet)) {
            if (packet->GetRemaining() != before)
                throw std::logic_error("failed read moved the cursor, reader " + std::to_string(reader));
            return;
        }
        if (packet->GetRemaining() >= before || step > inputSize)
            throw std::logic_error("a read succeeded without consuming, reader " + std::to_string(reader));
    }
}

// Nested packets: the first one found is drained by every reader, later ones
// are only taken.
Reader NestedReader(LengthFormat format, size_t inputSize)
{
    return [format, inputSize, first = true](IPacket* p) mutable {
        IPacket* raw = nullptr;
        if (!p->GetPacket(raw, format))
            return false;
        auto sub = Own(raw);
        if (sub->GetRemaining() > inputSize)
            throw std::logic_error("nested packet larger than the input");
        if (first)
            for (size_t i = 0; i < Readers().size(); ++i)
                Drain(sub.Get(), Readers()[i], inputSize, i);
        first = false;
        return true;
    };
}

constexpr size_t kMaxInput = 4096;

// The pieces of one input, each ending at a no-access page of its own slot.
struct Layout {
    std::vector<ZUnknownPointer<PacketTest::ExternalBuffer>> buffers;
    Layout(const unsigned char* bytes, size_t size, std::vector<size_t> cuts)
    {
        static std::vector<std::unique_ptr<Fuzz::GuardedSlot>> slots;
        size_t from = 0;
        cuts.push_back(size);
        for (size_t i = 0; i < cuts.size(); ++i) {
            const size_t to = std::max(from, std::min(cuts[i], size));
            if (slots.size() <= i)
                slots.push_back(std::make_unique<Fuzz::GuardedSlot>(kMaxInput));
            buffers.push_back(Own(new PacketTest::ExternalBuffer(slots[i]->Place(bytes + from, to - from), to - from)));
            from = to;
        }
    }
    // Over the caller's bytes, already guarded.
    Layout(const unsigned char* bytes, size_t size)
    {
        buffers.push_back(Own(new PacketTest::ExternalBuffer(const_cast<unsigned char*>(bytes), size)));
    }
    ZUnknownPointer<ZPacket> Packet(size_t limit) const
    {
        auto packet = Own(new ZPacket(0, false));
        for (const auto& buffer : buffers)
            packet->AddBuffer(buffer.Get());
        packet->SetReadLimit(limit);
        return packet;
    }
};

// The message's own read sequence: the index of the first step that fails.
std::string Script(IPacket* packet)
{
    unsigned char u8;
    unsigned short u16;
    unsigned long u32;
    unsigned __int64 u64;
    bool flag;
    ZUnicodeString text;
    std::string narrow;
    ZString bytes;
    IPacket* raw = nullptr;
    const std::function<bool()> steps[] = {
        [&] { return packet->GetUint8(u8); },
        [&] { return packet->GetUint16(u16); },
        [&] { return packet->GetUint32(u32); },
        [&] { return packet->GetUint64(u64); },
        [&] { return packet->GetBool(flag); },
        [&] { return packet->GetString(text, LengthPrefix32); },
        [&] { return packet->GetString(text, LengthPrefix16); },
        [&] { return packet->GetString(narrow, LengthPrefix8); },
        [&] { return packet->GetString(text, NulTerminated); },
        [&] { return packet->GetString(text, CrLfTerminated); },
        [&] { return packet->GetBytes(bytes, LengthPrefix32); },
        [&] {
            if (!packet->GetPacket(raw, LengthPrefix32))
                return false;
            auto sub = Own(raw);
            return sub->GetUint16(u16) && sub->GetUint32(u32) && sub->GetString(text, LengthPrefix8) &&
                   sub->GetRemaining() == 0;
        },
    };
    for (size_t i = 0; i < std::size(steps); ++i)
        if (!steps[i]())
            return "refused at step " + std::to_string(i);
    return packet->GetRemaining() == 0 ? "accepted" : "accepted, bytes left";
}

std::string Run(const unsigned char* bytes, size_t size)
{
    const Layout whole(bytes, size);
    const Layout cut(bytes, size, {size / 3, size / 3 + 1, 2 * size / 3});
    for (const Layout* layout : {&whole, &cut}) {
        const size_t limit = layout == &cut ? size : SIZE_MAX;
        for (size_t i = 0; i < Readers().size(); ++i)
            Drain(layout->Packet(limit).Get(), Readers()[i], size, i);
        for (LengthFormat format : {LengthPrefix32, LengthPrefix16, LengthPrefix8})
            Drain(layout->Packet(limit).Get(), NestedReader(format, size), size, 100 + format);
    }
    std::string outcome = Script(whole.Packet(SIZE_MAX).Get());
    if (Script(cut.Packet(size).Get()) != outcome)
        throw std::logic_error("the chain reads differently from the whole");
    return outcome;
}

Fuzz::Bytes Message(const wchar_t* first, const char* narrow, const wchar_t* last)
{
    auto packet = Own(new ZPacket(0, false));
    packet->PutUint8(0x01);
    packet->PutUint16(0x0203);
    packet->PutUint32(0x04050607ul);
    packet->PutUint64(0x08090A0B0C0D0E0Full);
    packet->PutBool(true);
    packet->PutString(first, LengthPrefix32);
    packet->PutString(L"ab", LengthPrefix16);
    packet->PutCString(narrow, LengthPrefix8);
    packet->PutString(L"\u20AC", NulTerminated);
    packet->PutString(last, CrLfTerminated);
    packet->PutBytes("xyz", 3, LengthPrefix32);
    auto inner = Own(new ZPacket(0, false));
    inner->PutUint16(0x1111);
    inner->PutUint32(0x22222222ul);
    inner->PutString(L"in", LengthPrefix8);
    packet->PutPacket(inner.Get(), LengthPrefix32);
    return PacketTest::Contents(packet.Get());
}

}  // namespace

int main()
{
    Fuzz::Target target{"packets", Run,
                        [] {
                            return std::vector<Fuzz::Bytes>{
                                Message(L"h\u00E9\U0001F600", "cd", L"line"),
                                Message(L"", "", L""),
                                Message(L"a longer text \u4e2d\u6587 with more bytes", "narrow", L"x y"),
                            };
                        },
                        kMaxInput};
    return Fuzz::RunFuzzer(target);
}
