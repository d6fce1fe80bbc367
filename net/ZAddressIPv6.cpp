#include <winsock2.h>
#include <ws2tcpip.h>

#include "net/ZAddressIPv6.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "net/AddressCompare.h"
#include "net/WinsockStartup.h"
#include "net/ZInternetAddress.h"

using Tessaro::PortsCompatible;

namespace {

constexpr int kAddressSize = 16;
// The older structure without the scope identifier is the shortest one accepted.
constexpr size_t kShortestSockaddr = offsetof(sockaddr_in6, sin6_scope_id);

}  // namespace

static_assert(sizeof(sockaddr_in6) == 28 && alignof(sockaddr_in6) <= 4, "socket address storage");

ZAddressIPv6::ZAddressIPv6() : m_socketType(SOCK_STREAM), m_protocol(IPPROTO_TCP)
{
    new (m_address) sockaddr_in6{};
    Address().sin6_family = AF_INET6;
}

sockaddr_in6& ZAddressIPv6::Address()
{
    return *std::launder(reinterpret_cast<sockaddr_in6*>(m_address));
}

bool ZAddressIPv6::IsValid() { return m_valid; }

bool ZAddressIPv6::SameFamilyAndValid(IInternetAddress* other, const unsigned char*& bytes)
{
    return m_valid && Tessaro::RawAddressOf(other, AF_INET6, kAddressSize, bytes);
}

bool ZAddressIPv6::IsInSubnet(IInternetAddress* other, unsigned prefixBits)
{
    const unsigned char* theirs;
    if (!SameFamilyAndValid(other, theirs) || !PortsCompatible(GetPort(), other->GetPort()))
        return false;
    return Tessaro::PrefixEqual(Address().sin6_addr.s6_addr, theirs, kAddressSize, prefixBits);
}

bool ZAddressIPv6::IsEqual(IInternetAddress* other)
{
    const unsigned char* theirs;
    if (!SameFamilyAndValid(other, theirs) || !PortsCompatible(GetPort(), other->GetPort()))
        return false;
    return std::memcmp(Address().sin6_addr.s6_addr, theirs, kAddressSize) == 0;
}

bool ZAddressIPv6::IsAny()
{
    const unsigned char* bytes = Address().sin6_addr.s6_addr;
    return m_valid && std::all_of(bytes, bytes + kAddressSize, [](unsigned char b) { return b == 0; });
}

bool ZAddressIPv6::IsLoopback()
{
    static const unsigned char loopback[kAddressSize] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return m_valid && std::memcmp(Address().sin6_addr.s6_addr, loopback, kAddressSize) == 0;
}

bool ZAddressIPv6::SetSockaddr(const sockaddr* address, size_t length)
{
    m_valid = false;
    if (!address || length < kShortestSockaddr || address->sa_family != AF_INET6)
        return false;
    sockaddr_in6 copy{};
    std::memcpy(&copy, address, std::min(length, sizeof copy));
    Address() = copy;
    m_valid = true;
    return true;
}

bool ZAddressIPv6::SetAddrinfo(const addrinfo* info)
{
    m_valid = false;
    if (!info || info->ai_family != AF_INET6)
        return false;
    m_socketType = info->ai_socktype;
    m_protocol = info->ai_protocol;
    return SetSockaddr(info->ai_addr, info->ai_addrlen);
}

bool ZAddressIPv6::SetAddress(const wchar_t* text, unsigned short port)
{
    m_valid = false;
    if (!text || !Tessaro::EnsureWinsockStarted())
        return false;
    ADDRINFOW hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_family = AF_INET6;
    ADDRINFOW* result = nullptr;
    if (::GetAddrInfoW(text, nullptr, &hints, &result) != 0 || !result)
        return false;
    // Only the address is taken: text says nothing about the socket type and
    // protocol, so those keep their values.
    const bool ok = result->ai_family == AF_INET6 && SetSockaddr(result->ai_addr, result->ai_addrlen);
    ::FreeAddrInfoW(result);
    if (!ok)
        return false;
    SetPort(port);
    return true;
}

