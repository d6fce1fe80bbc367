// ZBasicBuffer: exact growth, reserves, data length bounds.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "net/ZBasicBuffer.h"
#include "tests/net/PacketTestSupport.h"

using namespace PacketTest;

TEST(BasicBuffer, GrowsExactlyToLengthPlusAppendPlusReserve)
{
    struct Case { size_t capacity, filled, append, reserve; size_t capacityAfter; } cases[] = {
        {0, 0, 5, 0, 5},          // from nothing, no doubling
        {0, 0, 5, 10, 15},
        {8, 3, 5, 100, 8},        // fits: the reserve is not honoured by growing
        {8, 3, 6, 0, 9},          // one byte short: exactly what is needed
        {8, 3, 6, 7, 16},
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
        EXPECT_EQ(at, buffer->GetData() + c.filled);
        EXPECT_EQ(Text(buffer.Get()), old + added);
    }
}

TEST(BasicBuffer, SpaceWithoutDataIsZeroNotLeftovers)
{
    auto buffer = Own(new ZBasicBuffer(16, false));
    buffer->AppendText("secret-secret");
    buffer->SetDataLength(0);
    // The same storage is handed out again without data: it must not show old bytes.
    unsigned char* at = static_cast<unsigned char*>(buffer->Append(nullptr, 10, 0));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(at), 10), std::string(10, '\0'));
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
    EXPECT_EQ(Text(buffer.Get()), "abcdbcd");
}

TEST(BasicBuffer, TextAndWideFormsAppendTheirBytes)
{
    auto buffer = Own(new ZBasicBuffer(0, false));
    buffer->AppendText("ab");
    const char raw[] = {'c', '\0', 'd'};
    buffer->Append(raw, 3, 0);
    buffer->AppendWide(L"\u00E9Z", 2, 0);
    EXPECT_EQ(Text(buffer.Get()), std::string("abc\0d\xE9\0Z\0", 9));
}

TEST(BasicBuffer, DataLengthUpToCapacityOnly)
{
    auto buffer = Own(new ZBasicBuffer(32, false));
    buffer->SetDataLength(32);
    EXPECT_EQ(buffer->GetDataLength(), 32u);
    try {
        buffer->SetDataLength(33);
        FAIL() << "no exception";
    } catch (const std::overflow_error& e) {
        EXPECT_STREQ(e.what(), "SetDataLength");
    }
    EXPECT_EQ(buffer->GetDataLength(), 32u);
}
