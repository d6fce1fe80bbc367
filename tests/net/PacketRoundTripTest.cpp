// Seeded round trips: random sequences of puts over random buffer layouts, read back
// field by field, then the same byte stream re-read cut at every boundary. Together
// they cover integers, prefixes and UTF-8 sequences straddling buffers both ways.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/ZUTF8.h"
#include "foundation/ZUnicodeString.h"
#include "tests/net/PacketTestSupport.h"
#include "tests/support/SeededRandom.h"

using namespace PacketTest;
using TestSupport::SeededRandom;

namespace {

enum class Kind { U8, I8, Bool, U16, I16, U32, I32, U64, I64, Text, Bytes };

struct Field {
    Kind kind;
    uint64_t value = 0;
    std::wstring text;
    std::string bytes;
    LengthFormat format = LengthPrefix32;
};

const wchar_t* const kPieces[] = {L"a", L"Z", L"7", L" ", L"\u00E9", L"\u20AC", L"\u65E5", L"\U0001F600",
                                  L"\U00010348", L"\uFFFD"};

std::vector<Field> RandomFields(SeededRandom& random)
{
    std::vector<Field> fields(random.Between(1, 40));
    for (Field& f : fields) {
        f.kind = static_cast<Kind>(random.Between(0, 10));
        f.value = (uint64_t(random.Between(0, UINT32_MAX)) << 32) | random.Between(0, UINT32_MAX);
        f.format = LengthFormat(random.Between(0, 5));
        const size_t count = random.Between(0, 30);
        for (size_t i = 0; i < count; ++i) {
            f.text += kPieces[random.Between(0, std::size(kPieces) - 1)];
            // Terminated formats cannot carry their terminator inside the data.
            unsigned char byte = static_cast<unsigned char>(random.Between(0, 255));
            if ((f.format == NulTerminated && byte == 0) || (f.format == CrLfTerminated && byte == 0x0D))
                byte = 'x';
            f.bytes += static_cast<char>(byte);
        }
    }
    return fields;
}

void Put(IPacket* packet, const Field& f)
{
    switch (f.kind) {
    case Kind::U8: packet->PutUint8(static_cast<unsigned char>(f.value)); break;
    case Kind::I8: packet->PutInt8(static_cast<char>(f.value)); break;
    case Kind::Bool: packet->PutBool(f.value & 1); break;
    case Kind::U16: packet->PutUint16(static_cast<unsigned short>(f.value)); break;
    case Kind::I16: packet->PutInt16(static_cast<short>(f.value)); break;
    case Kind::U32: packet->PutUint32(static_cast<unsigned long>(f.value)); break;
    case Kind::I32: packet->PutInt32(static_cast<long>(f.value)); break;
    case Kind::U64: packet->PutUint64(f.value); break;
    case Kind::I64: packet->PutInt64(static_cast<__int64>(f.value)); break;
    case Kind::Text: ASSERT_TRUE(packet->PutString(f.text.c_str(), f.text.size(), f.format)); break;
    case Kind::Bytes: ASSERT_TRUE(packet->PutBytes(f.bytes.data(), f.bytes.size(), f.format)); break;
    }
}

void ExpectRead(IPacket* packet, const Field& f)
{
    switch (f.kind) {
    case Kind::U8: { unsigned char v; ASSERT_TRUE(packet->GetUint8(v)); EXPECT_EQ(v, static_cast<unsigned char>(f.value)); break; }
    case Kind::I8: { char v; ASSERT_TRUE(packet->GetInt8(v)); EXPECT_EQ(v, static_cast<char>(f.value)); break; }
    case Kind::Bool: { bool v; ASSERT_TRUE(packet->GetBool(v)); EXPECT_EQ(v, (f.value & 1) != 0); break; }
    case Kind::U16: { unsigned short v; ASSERT_TRUE(packet->GetUint16(v)); EXPECT_EQ(v, static_cast<unsigned short>(f.value)); break; }
    case Kind::I16: { short v; ASSERT_TRUE(packet->GetInt16(v)); EXPECT_EQ(v, static_cast<short>(f.value)); break; }
    case Kind::U32: { unsigned long v; ASSERT_TRUE(packet->GetUint32(v)); EXPECT_EQ(v, static_cast<unsigned long>(f.value)); break; }
    case Kind::I32: { long v; ASSERT_TRUE(packet->GetInt32(v)); EXPECT_EQ(v, static_cast<long>(f.value)); break; }
    case Kind::U64: { unsigned __int64 v; ASSERT_TRUE(packet->GetUint64(v)); EXPECT_EQ(v, f.value); break; }
    case Kind::I64: { __int64 v; ASSERT_TRUE(packet->GetInt64(v)); EXPECT_EQ(v, static_cast<__int64>(f.value)); break; }
    case Kind::Text: {
        ZUnicodeString v;
        const size_t length = ZEncodeUTF8(f.text.data(), f.text.size()).size();
        ASSERT_TRUE(packet->GetString(v, f.format, length));
        EXPECT_EQ(v.str(), f.text);
        break;
    }
    case Kind::Bytes: {
        std::string v;
        ASSERT_TRUE(packet->GetString(v, f.format, f.bytes.size()));
        EXPECT_EQ(v, f.bytes);
        break;
    }
    }
}

// The fields written into buffers the packet makes for itself.
Bytes Stream(const std::vector<Field>& fields, bool little)
{
    return Written(
        [&](IPacket* packet) {
            for (const Field& f : fields)
                Put(packet, f);
        },
        little);
}

void ExpectAll(IPacket* packet, const std::vector<Field>& fields)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "field " << i << " kind " << int(fields[i].kind) << " "
                                        << FormatName(fields[i].format));
        ExpectRead(packet, fields[i]);
        if (testing::Test::HasFatalFailure())
            return;
    }
    EXPECT_EQ(packet->GetRemaining(), 0u);
}

}  // namespace

