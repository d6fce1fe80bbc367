// Integer gets that take the in-buffer path: the chain changing under the read
// cursor, and buffers of other kinds (the read limit is PacketReaders' part).
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

std::optional<unsigned short> U16(IPacket* packet)
{
    unsigned short value;
    return packet->GetUint16(value) ? std::optional<unsigned short>(value) : std::nullopt;
}

}  // namespace

TEST(PacketFastPath, ReadAfterTheFirstBufferLeavesTheChain)
{
    auto packet = Chain({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {4, 8});
    ASSERT_TRUE(packet->Skip(4));
    EXPECT_EQ(U16(packet.Get()), 0x0506);  // the second buffer, at index 1
    IBuffer* first = packet->RemoveFirstBuffer();
    ASSERT_NE(first, nullptr);
    first->Release();
    ASSERT_TRUE(packet->Skip(2));
    EXPECT_EQ(U16(packet.Get()), 0x090A);  // index 1 now holds the third buffer
}

TEST(PacketFastPath, ReadFollowsABufferInsertedAtTheReadCursor)
{
    auto packet = Chain({1, 2, 3, 4, 5, 6, 7, 8}, {4});
    ASSERT_TRUE(packet->Skip(4));
    ASSERT_TRUE(U8(packet.Get()));  // the second buffer, at index 1
    ASSERT_TRUE(packet->Unread(1));
    packet->SetWriteToRead();
    auto inserted = Own(new ZBasicBuffer(3, false));
    inserted->AppendText("abc");
    ASSERT_TRUE(packet->PutBuffer(inserted.Get(), LengthGiven));
    EXPECT_EQ(U16(packet.Get()), 0x6162);
}

TEST(PacketFastPath, DerivedBuffersAreAskedForTheirLength)
{
    auto buffer = Own(new ShortReportingBuffer(16, false));
    const Bytes bytes = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6};
    buffer->Append(bytes.data(), bytes.size(), 0);
    auto packet = Own(new ZPacket(0, false));
    packet->AddBuffer(buffer.Get());
    for (unsigned short i = 1; i <= 4; ++i)
        EXPECT_EQ(U16(packet.Get()), i);
    EXPECT_FALSE(U16(packet.Get()));  // the buffer says it ends here
}
