// The inputs of a fuzz run, made from a corpus of valid inputs (see FuzzHarness.h
// for the plan). Plain C++, so a test can check what it makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Fuzz {

class Mutator {
public:
    using Bytes = std::vector<unsigned char>;

    // corpus: not empty; maxSize: no input is made longer.
    Mutator(std::vector<Bytes> corpus, size_t maxSize, uint32_t seed);

    // Input number `index` of the run, and how it was made.
    void Make(uint64_t index, Bytes& input, std::string& description);

    // Adds an input to the pool that random variants start from (at most
    // kMaxKept beyond the corpus; later ones replace earlier ones).
    void Keep(const Bytes& input);

    // Entries no longer than this are also truncated at every length.
    static constexpr size_t kTruncateAllUpTo = 1024;
    static constexpr size_t kMaxKept = 64;

private:
    bool NextDeterministic(Bytes& input, std::string& description);
    void MakeRandom(uint64_t index, Bytes& input, std::string& description);

    std::vector<Bytes> m_pool;  // the corpus first, then kept inputs
    size_t m_corpusSize;
    size_t m_maxSize;
    uint32_t m_seed;
    size_t m_kept = 0;
    size_t m_entry = 0;    // deterministic walk: which corpus entry,
    size_t m_variant = 0;  // and which of its variants comes next
};

}  // namespace Fuzz
