// ZAddressBase: what ZAddressIPv4 and ZAddressIPv6 do alike. It holds the valid
// flag, socket type and protocol, and answers the comparisons, the host-and-port
// parsing and the resolver-entry setter through the family's own operations
// (GetFamily, GetRawAddress, GetPort, SetSockaddr, SetAddress), so that each
// family class keeps only its socket address structure and what depends on it.
#pragma once

#include "foundation/TessaroApi.h"
#include "net/IInternetAddress.h"

class TESSARO_API ZAddressBase : public ZUnknown<IInternetAddress> {
public:
    bool IsValid() override;
    bool IsInSubnet(IInternetAddress* other, unsigned prefixBits) override;
    bool IsEqual(IInternetAddress* other) override;
    bool IsAny() override;
    bool SetAddrinfo(const addrinfo* info) override;
    bool SetAddressAndPort(const wchar_t* text) override;
    bool SetAddressAndPort(const char* text) override;
    void SetSocketType(int socketType) override;
    void SetProtocol(int protocol) override;
    ZString ToAnsiString(bool withPort) override;
    int GetSocketType() override;
    int GetProtocol() override;
    bool IsLessThan(IInternetAddress* other) override;

protected:
    ZAddressBase();  // valid, stream socket, TCP

    // Adds one to an address in network byte order; false, and unchanged, when
    // every bit is already set.
    static bool IncrementBytes(unsigned char* bytes, int size);

    bool m_valid = true;
    int m_socketType;
    int m_protocol;

private:
    // Both addresses' bytes when both are valid and of this family.
    bool BothAddresses(IInternetAddress* other, const unsigned char*& mine, const unsigned char*& theirs,
                       int& size);
};
