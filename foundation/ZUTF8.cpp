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

#if defined(__SSE2__)
// The length of the ASCII run at `in`, looked at sixteen bytes at a time for at most
// `blocks` blocks, widened into `out` when Store is set. Every block looked at is
// written whole, so `out` needs room for `blocks` * 16 units; the units after the
// run are garbage that the caller's next steps overwrite.
template <bool Store>
size_t WidenAsciiRun(const unsigned char* in, wchar_t* out, size_t blocks)
{
    const __m128i zero = _mm_setzero_si128();
    size_t done = 0;
    for (;;) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
        const unsigned nonAscii = static_cast<unsigned>(_mm_movemask_epi8(bytes));
        if (Store) {
            auto* target = reinterpret_cast<__m128i*>(out + done);
            _mm_storeu_si128(target, _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(target + 1, _mm_unpackhi_epi8(bytes, zero));
        }
        if (nonAscii) return done + static_cast<size_t>(__builtin_ctz(nonAscii));
        done += 16;
        if (--blocks == 0) return done;
        // A long run: one test for two blocks while it lasts.
        for (; blocks >= 2; blocks -= 2, done += 32) {
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
            const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 16));
            if (_mm_movemask_epi8(_mm_or_si128(first, second)) != 0) break;
            if (Store) {
                auto* target = reinterpret_cast<__m128i*>(out + done);
                _mm_storeu_si128(target, _mm_unpacklo_epi8(first, zero));
                _mm_storeu_si128(target + 1, _mm_unpackhi_epi8(first, zero));
                _mm_storeu_si128(target + 2, _mm_unpacklo_epi8(second, zero));
                _mm_storeu_si128(target + 3, _mm_unpackhi_epi8(second, zero));
            }
        }
        if (blocks == 0) return done;
    }
}

// The same for UTF-16 units below 0x80, narrowed into bytes.
size_t NarrowAsciiRun(const wchar_t* in, unsigned char* out, size_t blocks)
{
    const __m128i highBits = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    size_t done = 0;
    for (; blocks > 0; --blocks, done += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_packus_epi16(first, second));
        const __m128i both = _mm_and_si128(_mm_or_si128(first, second), highBits);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(both, zero)) != 0xFFFF) {
            // One mask bit per unit, set when the unit is ASCII.
            const __m128i asciiFirst = _mm_cmpeq_epi16(_mm_and_si128(first, highBits), zero);
            const __m128i asciiSecond = _mm_cmpeq_epi16(_mm_and_si128(second, highBits), zero);
            const unsigned ascii =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(asciiFirst, asciiSecond)));
            return done + static_cast<size_t>(__builtin_ctz(~ascii));
        }
    }
    return done;
}
#endif

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
            const size_t room = Store ? outCapacity - o : inLength - i;
            if (room == 0) {
                // Full: whatever decodable input is left does not fit.
                uint32_t ignored = 0;
                if (ZDecodeUTF8(in + i, inLength - i, ignored) == 0) break;
                ThrowOverflow();
            }
            // A sequence gives no more units than it has bytes, except a four-byte one,
            // so no sequence starting in the next `room` bytes can overflow the output
            // unless it makes a surrogate pair; only those check the room.
            const size_t stretchEnd = i + (room < inLength - i ? room : inLength - i);
            while (i < stretchEnd) {
                const unsigned lead = in[i];
                if (lead < 0x80) {
#if defined(__SSE2__)
                    const size_t blocks = (stretchEnd - i) / 16;
                    if (blocks) {
                        const size_t run = WidenAsciiRun<Store>(in + i, Store ? out + o : nullptr, blocks);
                        i += run;
                        o += run;
                        continue;
                    }
#endif
                    if (Store) out[o] = static_cast<wchar_t>(lead);
                    ++o;
                    ++i;
                    continue;
                }
                const size_t left = inLength - i;
                if (lead < 0xC0) {  // stray continuation byte: its own value
                    if (Store) out[o] = static_cast<wchar_t>(lead);
                    ++o;
                    ++i;
                } else if (lead < 0xE0 && left >= 2 && IsFollower(in[i + 1])) {
                    if (Store) out[o] = static_cast<wchar_t>(((lead & 0x1Fu) << 6) | (in[i + 1] & 0x3Fu));
                    ++o;
                    i += 2;
                } else if (lead >= 0xE0 && lead < 0xF0 && left >= 3 && IsFollower(in[i + 1]) &&
                           IsFollower(in[i + 2])) {
                    if (Store) {
                        out[o] = static_cast<wchar_t>(((lead & 0x0Fu) << 12) | ((in[i + 1] & 0x3Fu) << 6) |
                                                      (in[i + 2] & 0x3Fu));
                    }
                    ++o;
                    i += 3;
                } else {
                    uint32_t codePoint = 0;
                    const size_t used = DecodeMultiByte(in + i, left, codePoint);
                    if (used == 0) {  // incomplete at the end: left for the caller
                        inUsed = i;
                        return o;
                    }
                    if (codePoint >= 0x10000) {
                        if (Store) {
                            if (outCapacity - o < 2) ThrowOverflow();
                            const uint32_t offset = codePoint - 0x10000;
                            out[o] = static_cast<wchar_t>(0xD800 | ((offset >> 10) & 0x3FF));
                            out[o + 1] = static_cast<wchar_t>(0xDC00 | (offset & 0x3FF));
                        }
                        o += 2;
                    } else {
                        if (Store) out[o] = static_cast<wchar_t>(codePoint);
                        ++o;
                    }
                    i += used;
                }
            }
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

