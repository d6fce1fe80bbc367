// ZAddressIPv6: an IInternetAddress over sockaddr_in6 (port and address in network
// byte order), so the socket code can pass it straight to the platform.
#pragma once

#include "foundation/TessaroApi.h"
#include "net/ZAddressBase.h"

struct sockaddr_in6;

class TESSARO_API ZAddressIPv6 : public ZAddressBase {
public:
    ZAddressIPv6();  // ::, port 0, stream socket, TCP; valid

    // What depends on the socket address structure; ZAddressBase does the rest.
    bool IsLoopback() override;
    bool SetSockaddr(const sockaddr* address, size_t length) override;
    bool SetAddress(const wchar_t* text, unsigned short port) override;
    bool SetAddress(const char* text, unsigned short port) override;
    void SetPort(unsigned short port) override;
    bool SetRawAddress(const void* bytes, int length) override;
    ZUnicodeString ToString(bool withPort) override;
    bool GetRawAddress(const void*& bytes, int& length) override;
    unsigned short GetPort() override;
    bool GetSockaddr(const sockaddr*& address, int& length) override;
    int GetFamily() override;
    bool Increment() override;

private:
    sockaddr_in6& Address();

    // The platform's sockaddr_in6 (28 bytes, in network byte order), made in place by the
    // constructor. Held as storage so that this header needs no Winsock header.
    alignas(4) unsigned char m_address[28];
};
