#include "fuzz/FuzzMutator.h"

#include <algorithm>
#include <cstdio>

#include "tests/support/Mutations.h"

namespace Fuzz {

namespace {

// splitmix64: a fast generator whose whole state is one number, so that every
// input's changes follow from the run's seed and the input's index alone.
class Random {
public:
    Random(uint32_t seed, uint64_t index) : m_state((uint64_t(seed) << 32) ^ (index * 0x9E3779B97F4A7C15ull)) {}
    uint64_t Next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A value in [0, bound); 0 when bound is 0.
    size_t Below(size_t bound) { return bound ? static_cast<size_t>(Next() % bound) : 0; }

private:
    uint64_t m_state;
};

void Append(std::string& description, const char* format, auto... args)
{
    char text[96];
    std::snprintf(text, sizeof text, format, args...);
    if (!description.empty())
        description += ", ";
    description += text;
}

// Values a length or count field is most likely to mishandle.
uint64_t BoundaryValue(Random& random, size_t width, size_t inputSize)
{
    const uint64_t max = width == 8 ? UINT64_MAX : (uint64_t(1) << (8 * width)) - 1;
    const uint64_t values[] = {0, 1, 2, inputSize - 1, inputSize, inputSize + 1, max / 2, max / 2 + 1, max - 1, max};
    return values[random.Below(std::size(values))] & max;
}

}  // namespace

Mutator::Mutator(std::vector<Bytes> corpus, size_t maxSize, uint32_t seed)
    : m_pool(std::move(corpus)), m_corpusSize(m_pool.size()), m_maxSize(maxSize), m_seed(seed)
{
    for (Bytes& entry : m_pool)
        if (entry.size() > m_maxSize)
            entry.resize(m_maxSize);
}

void Mutator::Keep(const Bytes& input)
{
    if (input.empty())
        return;
    if (m_pool.size() < m_corpusSize + kMaxKept)
        m_pool.push_back(input);
    else
        m_pool[m_corpusSize + m_kept % kMaxKept] = input;
    ++m_kept;
}

void Mutator::Make(uint64_t index, Bytes& input, std::string& description)
{
    description.clear();
    if (index % 2 == 0 && NextDeterministic(input, description))
        return;
    MakeRandom(index, input, description);
}

// In the order of TestSupport::Mutations: bit flips, boundary byte values, then
// (for small entries) every proper prefix.
bool Mutator::NextDeterministic(Bytes& input, std::string& description)
{
    static const std::vector<unsigned char> values = TestSupport::Mutations().values;
    while (m_entry < m_corpusSize) {
        const Bytes& entry = m_pool[m_entry];
        const size_t n = entry.size();
        const size_t flips = n * 8, settings = n * values.size(), prefixes = n <= kTruncateAllUpTo ? n : 0;
        size_t v = m_variant++;
        if (v < flips + settings + prefixes) {
            input = entry;
            if (v < flips) {
                input[v / 8] ^= static_cast<unsigned char>(1u << (v % 8));
                Append(description, "entry %zu bit %zu.%zu", m_entry, v / 8, v % 8);
            } else if ((v -= flips) < settings) {
                input[v / values.size()] = values[v % values.size()];
                Append(description, "entry %zu byte %zu = %02X", m_entry, v / values.size(),
                       unsigned(values[v % values.size()]));
            } else {
                v -= settings;
                input.resize(v);
                Append(description, "entry %zu prefix %zu", m_entry, v);
            }
            return true;
        }
        ++m_entry;
        m_variant = 0;
    }
    return false;
}

void Mutator::MakeRandom(uint64_t index, Bytes& input, std::string& description)
{
    Random random(m_seed, index);
    const size_t base = random.Below(m_pool.size());
    input = m_pool[base];
    Append(description, "seed %08X input %llu: %s %zu", unsigned(m_seed), static_cast<unsigned long long>(index),
           base < m_corpusSize ? "entry" : "kept", base < m_corpusSize ? base : base - m_corpusSize);
    const size_t changes = 1 + random.Below(4);
    for (size_t c = 0; c < changes; ++c) {
        const size_t n = input.size();
        switch (random.Below(8)) {
        case 0:
            if (n) {
                const size_t at = random.Below(n), bit = random.Below(8);
                input[at] ^= static_cast<unsigned char>(1u << bit);
                Append(description, "bit %zu.%zu", at, bit);
            }
            break;
        case 1:
            if (n) {
                static const std::vector<unsigned char> values = TestSupport::Mutations().values;
                const size_t at = random.Below(n);
                input[at] = values[random.Below(values.size())];
                Append(description, "byte %zu = %02X", at, unsigned(input[at]));
            }
            break;
        case 2: {
            const size_t at = random.Below(n + 1), count = 1 + random.Below(16);
            Bytes inserted(count);
            const bool copy = n && random.Below(2);
            for (size_t i = 0; i < count; ++i)
                inserted[i] = copy ? input[(at + i) % n] : static_cast<unsigned char>(random.Next());
            input.insert(input.begin() + at, inserted.begin(), inserted.end());
            Append(description, "insert %zu at %zu%s", count, at, copy ? " (copied)" : "");
            break;
        }
        case 3:
            if (n) {
                const size_t at = random.Below(n), count = std::min(n - at, 1 + random.Below(16));
                input.erase(input.begin() + at, input.begin() + at + count);
                Append(description, "delete %zu at %zu", count, at);
            }
            break;
        case 4: {
            const size_t other = random.Below(m_pool.size());
            const Bytes& from = m_pool[other];
            const size_t keep = random.Below(n + 1), tail = random.Below(from.size() + 1);
            input.resize(keep);
            input.insert(input.end(), from.begin() + tail, from.end());
            Append(description, "splice %zu + pool %zu from %zu", keep, other, tail);
            break;
        }
        case 5: {
            static const size_t widths[] = {1, 2, 4, 8};
            const size_t width = widths[random.Below(4)];
            if (n >= width) {
                const size_t at = random.Below(n - width + 1);
                const bool bigEndian = random.Below(2);
                uint64_t value = BoundaryValue(random, width, n);
                Append(description, "length %zu at %zu = %llX %s", width, at, static_cast<unsigned long long>(value),
                       bigEndian ? "BE" : "LE");
                for (size_t i = 0; i < width; ++i, value >>= 8)
                    input[bigEndian ? at + width - 1 - i : at + i] = static_cast<unsigned char>(value);
            }
            break;
        }
        case 6:
            if (n) {
                const size_t length = random.Below(n);
                input.resize(length);
                Append(description, "truncate %zu", length);
            }
            break;
        default:
            if (n) {
                const size_t at = random.Below(n);
                input[at] = static_cast<unsigned char>(random.Next());
                Append(description, "byte %zu = %02X", at, unsigned(input[at]));
            }
            break;
        }
    }
    if (input.size() > m_maxSize)
        input.resize(m_maxSize);
}

}  // namespace Fuzz
