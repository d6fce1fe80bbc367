// Making addresses from text or from the platform's socket address structures, and
// the host-and-port text helpers they build on.
#pragma once

#include "foundation/TessaroApi.h"
#include "net/IInternetAddress.h"

// A ZAddressIPv4 or ZAddressIPv6 for numeric host text (an empty text gives the
// wildcard address), with the port set; null when the text is not a numeric
// address. IPv4 must be written as a full dotted quad of decimal numbers. The
// caller owns the reference.
TESSARO_API IInternetAddress* CreateAddressFromNumericHost(const char* host, unsigned short port);

// The address class for the structure's family, set from it; null for another
// family or a structure too short for its family.
TESSARO_API IInternetAddress* CreateAddressFromSockaddr(const sockaddr* address, size_t length);

// Splits "host", "host:port", "v6host", "[v6host]" and "[v6host]:port". hadPort
// tells whether the text named a port. False for a bad port or misplaced brackets.
TESSARO_API bool SplitHostAndPort(const char* text, ZString& host, unsigned short& port, bool* hadPort = nullptr);
TESSARO_API bool SplitHostAndPort(const wchar_t* text, ZUnicodeString& host, unsigned short& port,
                                  bool* hadPort = nullptr);

// A decimal port 0-65535; blanks around it and a leading '+' are accepted.
TESSARO_API bool ParsePort(const char* text, unsigned short& port);
TESSARO_API bool ParsePort(const wchar_t* text, unsigned short& port);

// Four decimal numbers 0-255 separated by dots, nothing else: refuses the short,
// octal and hexadecimal forms that the platform's resolver also accepts.
TESSARO_API bool IsDottedQuad(const char* text);
