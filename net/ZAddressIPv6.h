// ZAddressIPv6: an IInternetAddress over sockaddr_in6 (port and address in network
// byte order), so the socket code can pass it straight to the platform.
#pragma once

#include "foundation/TessaroApi.h"
#include "net/IInternetAddress.h"

struct sockaddr_in6;

class TESSARO_API ZAddressIPv6 : public ZUnknown<IInternetAddress> {
public:
    ZAddressIPv6();  // ::, port 0, stream socket, TCP; valid

    bool IsValid() override;
    bool IsInSubnet(IInternetAddress* other, unsigned prefixBits) override;
    bool IsEqual(IInternetAddress* other) override;
    bool IsAny() override;
    bool IsLoopback() override;
    bool SetSockaddr(const sockaddr* address, size_t length) override;
    bool SetAddrinfo(const addrinfo* info) override;
    bool SetAddress(const wchar_t* text, unsigned short port) override;
    bool SetAddress(const char* text, unsigned short port) override;
    bool SetAddressAndPort(const wchar_t* text) override;
    bool SetAddressAndPort(const char* text) override;
    void SetPort(unsigned short port) override;
    void SetSocketType(int socketType) override;
    void SetProtocol(int protocol) override;
    bool SetRawAddress(const void* bytes, int length) override;
    ZString ToAnsiString(bool withPort) override;
    ZUnicodeString ToString(bool withPort) override;
    bool GetRawAddress(const void*& bytes, int& length) override;
    unsigned short GetPort() override;
    bool GetSockaddr(const sockaddr*& address, int& length) override;
    int GetFamily() override;
    int GetSocketType() override;
    int GetProtocol() override;
    bool Increment() override;
    bool IsLessThan(IInternetAddress* other) override;

private:
    bool SameFamilyAndValid(IInternetAddress* other, const unsigned char*& bytes);
    sockaddr_in6& Address();

    bool m_valid = true;
    int m_socketType;
    int m_protocol;
    // The platform's sockaddr_in6 (28 bytes, in network byte order), made in place by the
    // constructor. Held as storage so that this header needs no Winsock header.
    alignas(4) unsigned char m_address[28];
};