// Bytes of the sequence that starts at in[0]; a high surrogate must be followed by a low one.
inline size_t EncodedLength(const wchar_t* in, size_t available)
{
    const unsigned unit = static_cast<uint16_t>(in[0]);
    if (unit < 0x80) return 1;
    if (unit < 0x800) return 2;
    if (!IsHighSurrogate(unit)) return 3;
    if (available < 2 || !IsLowSurrogate(static_cast<uint16_t>(in[1]))) throw IllegalSequence();
    return 4;
}

#if defined(__SSE2__)
// The UTF-8 bytes of `blocks` blocks of eight units, or of fewer blocks when a
// surrogate turns up (`counted` tells how many units were counted).
size_t CountBlocks(const wchar_t* in, size_t blocks, size_t& counted)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i mask80 = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i mask800 = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
    const __m128i ones = _mm_set1_epi16(1);
    size_t bytes = 0;
    size_t done = 0;
    while (done < blocks) {
        // Each lane counts its units below 0x80 and below 0x800, at most two per block;
        // the signed 16-bit lanes are summed every 8192 blocks, before they overflow.
        __m128i shorter = zero;
        const size_t end = blocks - done > 8192 ? done + 8192 : blocks;
        size_t b = done;
        for (; b < end; ++b) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + b * 8));
            const __m128i top = _mm_and_si128(units, mask800);
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(top, surrogate))) break;
            shorter = _mm_sub_epi16(shorter, _mm_cmpeq_epi16(_mm_and_si128(units, mask80), zero));
            shorter = _mm_sub_epi16(shorter, _mm_cmpeq_epi16(top, zero));
        }
        // Three bytes per unit, less one for each threshold it is under.
        const __m128i pairs = _mm_madd_epi16(shorter, ones);
        const __m128i halves = _mm_add_epi32(pairs, _mm_shuffle_epi32(pairs, _MM_SHUFFLE(1, 0, 3, 2)));
        const __m128i total = _mm_add_epi32(halves, _mm_shuffle_epi32(halves, _MM_SHUFFLE(2, 3, 0, 1)));
        bytes += (b - done) * 8 * 3 - static_cast<size_t>(_mm_cvtsi128_si32(total));
        done = b;
        if (b < end) break;
    }
    counted = done * 8;
    return bytes;
}
#endif

