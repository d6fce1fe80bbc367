#include "foundation/ZUTF8.h"

#include <stdexcept>

#include "foundation/ZExceptions.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t kMaxCodePoint = 0x10FFFF;

// Bytes of the sequence a lead byte starts, from its top four bits. Leads 0x80-0xBF
// are stray continuation bytes and stand alone.
inline size_t SequenceLength(unsigned lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

inline bool IsFollower(unsigned byte) { return (byte & 0xC0) == 0x80; }

[[noreturn]] void ThrowOverflow() { throw std::overflow_error("ZDecodeUTF8"); }

// The sequence at `in`, whose lead is 0xC0 or above. Returns its length, or 0 when
// fewer than that are available and the bytes present could still be completed.
size_t DecodeMultiByte(const unsigned char* in, size_t available, uint32_t& codePoint)
{
    const unsigned lead = in[0];
    if (lead >= 0xF8) throw IllegalSequence();
    const size_t length = SequenceLength(lead);
    const size_t present = available < length ? available : length;
    for (size_t i = 1; i < present; ++i) {
        if (!IsFollower(in[i])) throw IllegalSequence();
    }
    if (present < length) {
        // A four-byte prefix already above U+10FFFF would fail once complete.
        if (lead > 0xF4 || (lead == 0xF4 && present >= 2 && in[1] >= 0x90)) throw IllegalSequence();
        return 0;
    }
    uint32_t value = lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) value = (value << 6) | (in[i] & 0x3Fu);
    if (value > kMaxCodePoint) throw IllegalSequence();
    codePoint = value;
    return length;
}

// Decodes into `out` when Store is set, else only counts the units. The fast paths
// (ASCII blocks, well-formed two- and three-byte sequences) give the same results as
// DecodeMultiByte; everything unusual goes through it.
template <bool Store>
size_t DecodeBuffer(const unsigned char* in, size_t inLength, size_t& inUsed, wchar_t* out,
                    size_t outCapacity)
{
    size_t i = 0;
    size_t o = 0;
    try {
        while (i < inLength) {
            const unsigned lead = in[i];
            if (lead < 0x80) {
#if defined(__SSE2__)
                if (inLength - i >= 16 && (!Store || outCapacity - o >= 16)) {
                    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
                    const unsigned nonAscii = static_cast<unsigned>(_mm_movemask_epi8(bytes));
                    // All sixteen are widened; units past the ASCII run are rewritten
                    // by the following steps, and all lie within the capacity.
                    const size_t run = nonAscii ? static_cast<size_t>(__builtin_ctz(nonAscii)) : 16;
                    if (Store) {
                        const __m128i zero = _mm_setzero_si128();
                        auto* target = reinterpret_cast<__m128i*>(out + o);
                        _mm_storeu_si128(target, _mm_unpacklo_epi8(bytes, zero));
                        _mm_storeu_si128(target + 1, _mm_unpackhi_epi8(bytes, zero));
                    }
                    i += run;
                    o += run;
                    continue;
                }
#endif
                if (Store) {
                    if (o == outCapacity) ThrowOverflow();
                    out[o] = static_cast<wchar_t>(lead);
                }
                ++o;
                ++i;
                continue;
            }
            if (lead < 0xC0) {  // stray continuation byte: its own value
                if (Store) {
                    if (o == outCapacity) ThrowOverflow();
                    out[o] = static_cast<wchar_t>(lead);
                }
                ++o;
                ++i;
                continue;
            }
            const size_t left = inLength - i;
            if (lead < 0xE0 && left >= 2 && IsFollower(in[i + 1])) {
                if (Store) {
                    if (o == outCapacity) ThrowOverflow();
                    out[o] = static_cast<wchar_t>(((lead & 0x1Fu) << 6) | (in[i + 1] & 0x3Fu));
                }
                ++o;
                i += 2;
                continue;
            }
            if (lead >= 0xE0 && lead < 0xF0 && left >= 3 && IsFollower(in[i + 1]) && IsFollower(in[i + 2])) {
                if (Store) {
                    if (o == outCapacity) ThrowOverflow();
                    out[o] = static_cast<wchar_t>(((lead & 0x0Fu) << 12) | ((in[i + 1] & 0x3Fu) << 6) |
                                                  (in[i + 2] & 0x3Fu));
                }
                ++o;
                i += 3;
                continue;
            }
            uint32_t codePoint = 0;
            const size_t used = DecodeMultiByte(in + i, left, codePoint);
            if (used == 0) break;  // incomplete at the end: left for the caller
            if (codePoint < 0x10000) {
                if (Store) {
                    if (o == outCapacity) ThrowOverflow();
                    out[o] = static_cast<wchar_t>(codePoint);
                }
                ++o;
            } else {
                if (Store) {
                    if (outCapacity - o < 2) ThrowOverflow();
                    const uint32_t offset = codePoint - 0x10000;
                    out[o] = static_cast<wchar_t>(0xD800 | ((offset >> 10) & 0x3FF));
                    out[o + 1] = static_cast<wchar_t>(0xDC00 | (offset & 0x3FF));
                }
                o += 2;
            }
            i += used;
        }
    } catch (...) {
        inUsed = i;
        throw;
    }
    inUsed = i;
    return o;
}

