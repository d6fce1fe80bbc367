// The fuzz runs' inputs: the deterministic walk over each corpus entry, random
// variants that depend only on the seed and the index (so a finding can be
// made again), and the size limit.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "fuzz/FuzzMutator.h"
#include "tests/support/Mutations.h"

namespace {

using Bytes = Fuzz::Mutator::Bytes;

std::vector<Bytes> Inputs(Fuzz::Mutator& mutator, uint64_t from, uint64_t to, uint64_t step = 1)
{
    std::vector<Bytes> inputs;
    Bytes input;
    std::string description;
    for (uint64_t i = from; i < to; i += step) {
        mutator.Make(i, input, description);
        inputs.push_back(input);
    }
    return inputs;
}

}  // namespace

TEST(FuzzMutator, EvenInputsWalkFlipsValuesAndEveryPrefixOfSmallEntries)
{
    const Bytes small = {0x10, 0x20, 0x30};
    const Bytes large(Fuzz::Mutator::kTruncateAllUpTo + 1, 0x41);
    const size_t values = TestSupport::Mutations().values.size();
    const size_t smallVariants = small.size() * (8 + values) + small.size();
    const size_t largeVariants = large.size() * (8 + values);
    Fuzz::Mutator mutator({small, large}, 4096, 1);
    const std::vector<Bytes> walk = Inputs(mutator, 0, 2 * (smallVariants + largeVariants), 2);

    EXPECT_EQ(walk[0], (Bytes{0x11, 0x20, 0x30}));   // bit 0.0
    EXPECT_EQ(walk[23], (Bytes{0x10, 0x20, 0xB0}));  // bit 2.7
    EXPECT_EQ(walk[24], (Bytes{0x00, 0x20, 0x30}));  // byte 0 = the first boundary value
    for (size_t length = 0; length < small.size(); ++length)
        EXPECT_EQ(walk[smallVariants - small.size() + length], Bytes(small.begin(), small.begin() + length));
    // The large entry is never cut: every variant keeps its length.
    for (size_t i = smallVariants; i < walk.size(); ++i)
        ASSERT_EQ(walk[i].size(), large.size()) << i;
}

TEST(FuzzMutator, RandomInputsFollowFromSeedAndIndexAloneAndKeepTheLimit)
{
    const std::vector<Bytes> corpus = {Bytes(40, 0x55), Bytes{1, 2, 3, 4, 5, 6, 7, 8}};
    Fuzz::Mutator first(corpus, 64, 7), again(corpus, 64, 7), other(corpus, 64, 8);
    const std::vector<Bytes> a = Inputs(first, 1, 2001, 2);
    // Made out of order, by a fresh mutator: the same inputs.
    std::vector<Bytes> b = Inputs(again, 1001, 2001, 2), rest = Inputs(again, 1, 1001, 2);
    b.insert(b.begin(), rest.begin(), rest.end());
    EXPECT_EQ(a, b);
    EXPECT_NE(a, Inputs(other, 1, 2001, 2));

    std::set<std::string> distinct;
    for (const Bytes& input : a)
        distinct.emplace(input.begin(), input.end());
    EXPECT_GT(distinct.size(), a.size() / 2);
    for (const Bytes& input : a)
        ASSERT_LE(input.size(), 64u);
}