bool ZAddressIPv6::SetAddress(const char* text, unsigned short port)
{
    m_valid = false;
    if (!text)
        return false;
    return SetAddress(ZUnicodeString(ZString(text)).c_str(), port);
}

bool ZAddressIPv6::SetAddressAndPort(const wchar_t* text)
{
    m_valid = false;
    ZUnicodeString host;
    unsigned short port = 0;
    if (!text || !SplitHostAndPort(text, host, port))
        return false;
    return SetAddress(host.c_str(), port);
}

bool ZAddressIPv6::SetAddressAndPort(const char* text)
{
    m_valid = false;
    ZString host;
    unsigned short port = 0;
    if (!text || !SplitHostAndPort(text, host, port))
        return false;
    return SetAddress(host.c_str(), port);
}

void ZAddressIPv6::SetPort(unsigned short port) { Address().sin6_port = ::htons(port); }
void ZAddressIPv6::SetSocketType(int socketType) { m_socketType = socketType; }
void ZAddressIPv6::SetProtocol(int protocol) { m_protocol = protocol; }

bool ZAddressIPv6::SetRawAddress(const void* bytes, int length)
{
    if (!bytes || length != kAddressSize)
        return false;
    std::memcpy(Address().sin6_addr.s6_addr, bytes, kAddressSize);
    m_valid = true;
    return true;
}

ZString ZAddressIPv6::ToAnsiString(bool withPort) { return ZString(ToString(withPort)); }

ZUnicodeString ZAddressIPv6::ToString(bool withPort)
{
    ZUnicodeString text;
    if (!m_valid || !Tessaro::EnsureWinsockStarted())
        return text;
    wchar_t host[NI_MAXHOST] = {};
    wchar_t service[NI_MAXSERV] = {};
    const int flags = NI_NUMERICHOST | (withPort ? NI_NUMERICSERV : 0);
    if (::GetNameInfoW(reinterpret_cast<const sockaddr*>(&Address()), sizeof Address(), host, NI_MAXHOST,
                       withPort ? service : nullptr, withPort ? NI_MAXSERV : 0, flags) != 0)
        return text;
    if (!withPort)
        return ZUnicodeString(host);
    text = L"[";
    text += host;
    text += L"]:";
    text += service;
    return text;
}

bool ZAddressIPv6::GetRawAddress(const void*& bytes, int& length)
{
    if (!m_valid)
        return false;
    bytes = Address().sin6_addr.s6_addr;
    length = kAddressSize;
    return true;
}

unsigned short ZAddressIPv6::GetPort() { return ::ntohs(Address().sin6_port); }

bool ZAddressIPv6::GetSockaddr(const sockaddr*& address, int& length)
{
    if (!m_valid)
        return false;
    address = reinterpret_cast<const sockaddr*>(&Address());
    length = sizeof Address();
    return true;
}

int ZAddressIPv6::GetFamily() { return AF_INET6; }
int ZAddressIPv6::GetSocketType() { return m_socketType; }
int ZAddressIPv6::GetProtocol() { return m_protocol; }

bool ZAddressIPv6::Increment()
{
    unsigned char* bytes = Address().sin6_addr.s6_addr;
    if (!m_valid || std::all_of(bytes, bytes + kAddressSize, [](unsigned char b) { return b == 0xFF; }))
        return false;
    for (int i = kAddressSize - 1; i >= 0; --i)
        if (++bytes[i] != 0)
            break;
    return true;
}

bool ZAddressIPv6::IsLessThan(IInternetAddress* other)
{
    const unsigned char* theirs;
    if (!SameFamilyAndValid(other, theirs))
        return false;
    return std::memcmp(Address().sin6_addr.s6_addr, theirs, kAddressSize) < 0;
}
