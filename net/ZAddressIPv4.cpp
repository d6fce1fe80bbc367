#include <winsock2.h>
#include <ws2tcpip.h>

#include "net/ZAddressIPv4.h"

#include <cstring>
#include <new>

#include "net/AddressCompare.h"
#include "net/ZInternetAddress.h"

using Tessaro::PortsCompatible;

namespace {

constexpr int kAddressSize = 4;
constexpr uint32_t kBroadcast = 0xFFFFFFFFu;

}  // namespace

static_assert(sizeof(sockaddr_in) == 16 && alignof(sockaddr_in) <= 4, "socket address storage");

ZAddressIPv4::ZAddressIPv4() : m_socketType(SOCK_STREAM), m_protocol(IPPROTO_TCP)
{
    new (m_address) sockaddr_in{};
    Address().sin_family = AF_INET;
}

sockaddr_in& ZAddressIPv4::Address()
{
    return *std::launder(reinterpret_cast<sockaddr_in*>(m_address));
}

bool ZAddressIPv4::IsValid() { return m_valid; }

bool ZAddressIPv4::SameFamilyAndValid(IInternetAddress* other, const unsigned char*& bytes)
{
    return m_valid && Tessaro::RawAddressOf(other, AF_INET, kAddressSize, bytes);
}

bool ZAddressIPv4::IsInSubnet(IInternetAddress* other, unsigned prefixBits)
{
    const unsigned char* theirs;
    if (!SameFamilyAndValid(other, theirs) || !PortsCompatible(GetPort(), other->GetPort()))
        return false;
    return Tessaro::PrefixEqual(reinterpret_cast<const unsigned char*>(&Address().sin_addr), theirs, kAddressSize,
                                prefixBits);
}

bool ZAddressIPv4::IsEqual(IInternetAddress* other)
{
    const unsigned char* theirs;
    if (!SameFamilyAndValid(other, theirs) || !PortsCompatible(GetPort(), other->GetPort()))
        return false;
    return std::memcmp(&Address().sin_addr, theirs, kAddressSize) == 0;
}

bool ZAddressIPv4::IsAny() { return m_valid && Address().sin_addr.s_addr == 0; }

bool ZAddressIPv4::IsLoopback()
{
    return m_valid && reinterpret_cast<const unsigned char*>(&Address().sin_addr)[0] == 127;
}

bool ZAddressIPv4::SetSockaddr(const sockaddr* address, size_t length)
{
    m_valid = false;
    // Family, port and address must all be there.
    if (!address || length < offsetof(sockaddr_in, sin_zero) || address->sa_family != AF_INET)
        return false;
    sockaddr_in copy{};
    std::memcpy(&copy, address, offsetof(sockaddr_in, sin_zero));
    Address().sin_port = copy.sin_port;
    Address().sin_addr = copy.sin_addr;
    m_valid = true;
    return true;
}

bool ZAddressIPv4::SetAddrinfo(const addrinfo* info)
{
    m_valid = false;
    if (!info || info->ai_family != AF_INET)
        return false;
    m_socketType = info->ai_socktype;
    m_protocol = info->ai_protocol;
    return SetSockaddr(info->ai_addr, info->ai_addrlen);
}

bool ZAddressIPv4::SetAddress(const wchar_t* text, unsigned short port)
{
    m_valid = false;
    SetPort(port);
    if (!text)
        return false;
    return SetAddress(ZString(ZUnicodeString(text)).c_str(), port);
}

bool ZAddressIPv4::SetAddress(const char* text, unsigned short port)
{
    m_valid = false;
    SetPort(port);
    in_addr parsed{};
    if (!text || ::inet_pton(AF_INET, text, &parsed) != 1 || parsed.s_addr == kBroadcast)
        return false;
    Address().sin_addr = parsed;
    m_valid = true;
    return true;
}

bool ZAddressIPv4::SetAddressAndPort(const wchar_t* text)
{
    m_valid = false;
    ZUnicodeString host;
    unsigned short port = 0;
    if (!text || !SplitHostAndPort(text, host, port))
        return false;
    return SetAddress(host.c_str(), port);
}

bool ZAddressIPv4::SetAddressAndPort(const char* text)
{
    m_valid = false;
    ZString host;
    unsigned short port = 0;
    if (!text || !SplitHostAndPort(text, host, port))
        return false;
    return SetAddress(host.c_str(), port);
}

void ZAddressIPv4::SetPort(unsigned short port) { Address().sin_port = ::htons(port); }
void ZAddressIPv4::SetSocketType(int socketType) { m_socketType = socketType; }
void ZAddressIPv4::SetProtocol(int protocol) { m_protocol = protocol; }

bool ZAddressIPv4::SetRawAddress(const void* bytes, int length)
{
    if (!bytes || length != kAddressSize)
        return false;
    std::memcpy(&Address().sin_addr, bytes, kAddressSize);
    m_valid = true;
    return true;
}

ZString ZAddressIPv4::ToAnsiString(bool withPort) { return ZString(ToString(withPort)); }

ZUnicodeString ZAddressIPv4::ToString(bool withPort)
{
    ZUnicodeString text;
    if (!m_valid)
        return text;
    wchar_t host[INET_ADDRSTRLEN] = {};
    in_addr address = Address().sin_addr;
    if (!::InetNtopW(AF_INET, &address, host, INET_ADDRSTRLEN))
        return text;
    if (!withPort)
        return ZUnicodeString(host);
    text.Format(L"%1:%2!hu!", host, GetPort());
    return text;
}

bool ZAddressIPv4::GetRawAddress(const void*& bytes, int& length)
{
    if (!m_valid)
        return false;
    bytes = &Address().sin_addr;
    length = kAddressSize;
    return true;
}

unsigned short ZAddressIPv4::GetPort() { return ::ntohs(Address().sin_port); }

bool ZAddressIPv4::GetSockaddr(const sockaddr*& address, int& length)
{
    if (!m_valid)
        return false;
    address = reinterpret_cast<const sockaddr*>(&Address());
    length = sizeof Address();
    return true;
}

int ZAddressIPv4::GetFamily() { return AF_INET; }
int ZAddressIPv4::GetSocketType() { return m_socketType; }
int ZAddressIPv4::GetProtocol() { return m_protocol; }

bool ZAddressIPv4::Increment()
{
    const uint32_t value = ::ntohl(Address().sin_addr.s_addr);
    if (!m_valid || value == kBroadcast)
        return false;
    Address().sin_addr.s_addr = ::htonl(value + 1);
    return true;
}

bool ZAddressIPv4::IsLessThan(IInternetAddress* other)
{
    const unsigned char* theirs;
    if (!SameFamilyAndValid(other, theirs))
        return false;
    uint32_t otherValue;
    std::memcpy(&otherValue, theirs, kAddressSize);
    return ::ntohl(Address().sin_addr.s_addr) < ::ntohl(otherValue);
}
