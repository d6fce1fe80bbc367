// IInternetAddress: an IPv4 or IPv6 socket end point (address and port) with the
// socket type and protocol of a resolver entry. Numeric text only: names belong to
// the host's resolver.
//
// Comparisons are false when either operand is invalid or of the other family.
// Ports are compatible when either is 0 or both are equal: port 0 is a wildcard in
// IsEqual and IsInSubnet. An operation that sets the address from outside leaves
// the object invalid when it fails, so GetSockaddr and GetRawAddress refuse it and
// ToString gives an empty text.
#pragma once

#include "foundation/ZString.h"
#include "foundation/ZUnicodeString.h"
#include "foundation/ZUnknown.h"

// The platform's socket address structures (<winsock2.h>, <ws2tcpip.h>). Declared
// here only, so that this header works whether or not windows.h came first.
struct sockaddr;
struct addrinfo;

class IInternetAddress : public IUnknown {
public:
    virtual bool IsValid() = 0;
    // The leading prefixBits bits of both addresses agree (all of them when the
    // prefix is longer than the address).
    virtual bool IsInSubnet(IInternetAddress* other, unsigned prefixBits) = 0;
    virtual bool IsEqual(IInternetAddress* other) = 0;
    virtual bool IsAny() = 0;
    virtual bool IsLoopback() = 0;
    virtual bool SetSockaddr(const sockaddr* address, size_t length) = 0;
    virtual bool SetAddrinfo(const addrinfo* info) = 0;
    virtual bool SetAddress(const wchar_t* text, unsigned short port) = 0;
    virtual bool SetAddress(const char* text, unsigned short port) = 0;
    // "host", "host:port", "[v6 host]:port".
    virtual bool SetAddressAndPort(const wchar_t* text) = 0;
    virtual bool SetAddressAndPort(const char* text) = 0;
    virtual void SetPort(unsigned short port) = 0;
    virtual void SetSocketType(int socketType) = 0;
    virtual void SetProtocol(int protocol) = 0;
    // 4 or 16 bytes in network order; any other length leaves the object untouched.
    virtual bool SetRawAddress(const void* bytes, int length) = 0;
    virtual ZString ToAnsiString(bool withPort) = 0;
    virtual ZUnicodeString ToString(bool withPort) = 0;
    virtual bool GetRawAddress(const void*& bytes, int& length) = 0;
    // Host byte order.
    virtual unsigned short GetPort() = 0;
    virtual bool GetSockaddr(const sockaddr*& address, int& length) = 0;
    virtual int GetFamily() = 0;
    virtual int GetSocketType() = 0;
    virtual int GetProtocol() = 0;
    // The next address; false (and unchanged) at the last one.
    virtual bool Increment() = 0;
    virtual bool IsLessThan(IInternetAddress* other) = 0;
};