inline bool IsHighSurrogate(unsigned unit) { return unit - 0xD800u < 0x400u; }
inline bool IsLowSurrogate(unsigned unit) { return unit - 0xDC00u < 0x400u; }

// Encodes into `out` when Store is set (stopping before the first sequence that does
// not fit), else only counts the bytes of the whole input.
template <bool Store>
size_t EncodeBuffer(const wchar_t* in, size_t inLength, unsigned char* out, size_t outCapacity,
                    size_t* consumed)
{
    size_t i = 0;
    size_t o = 0;
    try {
        while (i < inLength) {
            const unsigned unit = static_cast<uint16_t>(in[i]);
            if (unit < 0x80) {
#if defined(__SSE2__)
                if (inLength - i >= 16 && (!Store || outCapacity - o >= 16)) {
                    const auto* source = reinterpret_cast<const __m128i*>(in + i);
                    const __m128i first = _mm_loadu_si128(source);
                    const __m128i second = _mm_loadu_si128(source + 1);
                    const __m128i highBits = _mm_set1_epi16(static_cast<short>(0xFF80));
                    const __m128i zero = _mm_setzero_si128();
                    // One mask bit per unit, set when the unit is ASCII.
                    const __m128i asciiFirst = _mm_cmpeq_epi16(_mm_and_si128(first, highBits), zero);
                    const __m128i asciiSecond = _mm_cmpeq_epi16(_mm_and_si128(second, highBits), zero);
                    const unsigned ascii =
                        static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(asciiFirst, asciiSecond)));
                    const size_t run = ascii == 0xFFFF ? 16 : static_cast<size_t>(__builtin_ctz(~ascii));
                    if (Store) {
                        // Units past the run may pack to wrong bytes; they lie within
                        // the capacity and are rewritten by the following steps.
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_packus_epi16(first, second));
                    }
                    i += run;
                    o += run;
                    continue;
                }
#endif
                if (Store) {
                    if (o == outCapacity) break;
                    out[o] = static_cast<unsigned char>(unit);
                }
                ++o;
                ++i;
            } else if (unit < 0x800) {
                if (Store) {
                    if (outCapacity - o < 2) break;
                    out[o] = static_cast<unsigned char>(0xC0 | (unit >> 6));
                    out[o + 1] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
                }
                o += 2;
                ++i;
            } else if (IsHighSurrogate(unit)) {
                if (i + 1 == inLength || !IsLowSurrogate(static_cast<uint16_t>(in[i + 1]))) throw IllegalSequence();
                if (Store) {
                    if (outCapacity - o < 4) break;
                    const uint32_t codePoint =
                        0x10000 + ((unit - 0xD800u) << 10) + (static_cast<uint16_t>(in[i + 1]) - 0xDC00u);
                    out[o] = static_cast<unsigned char>(0xF0 | (codePoint >> 18));
                    out[o + 1] = static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F));
                    out[o + 2] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
                    out[o + 3] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
                }
                o += 4;
                i += 2;
            } else {
                if (Store) {
                    if (outCapacity - o < 3) break;
                    out[o] = static_cast<unsigned char>(0xE0 | (unit >> 12));
                    out[o + 1] = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
                    out[o + 2] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
                }
                o += 3;
                ++i;
            }
        }
    } catch (...) {
        if (consumed) *consumed = i;
        throw;
    }
    if (consumed) *consumed = i;
    return o;
}

}  // namespace

size_t ZDecodeUTF8(const unsigned char* in, size_t available, uint32_t& codePoint)
{
    if (available == 0) return 0;
    if (in[0] < 0xC0) {
        codePoint = in[0];
        return 1;
    }
    return DecodeMultiByte(in, available, codePoint);
}

size_t ZDecodeUTF8(const unsigned char* in, size_t inLength, size_t& inUsed, wchar_t* out, size_t outCapacity)
{
    if (out == nullptr) return DecodeBuffer<false>(in, inLength, inUsed, nullptr, 0);
    return DecodeBuffer<true>(in, inLength, inUsed, out, outCapacity);
}

std::wstring ZDecodeUTF8(const char* in, size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(in);
    size_t used = 0;
    const size_t units = DecodeBuffer<false>(bytes, length, used, nullptr, 0);
    if (used != length) throw IllegalSequence();
    std::wstring text(units, L'\0');
    DecodeBuffer<true>(bytes, length, used, text.data(), units);
    return text;
}

size_t ZEncodeUTF8(const wchar_t* in, size_t inLength, unsigned char* out, size_t outCapacity, size_t* unitsConsumed)
{
    if (out == nullptr) return EncodeBuffer<false>(in, inLength, nullptr, 0, unitsConsumed);
    return EncodeBuffer<true>(in, inLength, out, outCapacity, unitsConsumed);
}

std::string ZEncodeUTF8(const wchar_t* in, size_t inLength)
{
    const size_t bytes = EncodeBuffer<false>(in, inLength, nullptr, 0, nullptr);
    std::string text(bytes, '\0');
    EncodeBuffer<true>(in, inLength, reinterpret_cast<unsigned char*>(text.data()), bytes, nullptr);
    return text;
}
