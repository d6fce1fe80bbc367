// Deterministic mutations of a known-good input, for robustness tests of parsers
// and decoders: each reader must accept every variant or reject it cleanly, and
// never read outside it (feed the variants through GuardedBuffer).
//
//   TestSupport::Mutations mutations;                    // all kinds, fixed seed
//   size_t count = mutations.ForEach(good, [&](const TestSupport::Mutation& m) {
//       SCOPED_TRACE(m.description);
//       TestSupport::GuardedBuffer input(m.bytes);
//       ... parse input.Data(), input.Size(): must succeed or throw/fail cleanly ...
//   });
//   RecordProperty("mutated_inputs", static_cast<int>(count));
//
// Variants, in this order: every single-bit flip (8 per byte); every byte set to
// each value of `values`; every truncation (each proper prefix, the empty one
// included); then `randomVariants` copies with 2 to 4 random positions either set
// to a random byte or given a random bit flip, drawn from `seed`. Count() tells in
// advance how many ForEach produces. An empty input has no variants.
#pragma once

#include <cstddef>
#include <cstdint>
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
    size_t ForEach(const std::vector<unsigned char>& input,
                   const std::function<void(const Mutation&)>& visit) const;
    size_t ForEach(const std::string& input, const std::function<void(const Mutation&)>& visit) const
    {
        return ForEach(std::vector<unsigned char>(input.begin(), input.end()), visit);
    }

    std::vector<Mutation> All(const std::vector<unsigned char>& input) const;

    size_t Count(size_t inputSize) const;
};

}  // namespace TestSupport
