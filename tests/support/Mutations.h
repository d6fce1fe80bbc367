// Deterministic mutations of a known-good input, for robustness tests of parsers
// and decoders: each reader must accept every variant or reject it cleanly, and
// never read outside it (feed m.bytes through a GuardedBuffer inside ForEach,
// with SCOPED_TRACE(m.description)).
// Variants, in this order: every single-bit flip (8 per byte); every byte set to
// each value of `values`; every proper prefix, the empty one included; then
// `randomVariants` copies with 2 to 4 random positions either set to a random
// byte or given a random bit flip, drawn from `seed`. Count() tells in advance
// how many ForEach produces. An empty input has no variants.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/SeededRandom.h"

namespace TestSupport {

struct Mutation {
    std::vector<unsigned char> bytes;
    std::string description;  // e.g. "bit 12.3", "byte 5 = C0", "prefix 7", "random 41"
};

class Mutations {
public:
    bool bitFlips = true;
    bool byteValues = true;
    bool truncations = true;
    size_t randomVariants = 256;
    uint32_t seed = kDefaultSeed;
    // Values that sit on boundaries of common encodings: zero, ASCII and UTF-8
    // lead/continuation limits, bytes never valid in UTF-8, all ones.
    std::vector<unsigned char> values = {0x00, 0x01, 0x0A, 0x7F, 0x80, 0xBF, 0xC0, 0xC2,
                                         0xDF, 0xE0, 0xEF, 0xF0, 0xF4, 0xF5, 0xF8, 0xFF};

    // Calls `visit` once per variant; returns the number of variants.
    size_t ForEach(const std::vector<unsigned char>& input, const std::function<void(const Mutation&)>& visit) const
    {
        if (input.empty())
            return 0;
        Mutation variant{input, {}};
        size_t count = 0;
        const auto visitAs = [&](const char* format, auto... args) {
            char text[64];
            std::snprintf(text, sizeof text, format, args...);
            variant.description = text;
            visit(variant);
            ++count;
        };
        for (size_t i = 0; i < input.size(); ++i) {
            for (unsigned bit = 0; bitFlips && bit < 8; ++bit) {
                variant.bytes[i] = static_cast<unsigned char>(input[i] ^ (1u << bit));
                visitAs("bit %zu.%u", i, bit);
            }
            variant.bytes[i] = input[i];
        }
        for (size_t i = 0; byteValues && i < input.size(); ++i) {
            for (unsigned char value : values) {
                variant.bytes[i] = value;
                visitAs("byte %zu = %02X", i, static_cast<unsigned>(value));
            }
            variant.bytes[i] = input[i];
        }
        for (size_t length = 0; truncations && length < input.size(); ++length) {
            variant.bytes.assign(input.begin(), input.begin() + length);
            visitAs("prefix %zu", length);
        }
        SeededRandom random(seed);
        for (size_t n = 0; n < randomVariants; ++n) {
            variant.bytes = input;
            for (uint32_t c = 0, changes = random.Between(2, 4); c < changes; ++c) {
                const size_t at = random.Between(0, static_cast<uint32_t>(input.size() - 1));
                if (random.OneIn(2))
                    variant.bytes[at] = static_cast<unsigned char>(random.Between(0, 255));
                else
                    variant.bytes[at] ^= static_cast<unsigned char>(1u << random.Between(0, 7));
            }
            visitAs("random %zu (seed %08X)", n, static_cast<unsigned>(seed));
        }
        return count;
    }
    size_t ForEach(const std::string& input, const std::function<void(const Mutation&)>& visit) const
    {
        return ForEach(std::vector<unsigned char>(input.begin(), input.end()), visit);
    }

    std::vector<Mutation> All(const std::vector<unsigned char>& input) const
    {
        std::vector<Mutation> all;
        ForEach(input, [&](const Mutation& m) { all.push_back(m); });
        return all;
    }

    size_t Count(size_t inputSize) const
    {
        if (inputSize == 0)
            return 0;
        return (bitFlips ? inputSize * 8 : 0) + (byteValues ? inputSize * values.size() : 0) +
               (truncations ? inputSize : 0) + randomVariants;
    }
};

}  // namespace TestSupport
