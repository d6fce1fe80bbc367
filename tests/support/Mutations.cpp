#include "tests/support/Mutations.h"

#include <cstdio>

namespace TestSupport {

namespace {

template <class... Args>
std::string Describe(const char* format, Args... args)
{
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

}  // namespace

size_t Mutations::Count(size_t inputSize) const
{
    if (inputSize == 0) return 0;
    size_t count = 0;
    if (bitFlips) count += inputSize * 8;
    if (byteValues) count += inputSize * values.size();
    if (truncations) count += inputSize;
    return count + randomVariants;
}

size_t Mutations::ForEach(const std::vector<unsigned char>& input,
                          const std::function<void(const Mutation&)>& visit) const
{
    if (input.empty()) return 0;
    size_t count = 0;
    Mutation variant;
    variant.bytes = input;

    if (bitFlips) {
        for (size_t i = 0; i < input.size(); ++i) {
            for (unsigned bit = 0; bit < 8; ++bit) {
                variant.bytes[i] = static_cast<unsigned char>(input[i] ^ (1u << bit));
                variant.description = Describe("bit %zu.%u", i, bit);
                visit(variant);
                ++count;
            }
            variant.bytes[i] = input[i];
        }
    }
    if (byteValues) {
        for (size_t i = 0; i < input.size(); ++i) {
            for (unsigned char value : values) {
                variant.bytes[i] = value;
                variant.description = Describe("byte %zu = %02X", i, static_cast<unsigned>(value));
                visit(variant);
                ++count;
            }
            variant.bytes[i] = input[i];
        }
    }
    if (truncations) {
        for (size_t length = 0; length < input.size(); ++length) {
            Mutation prefix{std::vector<unsigned char>(input.begin(), input.begin() + length),
                            Describe("prefix %zu", length)};
            visit(prefix);
            ++count;
        }
    }
    SeededRandom random(seed);
    for (size_t n = 0; n < randomVariants; ++n) {
        variant.bytes = input;
        const uint32_t changes = random.Between(2, 4);
        for (uint32_t c = 0; c < changes; ++c) {
            const size_t at = random.Between(0, static_cast<uint32_t>(input.size() - 1));
            if (random.OneIn(2))
                variant.bytes[at] = static_cast<unsigned char>(random.Between(0, 255));
            else
                variant.bytes[at] ^= static_cast<unsigned char>(1u << random.Between(0, 7));
        }
        variant.description = Describe("random %zu (seed %08X)", n, static_cast<unsigned>(seed));
        visit(variant);
        ++count;
    }
    return count;
}

std::vector<Mutation> Mutations::All(const std::vector<unsigned char>& input) const
{
    std::vector<Mutation> all;
    all.reserve(Count(input.size()));
    ForEach(input, [&](const Mutation& m) { all.push_back(m); });
    return all;
}

}  // namespace TestSupport
