#include "foundation/ZUTF8.h"

#include <cstring>
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
// Whether the next four units are ASCII: for the encoder, short runs, as between
// the words of other scripts, are cheaper one at a time than through the blocks.
inline bool AsciiAhead(const wchar_t* in)
{
    uint64_t units;
    std::memcpy(&units, in, sizeof units);
    return (units & 0xFF80FF80FF80FF80u) == 0;
}

// The length of the ASCII run at `in`, looked at sixteen bytes at a time for at most
// `blocks` blocks, and widened into `out`. Every block looked at is written whole,
// so `out` needs room for `blocks` * 16 units; the units after the run are garbage
// that the caller's next steps overwrite.
size_t WidenAsciiRun(const unsigned char* in, wchar_t* out, size_t blocks)
{
    const __m128i zero = _mm_setzero_si128();
    size_t done = 0;
    for (;;) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
        const unsigned nonAscii = static_cast<unsigned>(_mm_movemask_epi8(bytes));
        auto* target = reinterpret_cast<__m128i*>(out + done);
        _mm_storeu_si128(target, _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(target + 1, _mm_unpackhi_epi8(bytes, zero));
        if (nonAscii) return done + static_cast<size_t>(__builtin_ctz(nonAscii));
        done += 16;
        if (--blocks == 0) return done;
        // A long run: one test for two blocks while it lasts.
        for (; blocks >= 2; blocks -= 2, done += 32) {
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
            const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 16));
            if (_mm_movemask_epi8(_mm_or_si128(first, second)) != 0) break;
            auto* pair = reinterpret_cast<__m128i*>(out + done);
            _mm_storeu_si128(pair, _mm_unpacklo_epi8(first, zero));
            _mm_storeu_si128(pair + 1, _mm_unpackhi_epi8(first, zero));
            _mm_storeu_si128(pair + 2, _mm_unpacklo_epi8(second, zero));
            _mm_storeu_si128(pair + 3, _mm_unpackhi_epi8(second, zero));
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

// Decodes into `out`. The fast paths (ASCII blocks, well-formed two- and three-byte
// sequences) give the same results as DecodeMultiByte; everything unusual goes
// through it.
size_t DecodeBuffer(const unsigned char* in, size_t inLength, size_t& inUsed, wchar_t* out,
                    size_t outCapacity)
{
    size_t i = 0;
    size_t o = 0;
    try {
        while (i < inLength) {
            const size_t room = outCapacity - o;
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
                    if (blocks && in[i + 1] < 0x80) {  // a lone ASCII byte is cheaper alone
                        const size_t run = WidenAsciiRun(in + i, out + o, blocks);
                        i += run;
                        o += run;
                        continue;
                    }
#endif
                    out[o] = static_cast<wchar_t>(lead);
                    ++o;
                    ++i;
                    continue;
                }
                const size_t left = inLength - i;
                if (lead < 0xC0) {  // stray continuation byte: its own value
                    out[o] = static_cast<wchar_t>(lead);
                    ++o;
                    ++i;
                } else if (lead < 0xE0 && left >= 2 && IsFollower(in[i + 1])) {
                    out[o] = static_cast<wchar_t>(((lead & 0x1Fu) << 6) | (in[i + 1] & 0x3Fu));
                    ++o;
                    i += 2;
                } else if (lead >= 0xE0 && lead < 0xF0 && left >= 3 && IsFollower(in[i + 1]) &&
                           IsFollower(in[i + 2])) {
                    out[o] = static_cast<wchar_t>(((lead & 0x0Fu) << 12) | ((in[i + 1] & 0x3Fu) << 6) |
                                                  (in[i + 2] & 0x3Fu));
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
                        if (outCapacity - o < 2) ThrowOverflow();
                        const uint32_t offset = codePoint - 0x10000;
                        out[o] = static_cast<wchar_t>(0xD800 | ((offset >> 10) & 0x3FF));
                        out[o + 1] = static_cast<wchar_t>(0xDC00 | (offset & 0x3FF));
                        o += 2;
                    } else {
                        out[o] = static_cast<wchar_t>(codePoint);
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

#if defined(__SSE2__)
// Counts the units of whole 16-byte blocks from `i` (at least 3, at the start of a
// sequence) while the blocks are well-formed, and leaves `i` at the start of the
// sequence where counting stopped: the end of the input's whole blocks, or a block
// with an illegal sequence, which the caller decodes one sequence at a time.
// Each byte is checked against the three before it: a byte is a required follower
// when one of them is a lead that reaches it (>= 0xC0 one back, >= 0xE0 two back,
// >= 0xF0 three back). A block is well-formed when every required follower is
// 10xxxxxx and no byte is 0xF5 or above, nor 0x90 or above after 0xF4. Every byte
// but a required follower then starts one unit, and a four-byte sequence at or
// above U+10000 one more.
size_t CountBlockUnits(const unsigned char* in, size_t inLength, size_t& i)
{
    const auto atLeast = [](__m128i bytes, int value) {
        const __m128i limit = _mm_set1_epi8(static_cast<char>(value));
        return _mm_cmpeq_epi8(_mm_max_epu8(bytes, limit), bytes);
    };
    const __m128i zero = _mm_setzero_si128();
    const __m128i topTwo = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i follower = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i f0 = _mm_set1_epi8(static_cast<char>(0xF0));
    const __m128i f4 = _mm_set1_epi8(static_cast<char>(0xF4));
    size_t units = 0;
    __m128i counts = zero;  // per byte lane: units counted, at most 2 per block
    int blocks = 0;
    const auto flush = [&] {
        const __m128i sums = _mm_sad_epu8(counts, zero);
        units += static_cast<size_t>(_mm_cvtsi128_si32(sums)) +
                 static_cast<size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
        counts = zero;
        blocks = 0;
    };
    while (inLength - i >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i back3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i - 3));
        if (_mm_movemask_epi8(_mm_or_si128(bytes, back3)) == 0) {  // ASCII, also the three before
            units += 16;
            i += 16;
            continue;
        }
        const __m128i back1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i - 1));
        const __m128i back2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i - 2));
        const __m128i required =
            _mm_or_si128(_mm_or_si128(atLeast(back1, 0xC0), atLeast(back2, 0xE0)), atLeast(back3, 0xF0));
        const __m128i isFollower = _mm_cmpeq_epi8(_mm_and_si128(bytes, topTwo), follower);
        const __m128i bad = _mm_or_si128(
            _mm_or_si128(_mm_andnot_si128(isFollower, required), atLeast(bytes, 0xF5)),
            _mm_and_si128(_mm_cmpeq_epi8(back1, f4), atLeast(bytes, 0x90)));
        if (_mm_movemask_epi8(bad)) break;
        // Lanes hold -1 where true: subtracting adds one.
        counts = _mm_sub_epi8(counts, _mm_andnot_si128(required, _mm_cmpeq_epi8(zero, zero)));
        // A four-byte sequence makes a pair unless it is an overlong form below
        // U+10000 (lead 0xF0 with a second byte under 0x90): counted at the lead for
        // 0xF1-0xF4, at the second byte for 0xF0.
        const __m128i pairAfterF0 = _mm_and_si128(_mm_cmpeq_epi8(back1, f0), atLeast(bytes, 0x90));
        counts = _mm_sub_epi8(counts, _mm_or_si128(atLeast(bytes, 0xF1), pairAfterF0));
        i += 16;
        if (++blocks == 127) flush();
    }
    flush();
    // A sequence that runs past `i` was counted by its lead; step back to the lead.
    size_t back = 0;
    if (in[i - 1] >= 0xC0)
        back = 1;
    else if (in[i - 2] >= 0xE0)
        back = 2;
    else if (in[i - 3] >= 0xF0)
        back = 3;
    if (back) {
        // Take back what its bytes before `i` added: one for the lead and, for a pair,
        // one more at the lead (0xF1-0xF4) or at the second byte (0xF0).
        const size_t end = i;
        i -= back;
        const bool pair = in[i] >= 0xF1 || (in[i] == 0xF0 && end - i >= 2 && in[i + 1] >= 0x90);
        units -= pair ? 2 : 1;
    }
    return units;
}
#endif

