// ZBasicBuffer: exact growth, reserves, data length bounds.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "net/ZBasicBuffer.h"
#include "tests/net/PacketTestSupport.h"

using PacketTest::Own;

TEST(BasicBuffer, StartsEmptyWithTheCapacityAsked)
{
    auto none = Own(new ZBasicBuffer(0, false));
    EXPECT_EQ(none->GetData(), nullptr);
    EXPECT_EQ(none->GetCapacity(), 0u);
    EXPECT_EQ(none->GetDataLength(), 0u);

    auto some = Own(new ZBasicBuffer(64, true));
    EXPECT_NE(some->GetData(), nullptr);
    EXPECT_EQ(some->GetCapacity(), 64u);
    EXPECT_EQ(some->GetDataLength(), 0u);
}

TEST(BasicBuffer, GrowsExactlyToLengthPlusAppendPlusReserve)
{
    struct Case {
        size_t capacity, filled, append, reserve;
        size_t capacityAfter;
    } cases[] = {
        {0, 0, 5, 0, 5},          // from nothing, no doubling
        {0, 0, 5, 10, 15},
        {8, 3, 5, 100, 8},        // fits: the reserve is not honoured by growing
        {8, 3, 6, 0, 9},          // one byte short: exactly what is needed
        {8, 3, 6, 7, 16},
        {8, 8, 0, 0, 8},          // nothing to append, no reserve
        {8, 8, 0, 4, 12},         // Append(nullptr, 0, n) reserves n
        {8, 4, 0, 4, 8},          // ... unless it already has the room
        {8, 4, 0, 5, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.capacity << "/" << c.filled << " +" << c.append << " r" << c.reserve);
        auto buffer = Own(new ZBasicBuffer(c.capacity, false));
        std::string old(c.filled, 'o');
        buffer->Append(old.data(), old.size(), 0);
        const std::string added(c.append, 'n');
        unsigned char* at = static_cast<unsigned char*>(buffer->Append(added.data(), added.size(), c.reserve));
        EXPECT_EQ(buffer->GetCapacity(), c.capacityAfter);
        EXPECT_EQ(buffer->GetDataLength(), c.filled + c.append);
        EXPECT_EQ(at, buffer->GetData() + c.filled);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer->GetData()), buffer->GetDataLength()), old + added);
    }
}

TEST(BasicBuffer, SpaceWithoutDataIsZeroNotLeftovers)
{
    auto buffer = Own(new ZBasicBuffer(16, false));
    buffer->AppendText("secret-secret");
    buffer->SetDataLength(0);
    // The same storage is handed out again without data: it must not show old bytes.
    unsigned char* at = static_cast<unsigned char*>(buffer->Append(nullptr, 10, 0));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(at[i], 0) << i;
    // A grown block holds zeros beyond the data.
    buffer->Append(nullptr, 0, 100);
    EXPECT_GE(buffer->GetCapacity(), 110u);
    for (size_t i = buffer->GetDataLength(); i < buffer->GetCapacity(); ++i)
        ASSERT_EQ(buffer->GetData()[i], 0) << i;
}

TEST(BasicBuffer, AppendingItsOwnBytesWhileGrowingCopiesThemRight)
{
    auto buffer = Own(new ZBasicBuffer(4, true));
    buffer->AppendText("abcd");
    buffer->Append(buffer->GetData() + 1, 3, 0);  // forces growth, source inside the old block
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer->GetData()), buffer->GetDataLength()), "abcdbcd");
}

TEST(BasicBuffer, TextAndWideFormsAppendTheirBytes)
{
    auto buffer = Own(new ZBasicBuffer(0, false));
    buffer->AppendText("ab");
    const char raw[] = {'c', '\0', 'd'};
    buffer->Append(raw, 3, 0);
    buffer->AppendWide(L"\u00E9Z", 2, 0);
    const unsigned char expected[] = {'a', 'b', 'c', 0, 'd', 0xE9, 0x00, 'Z', 0x00};
    ASSERT_EQ(buffer->GetDataLength(), sizeof expected);
    EXPECT_EQ(std::memcmp(buffer->GetData(), expected, sizeof expected), 0);
}

TEST(BasicBuffer, DataLengthUpToCapacityOnly)
{
    auto buffer = Own(new ZBasicBuffer(32, false));
    buffer->SetDataLength(32);
    EXPECT_EQ(buffer->GetDataLength(), 32u);
    buffer->SetDataLength(0);
    EXPECT_EQ(buffer->GetDataLength(), 0u);
    try {
        buffer->SetDataLength(33);
        FAIL() << "no exception";
    } catch (const std::overflow_error& e) {
        EXPECT_STREQ(e.what(), "SetDataLength");
    }
    EXPECT_EQ(buffer->GetDataLength(), 0u);
}

