// Just enough DER to build test inputs that the platform cannot make here (a
// certificate request under Wine, a PKCS #12 file): tag, length, contents.
#pragma once

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace TestSupport::Der {

using Bytes = std::vector<unsigned char>;

inline Bytes Tlv(unsigned char tag, const Bytes& content)
{
    Bytes out{tag};
    const size_t length = content.size();
    if (length < 0x80) {
        out.push_back(static_cast<unsigned char>(length));
    } else {
        Bytes digits;
        for (size_t rest = length; rest; rest >>= 8)
            digits.insert(digits.begin(), static_cast<unsigned char>(rest & 0xFF));
        out.push_back(static_cast<unsigned char>(0x80 | digits.size()));
        out.insert(out.end(), digits.begin(), digits.end());
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

inline Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Bytes Sequence(std::initializer_list<Bytes> items) { return Tlv(0x30, Join(items)); }
inline Bytes Set(std::initializer_list<Bytes> items) { return Tlv(0x31, Join(items)); }
inline Bytes OctetString(const Bytes& content) { return Tlv(0x04, content); }
inline Bytes Explicit(unsigned char number, const Bytes& content) { return Tlv(0xA0 | number, content); }
inline Bytes Null() { return {0x05, 0x00}; }

// A non-negative integer from its big-endian magnitude.
inline Bytes Integer(Bytes magnitude)
{
    while (magnitude.size() > 1 && magnitude.front() == 0)
        magnitude.erase(magnitude.begin());
    if (magnitude.empty() || (magnitude.front() & 0x80))
        magnitude.insert(magnitude.begin(), 0);
    return Tlv(0x02, magnitude);
}
inline Bytes Integer(unsigned long value)
{
    Bytes magnitude;
    for (int shift = 24; shift >= 0; shift -= 8)
        magnitude.push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
    return Integer(magnitude);
}

// "1.2.840.113549.1.1.1" and the like.
inline Bytes Oid(const std::string& dotted)
{
    std::vector<unsigned long> arcs;
    for (size_t at = 0; at <= dotted.size();) {
        const size_t dot = dotted.find('.', at);
        const size_t end = dot == std::string::npos ? dotted.size() : dot;
        arcs.push_back(std::strtoul(dotted.substr(at, end - at).c_str(), nullptr, 10));
        at = end + 1;
    }
    Bytes content{static_cast<unsigned char>(arcs[0] * 40 + arcs[1])};
    for (size_t index = 2; index < arcs.size(); ++index) {
        Bytes base128{static_cast<unsigned char>(arcs[index] & 0x7F)};
        for (unsigned long rest = arcs[index] >> 7; rest; rest >>= 7)
            base128.insert(base128.begin(), static_cast<unsigned char>(0x80 | (rest & 0x7F)));
        content.insert(content.end(), base128.begin(), base128.end());
    }
    return Tlv(0x06, content);
}

}  // namespace TestSupport::Der
