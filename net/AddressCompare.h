// Comparison rules shared by the two address classes.
#pragma once

#include <cstddef>

#include "net/IInternetAddress.h"

namespace Tessaro {

// Port 0 stands for any port.
inline bool PortsCompatible(unsigned short a, unsigned short b)
{
    return a == 0 || b == 0 || a == b;
}

// The leading `bits` bits of two addresses of `size` bytes agree (network order,
// most significant bit of the first byte first).
inline bool PrefixEqual(const unsigned char* a, const unsigned char* b, size_t size, unsigned bits)
{
    const size_t whole = bits / 8 < size ? bits / 8 : size;
    for (size_t i = 0; i < whole; ++i)
        if (a[i] != b[i])
            return false;
    const unsigned rest = bits % 8;
    if (whole == size || rest == 0)
        return true;
    const unsigned char mask = static_cast<unsigned char>(0xFF << (8 - rest));
    return (a[whole] & mask) == (b[whole] & mask);
}

// The other operand's address bytes when it is valid and of the given family.
inline bool RawAddressOf(IInternetAddress* other, int family, int size, const unsigned char*& bytes)
{
    if (!other || !other->IsValid() || other->GetFamily() != family)
        return false;
    const void* raw = nullptr;
    int length = 0;
    if (!other->GetRawAddress(raw, length) || length != size)
        return false;
    bytes = static_cast<const unsigned char*>(raw);
    return true;
}

}  // namespace Tessaro
