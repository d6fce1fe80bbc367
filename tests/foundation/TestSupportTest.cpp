// The helpers the decoder tests rely on: a guard page that is really there, and the announced mutations.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/support/GuardedBuffer.h"
#include "tests/support/Mutations.h"

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

TEST(GuardedBuffer, WritableOutputAndWideText)
{
    GuardedBuffer output(10);
    EXPECT_EQ(std::vector<unsigned char>(output.Data(), output.Data() + 10), std::vector<unsigned char>(10, 0));

    const std::wstring wide = L"wide";
    GuardedBuffer units(wide);
    EXPECT_EQ(std::wstring(units.DataAs<wchar_t>(), wide.size()), wide);
    EXPECT_EQ(units.DataAs<wchar_t>() + wide.size(), units.GuardPage());
}

TEST(Mutations, CountsAndKindsAreTheAnnouncedOnes)
{
    const std::vector<unsigned char> input = {0x41, 0xC3, 0xA9, 0x00, 0xFF};
    TestSupport::Mutations mutations;
    mutations.randomVariants = 50;
    const size_t expected = input.size() * 8 + input.size() * mutations.values.size() + input.size() + 50;
    EXPECT_EQ(mutations.Count(input.size()), expected);

    size_t bitFlips = 0;
    std::set<size_t> prefixLengths;
    size_t visited = 0;
    const size_t count = mutations.ForEach(input, [&](const TestSupport::Mutation& m) {
        ++visited;
        if (m.description.rfind("bit ", 0) == 0) {
            ASSERT_EQ(m.bytes.size(), input.size());
            int differingBits = 0;
            for (size_t i = 0; i < input.size(); ++i)
                differingBits += __builtin_popcount(m.bytes[i] ^ input[i]);
            EXPECT_EQ(differingBits, 1) << m.description;
            ++bitFlips;
        } else if (m.description.rfind("prefix ", 0) == 0) {
            ASSERT_LT(m.bytes.size(), input.size());
            EXPECT_TRUE(std::equal(m.bytes.begin(), m.bytes.end(), input.begin())) << m.description;
            prefixLengths.insert(m.bytes.size());
        } else {
            EXPECT_EQ(m.bytes.size(), input.size()) << m.description;
        }
    });
    EXPECT_EQ(count, expected);
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(bitFlips, input.size() * 8);
    EXPECT_EQ(prefixLengths, (std::set<size_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(mutations.ForEach(std::vector<unsigned char>{}, [](const TestSupport::Mutation&) {}), 0u);
}

TEST(Mutations, RandomVariantsDependOnlyOnTheSeed)
{
    const std::vector<unsigned char> input(64, 0x20);
    TestSupport::Mutations mutations;
    mutations.bitFlips = mutations.byteValues = mutations.truncations = false;
    mutations.randomVariants = 40;
    const auto variants = [&] {
        std::vector<std::vector<unsigned char>> all;
        for (const TestSupport::Mutation& m : mutations.All(input))
            all.push_back(m.bytes);
        return all;
    };
    const auto first = variants();
    ASSERT_EQ(first.size(), 40u);
    EXPECT_EQ(variants(), first);
    EXPECT_LT(std::count(first.begin(), first.end(), input), 10) << "variants should mostly differ from the input";

    mutations.seed = 12345;
    const auto other = variants();
    int same = 0;
    for (size_t i = 0; i < first.size(); ++i)
        same += first[i] == other[i] ? 1 : 0;
    EXPECT_LT(same, 5) << "another seed should give other variants";
}

}  // namespace
