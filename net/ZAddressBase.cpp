#include <winsock2.h>
#include <ws2tcpip.h>

#include "net/ZAddressBase.h"

#include <algorithm>
#include <cstring>

#include "net/ZInternetAddress.h"

namespace {

// Port 0 stands for any port.
bool PortsCompatible(unsigned short a, unsigned short b)
{
    return a == 0 || b == 0 || a == b;
}

// The leading `bits` bits of two addresses of `size` bytes agree (network order,
// most significant bit of the first byte first).
bool PrefixEqual(const unsigned char* a, const unsigned char* b, size_t size, unsigned bits)
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

template <class Char, class String>
bool SetFromHostAndPort(IInternetAddress& address, const Char* text)
{
    String host;
    unsigned short port = 0;
    if (!text || !SplitHostAndPort(text, host, port))
        return false;
    return address.SetAddress(host.c_str(), port);
}

}  // namespace

ZAddressBase::ZAddressBase() : m_socketType(SOCK_STREAM), m_protocol(IPPROTO_TCP) {}

bool ZAddressBase::IsValid() { return m_valid; }

bool ZAddressBase::BothAddresses(IInternetAddress* other, const unsigned char*& mine, const unsigned char*& theirs,
                                 int& size)
{
    const void* ownRaw = nullptr;
    if (!GetRawAddress(ownRaw, size))
        return false;
    const void* otherRaw = nullptr;
    int otherSize = 0;
    if (!other || !other->IsValid() || other->GetFamily() != GetFamily() ||
        !other->GetRawAddress(otherRaw, otherSize) || otherSize != size)
        return false;
    mine = static_cast<const unsigned char*>(ownRaw);
    theirs = static_cast<const unsigned char*>(otherRaw);
    return true;
}

bool ZAddressBase::IsInSubnet(IInternetAddress* other, unsigned prefixBits)
{
    const unsigned char *mine, *theirs;
    int size;
    if (!BothAddresses(other, mine, theirs, size) || !PortsCompatible(GetPort(), other->GetPort()))
        return false;
    return PrefixEqual(mine, theirs, static_cast<size_t>(size), prefixBits);
}

bool ZAddressBase::IsEqual(IInternetAddress* other)
{
    const unsigned char *mine, *theirs;
    int size;
    if (!BothAddresses(other, mine, theirs, size) || !PortsCompatible(GetPort(), other->GetPort()))
        return false;
    return std::memcmp(mine, theirs, static_cast<size_t>(size)) == 0;
}

bool ZAddressBase::IsAny()
{
    const void* raw;
    int size;
    if (!GetRawAddress(raw, size))
        return false;
    const unsigned char* bytes = static_cast<const unsigned char*>(raw);
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

bool ZAddressBase::SetAddrinfo(const addrinfo* info)
{
    m_valid = false;
    if (!info || info->ai_family != GetFamily())
        return false;
    m_socketType = info->ai_socktype;
    m_protocol = info->ai_protocol;
    return SetSockaddr(info->ai_addr, info->ai_addrlen);
}

bool ZAddressBase::SetAddressAndPort(const wchar_t* text)
{
    m_valid = false;
    return SetFromHostAndPort<wchar_t, ZUnicodeString>(*this, text);
}

bool ZAddressBase::SetAddressAndPort(const char* text)
{
    m_valid = false;
    return SetFromHostAndPort<char, ZString>(*this, text);
}

void ZAddressBase::SetSocketType(int socketType) { m_socketType = socketType; }
void ZAddressBase::SetProtocol(int protocol) { m_protocol = protocol; }

ZString ZAddressBase::ToAnsiString(bool withPort) { return ZString(ToString(withPort)); }

int ZAddressBase::GetSocketType() { return m_socketType; }
int ZAddressBase::GetProtocol() { return m_protocol; }

// Network byte order puts the most significant byte first, so comparing the bytes
// in turn orders the addresses as numbers.
bool ZAddressBase::IsLessThan(IInternetAddress* other)
{
    const unsigned char *mine, *theirs;
    int size;
    if (!BothAddresses(other, mine, theirs, size))
        return false;
    return std::memcmp(mine, theirs, static_cast<size_t>(size)) < 0;
}

bool ZAddressBase::IncrementBytes(unsigned char* bytes, int size)
{
    if (std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0xFF; }))
        return false;
    for (int i = size - 1; i >= 0; --i)
        if (++bytes[i] != 0)
            break;
    return true;
}
