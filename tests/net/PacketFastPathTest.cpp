// Integer puts and gets that take the in-buffer path: the chain changing under a
// cursor, buffers of other kinds, and values that end exactly at a buffer's end.
#include <gtest/gtest.h>

#include "tests/net/PacketTestSupport.h"

using namespace PacketTest;

namespace {

// A ZBasicBuffer that reports four bytes fewer than it holds: the packet must
// ask it, not read the base class's fields behind its back.
class ShortReportingBuffer : public ZBasicBuffer {
public:
    using ZBasicBuffer::ZBasicBuffer;
    size_t GetDataLength() const override { return ZBasicBuffer::GetDataLength() - 4; }
};

}  // namespace

TEST(PacketFastPath, ReadAfterTheFirstBufferLeavesTheChain)
{
    auto packet = ChainCutAt({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {4, 8});
    ASSERT_TRUE(packet->Skip(4));
    unsigned short half = 0;
    ASSERT_TRUE(packet->GetUint16(half));  // the second buffer, at index 1
    EXPECT_EQ(half, 0x0506);
    IBuffer* first = packet->RemoveFirstBuffer();
    ASSERT_NE(first, nullptr);
    first->Release();
    ASSERT_TRUE(packet->Skip(2));
    // Index 1 now holds the third buffer.
    ASSERT_TRUE(packet->GetUint16(half));
    EXPECT_EQ(half, 0x090A);
}

TEST(PacketFastPath, ReadFollowsABufferInsertedAtTheReadCursor)
{
    auto packet = ChainCutAt({1, 2, 3, 4, 5, 6, 7, 8}, {4});
    ASSERT_TRUE(packet->Skip(4));
    unsigned char byte = 0;
    ASSERT_TRUE(packet->GetUint8(byte));  // the second buffer, at index 1
    ASSERT_TRUE(packet->Unread(1));
    packet->SetWriteToRead();
    auto inserted = Own(new ZBasicBuffer(3, false));
    inserted->Append(Utf8("abc").data(), 3, 0);
    ASSERT_TRUE(packet->PutBuffer(inserted.Get(), LengthGiven));
    unsigned short value = 0;
    ASSERT_TRUE(packet->GetUint16(value));
    EXPECT_EQ(value, 0x6162);
}

TEST(PacketFastPath, WritesFollowAnInsertedBuffer)
{
    auto packet = Own(new ZPacket(16, false));
    packet->PutUint16(0x0102);
    auto inserted = Own(new ZBasicBuffer(8, false));
    inserted->Append(Utf8("ab").data(), 2, 0);
    ASSERT_TRUE(packet->PutBuffer(inserted.Get(), LengthGiven));
    packet->PutUint16(0x0304);  // into the inserted buffer's spare room
    EXPECT_EQ(Contents(packet.Get()), (Bytes{0x01, 0x02, 'a', 'b', 0x03, 0x04}));
    EXPECT_EQ(inserted->GetDataLength(), 4u);
}

TEST(PacketFastPath, ValuesEndingAtTheBufferEnd)
{
    struct Case {
        size_t capacity;
        int puts;
    };
    const Case cases[] = {{4, 1}, {8, 2}, {12, 3}, {9, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capacity);
        auto packet = Own(new ZPacket(c.capacity, false));
        for (int i = 0; i < c.puts; ++i)
            packet->PutUint32(static_cast<unsigned long>(0x01020304u * (i + 1)));
        EXPECT_EQ(packet->GetTotalLength(), static_cast<size_t>(4 * c.puts));
        for (int i = 0; i < c.puts; ++i) {
            unsigned long value = 0;
            ASSERT_TRUE(packet->GetUint32(value));
            EXPECT_EQ(value, 0x01020304u * (i + 1));
        }
        unsigned char extra;
        EXPECT_FALSE(packet->GetUint8(extra));
        EXPECT_EQ(packet->GetRemaining(), 0u);
    }
}

TEST(PacketFastPath, DerivedBuffersAreAskedForTheirLength)
{
    auto buffer = Own(new ShortReportingBuffer(16, false));
    const Bytes bytes = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6};
    buffer->Append(bytes.data(), bytes.size(), 0);
    auto packet = Own(new ZPacket(0, false));
    packet->AddBuffer(buffer.Get());
    unsigned short value = 0;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(packet->GetUint16(value));
    EXPECT_EQ(value, 4);
    EXPECT_FALSE(packet->GetUint16(value));  // the buffer says it ends here
}

TEST(PacketFastPath, LimitedReadsStopAtTheLimit)
{
    auto packet = Chain({0, 1, 0, 2, 0, 3, 0, 4, 0, 5});
    packet->SetReadLimit(5);
    unsigned short value = 0;
    ASSERT_TRUE(packet->GetUint16(value));
    ASSERT_TRUE(packet->GetUint16(value));
    EXPECT_EQ(value, 2);
    EXPECT_FALSE(packet->GetUint16(value));
    unsigned char last = 0;
    ASSERT_TRUE(packet->GetUint8(last));
    EXPECT_EQ(packet->GetRemaining(), 0u);
}
