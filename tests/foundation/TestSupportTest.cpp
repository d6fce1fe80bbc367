// The guard page the decoder tests rely on to catch overruns is really there.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "tests/support/GuardedBuffer.h"

namespace {

using TestSupport::GuardedBuffer;

TEST(GuardedBuffer, TheByteBeyondEitherEndFaultsAndThePagesAreReleased)
{
    const size_t page = GuardedBuffer::PageSize();
    for (const auto guard : {GuardedBuffer::Guard::End, GuardedBuffer::Guard::Start}) {
        const bool atEnd = guard == GuardedBuffer::Guard::End;
        for (size_t size : {size_t(0), size_t(1), size_t(7), page - 1, page, page + 1, 3 * page + 5}) {
            if (!atEnd && size == 0)
                continue;  // no bytes: Data() is the guard page itself
            SCOPED_TRACE(testing::Message() << (atEnd ? "end" : "start") << " guard, size " << size);
            std::vector<unsigned char> bytes(size);
            for (size_t i = 0; i < size; ++i)
                bytes[i] = static_cast<unsigned char>(i * 31 + 7);
            const void* guardPage = nullptr;
            {
                GuardedBuffer buffer(bytes, guard);
                ASSERT_EQ(buffer.Size(), size);
                EXPECT_EQ(std::vector<unsigned char>(buffer.Data(), buffer.Data() + size), bytes);
                unsigned char* beyond = atEnd ? buffer.Data() + size : buffer.Data() - 1;
                guardPage = buffer.GuardPage();
                EXPECT_EQ(guardPage, atEnd ? beyond : buffer.Data() - page);
                EXPECT_EQ(reinterpret_cast<uintptr_t>(guardPage) % page, 0u);
                EXPECT_TRUE(GuardedBuffer::IsNoAccess(beyond));
                EXPECT_TRUE(::IsBadReadPtr(beyond, 1)) << "the byte beyond the data must fault";
            }
            MEMORY_BASIC_INFORMATION info{};
            ASSERT_EQ(::VirtualQuery(guardPage, &info, sizeof info), sizeof info);
            EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE)) << "the buffer's pages are released";
        }
    }
}

}  // namespace