// The units a whole buffer needs, with the same stops and failures as DecodeBuffer.
size_t MeasureDecoded(const unsigned char* in, size_t inLength, size_t& inUsed)
{
    size_t i = 0;
    size_t units = 0;
    bool blocks = true;
    try {
        while (i < inLength) {
#if defined(__SSE2__)
            // The block count looks three bytes back, so it starts after a few.
            if (blocks && i >= 3 && inLength - i >= 16) {
                units += CountBlockUnits(in, inLength, i);
                blocks = false;  // the tail, or the block that holds an illegal sequence
                continue;
            }
#endif
            uint32_t codePoint = 0;
            const size_t used = ZDecodeUTF8(in + i, inLength - i, codePoint);
            if (used == 0) break;
            units += codePoint >= 0x10000 ? 2 : 1;
            i += used;
        }
    } catch (...) {
        inUsed = i;
        throw;
    }
    inUsed = i;
    return units;
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

// The bytes the whole input needs.
size_t CountEncoded(const wchar_t* in, size_t inLength)
{
    size_t i = 0;
    size_t bytes = 0;
#if defined(__SSE2__)
    // Eight units at a time: three bytes each, less one for each unit below 0x800
    // and one more for each below 0x80. Blocks with a surrogate are counted one
    // unit at a time, so that pairs are checked.
    const __m128i zero = _mm_setzero_si128();
    const __m128i mask80 = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i mask800 = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
    const __m128i ones = _mm_set1_epi16(1);
    __m128i shorter = zero;  // per lane: units under each threshold, at most 2 per block
    size_t blocks = 0;
    auto flush = [&] {
        const __m128i pairs = _mm_madd_epi16(shorter, ones);
        const __m128i halves = _mm_add_epi32(pairs, _mm_shuffle_epi32(pairs, _MM_SHUFFLE(1, 0, 3, 2)));
        const __m128i total = _mm_add_epi32(halves, _mm_shuffle_epi32(halves, _MM_SHUFFLE(2, 3, 0, 1)));
        bytes += blocks * 8 * 3 - static_cast<size_t>(_mm_cvtsi128_si32(total));
        shorter = zero;
        blocks = 0;
    };
    while (inLength - i >= 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i top = _mm_and_si128(units, mask800);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(top, surrogate))) {
            for (const size_t end = i + 8; i < end;) {  // a pair may end one unit later
                const size_t length = EncodedLength(in + i, inLength - i);
                bytes += length;
                i += length == 4 ? 2 : 1;
            }
            continue;
        }
        shorter = _mm_sub_epi16(shorter, _mm_cmpeq_epi16(_mm_and_si128(units, mask80), zero));
        shorter = _mm_sub_epi16(shorter, _mm_cmpeq_epi16(top, zero));
        i += 8;
        // The signed 16-bit lanes are summed before they can overflow.
        if (++blocks == 8192) flush();
    }
    flush();
#endif
    while (i < inLength) {
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
                    if (blocks && AsciiAhead(in + i)) {
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
    if (out == nullptr) return MeasureDecoded(in, inLength, inUsed);
    return DecodeBuffer(in, inLength, inUsed, out, outCapacity);
}

std::wstring ZDecodeUTF8(const char* in, size_t length)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(in);
    size_t used = 0;
    const size_t units = MeasureDecoded(bytes, length, used);
    if (used != length) throw IllegalSequence();
    std::wstring text(units, L'\0');
    DecodeBuffer(bytes, length, used, text.data(), units);
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