// The bytes the whole input needs.
size_t CountEncoded(const wchar_t* in, size_t inLength)
{
    size_t i = 0;
    size_t bytes = 0;
    while (i < inLength) {
#if defined(__SSE2__)
        if (inLength - i >= 8) {
            size_t counted = 0;
            bytes += CountBlocks(in + i, (inLength - i) / 8, counted);
            i += counted;
            if (i == inLength) break;
            // A surrogate is near: take the next eight units one by one.
            for (const size_t end = i + 8 < inLength ? i + 8 : inLength; i < end;) {
                const size_t length = EncodedLength(in + i, inLength - i);
                bytes += length;
                i += length == 4 ? 2 : 1;
            }
            continue;
        }
#endif
        const size_t length = EncodedLength(in + i, inLength - i);
        bytes += length;
        i += length == 4 ? 2 : 1;
    }
    return bytes;
}

// Writes the sequence that starts at in[0] and returns the units it took.
inline size_t EncodeOne(const wchar_t* in, unsigned char* out, size_t length)
{
    const unsigned unit = static_cast<uint16_t>(in[0]);
    switch (length) {
    case 1:
        out[0] = static_cast<unsigned char>(unit);
        return 1;
    case 2:
        out[0] = static_cast<unsigned char>(0xC0 | (unit >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        return 1;
    case 3:
        out[0] = static_cast<unsigned char>(0xE0 | (unit >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
        return 1;
    default: {
        const uint32_t codePoint = 0x10000 + ((unit - 0xD800u) << 10) + (static_cast<uint16_t>(in[1]) - 0xDC00u);
        out[0] = static_cast<unsigned char>(0xF0 | (codePoint >> 18));
        out[1] = static_cast<unsigned char>(0x80 | ((codePoint >> 12) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[3] = static_cast<unsigned char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    }
}

// Encodes into `out`, stopping before the first sequence that does not fit.
size_t EncodeBuffer(const wchar_t* in, size_t inLength, unsigned char* out, size_t outCapacity, size_t* consumed)
{
    size_t i = 0;
    size_t o = 0;
    try {
        while (i < inLength) {
            // No unit gives more than three bytes (a pair gives four for two units),
            // so the next `room / 3` units fit, but for a pair that starts at the last
            // of them; only pairs check the room.
            const size_t stretch = (outCapacity - o) / 3 < inLength - i ? (outCapacity - o) / 3 : inLength - i;
            if (stretch == 0) {
                const size_t length = EncodedLength(in + i, inLength - i);
                if (outCapacity - o < length) break;
                i += EncodeOne(in + i, out + o, length);
                o += length;
                continue;
            }
            const size_t stretchEnd = i + stretch;
            while (i < stretchEnd) {
                const unsigned unit = static_cast<uint16_t>(in[i]);
                if (unit < 0x80) {
#if defined(__SSE2__)
                    // The room for the stretch holds three bytes per unit: the blocks'
                    // sixteen bytes per sixteen units fit.
                    const size_t blocks = (stretchEnd - i) / 16;
                    if (blocks) {
                        const size_t run = NarrowAsciiRun(in + i, out + o, blocks);
                        i += run;
                        o += run;
                        continue;
                    }
#endif
                    out[o++] = static_cast<unsigned char>(unit);
                    ++i;
                } else if (unit < 0x800) {
                    out[o] = static_cast<unsigned char>(0xC0 | (unit >> 6));
                    out[o + 1] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
                    o += 2;
                    ++i;
                } else if (!IsHighSurrogate(unit)) {
                    out[o] = static_cast<unsigned char>(0xE0 | (unit >> 12));
                    out[o + 1] = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
                    out[o + 2] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
                    o += 3;
                    ++i;
                } else {
                    const size_t length = EncodedLength(in + i, inLength - i);
                    if (outCapacity - o < length) {
                        if (consumed) *consumed = i;
                        return o;
                    }
                    i += EncodeOne(in + i, out + o, length);
                    o += length;
                }
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
    if (out == nullptr) {
        const size_t bytes = CountEncoded(in, inLength);
        if (unitsConsumed) *unitsConsumed = inLength;
        return bytes;
    }
    return EncodeBuffer(in, inLength, out, outCapacity, unitsConsumed);
}

std::string ZEncodeUTF8(const wchar_t* in, size_t inLength)
{
    const size_t bytes = CountEncoded(in, inLength);
    std::string text(bytes, '\0');
    EncodeBuffer(in, inLength, reinterpret_cast<unsigned char*>(text.data()), bytes, nullptr);
    return text;
}
