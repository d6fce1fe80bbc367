#include <winsock2.h>
#include <ws2tcpip.h>

#include "net/ZAddressIPv4.h"

#include <cstring>
#include <new>

namespace {

constexpr int kAddressSize = 4;
constexpr uint32_t kBroadcast = 0xFFFFFFFFu;

}  // namespace

static_assert(sizeof(sockaddr_in) == 16 && alignof(sockaddr_in) <= 4, "socket address storage");

ZAddressIPv4::ZAddressIPv4()
{
    new (m_address) sockaddr_in{};
    Address().sin_family = AF_INET;
}

sockaddr_in& ZAddressIPv4::Address()
{
    return *std::launder(reinterpret_cast<sockaddr_in*>(m_address));
}

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

void ZAddressIPv4::SetPort(unsigned short port) { Address().sin_port = ::htons(port); }

bool ZAddressIPv4::SetRawAddress(const void* bytes, int length)
{
    if (!bytes || length != kAddressSize)
        return false;
    std::memcpy(&Address().sin_addr, bytes, kAddressSize);
    m_valid = true;
    return true;
}

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

bool ZAddressIPv4::Increment()
{
    return m_valid && IncrementBytes(reinterpret_cast<unsigned char*>(&Address().sin_addr), kAddressSize);
}