TEST(PacketRoundTrip, RandomPutsOverRandomBufferLayouts)
{
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        SeededRandom random(seed);
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const std::vector<Field> fields = RandomFields(random);
        for (bool little : {false, true}) {
            auto packet = Own(new ZPacket(random.Between(0, 3) ? random.Between(1, 64) : 0, random.OneIn(2)));
            // Buffers of a few bytes each make integers, prefixes and UTF-8 sequences
            // straddle boundaries; the packet adds its own once they are full.
            for (uint32_t extra = random.Between(0, 12); extra > 0; --extra)
                packet->AddBuffer(Own(new ZBasicBuffer(random.Between(1, 9), false)).Get());
            if (little)
                packet->SetLittleEndian();
            for (const Field& f : fields)
                Put(packet.Get(), f);
            ASSERT_FALSE(HasFatalFailure());
            EXPECT_EQ(packet->GetWritePosition(), packet->GetTotalLength());
            EXPECT_EQ(Contents(packet.Get()), Stream(fields, little)) << "the same bytes whatever the layout";
            // Writes fill each buffer before they go on to the next.
            IBuffer* buffer;
            size_t offset;
            std::vector<bool> full;
            while (packet->GetNextBuffer(buffer, offset)) {
                if (buffer->GetDataLength())
                    full.push_back(buffer->GetDataLength() == buffer->GetCapacity());
                buffer->Release();
            }
            packet->Rewind();
            EXPECT_EQ(std::count(full.begin(), full.end(), false), full.empty() || full.back() ? 0 : 1);
            ExpectAll(packet.Get(), fields);
            ASSERT_FALSE(HasFatalFailure());
        }
    }
}

TEST(PacketRoundTrip, SameStreamCutAtEveryBoundary)
{
    for (uint32_t seed = 100; seed < 104; ++seed) {
        SeededRandom random(seed);
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const std::vector<Field> fields = RandomFields(random);
        for (bool little : {false, true}) {
            const Bytes stream = Stream(fields, little);
            for (size_t cut = 1; cut < stream.size(); ++cut) {
                SCOPED_TRACE(testing::Message() << "cut " << cut << (little ? " LE" : " BE"));
                // One cut, and the same cut with every later byte in a buffer of its own
                // neighbourhood: a one-byte buffer right after the cut.
                for (const std::vector<size_t>& cuts : {std::vector<size_t>{cut},
                                                        cut + 1 < stream.size() ? std::vector<size_t>{cut, cut + 1}
                                                                                : std::vector<size_t>{cut}}) {
                    auto packet = Chain(stream, cuts);
                    if (little)
                        packet->SetLittleEndian();
                    ExpectAll(packet.Get(), fields);
                    ASSERT_FALSE(HasFatalFailure());
                }
            }
        }
    }
}
