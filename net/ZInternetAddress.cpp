#include <winsock2.h>
#include <ws2tcpip.h>

#include "net/ZInternetAddress.h"

#include <cstring>
#include <string_view>

#include "net/WinsockStartup.h"
#include "net/ZAddressIPv4.h"
#include "net/ZAddressIPv6.h"

namespace Tessaro {

bool EnsureWinsockStarted()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

}  // namespace Tessaro

namespace {

template <class Char>
bool IsBlank(Char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <class Char>
bool IsDigit(Char c)
{
    return c >= '0' && c <= '9';
}

template <class Char>
bool ParsePortText(std::basic_string_view<Char> text, unsigned short& port)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    const size_t firstDigit = i;
    unsigned long value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + static_cast<unsigned long>(text[i] - '0');
        if (value > 65535)
            return false;
    }
    if (i == firstDigit)
        return false;  // no digit, or a sign the port cannot have
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return false;
    port = static_cast<unsigned short>(value);
    return true;
}

template <class Char, class String>
bool Split(std::basic_string_view<Char> text, String& host, unsigned short& port, bool* hadPort)
{
    using View = std::basic_string_view<Char>;
    bool named = false;
    unsigned short parsedPort = 0;
    const size_t firstColon = text.find(Char(':'));
    const size_t lastColon = text.rfind(Char(':'));
    if (firstColon == View::npos) {
        host = String(text.data(), text.size());
    } else if (firstColon == lastColon) {
        if (!ParsePortText(text.substr(firstColon + 1), parsedPort))
            return false;
        host = String(text.data(), firstColon);
        named = true;
    } else {
        const size_t open = text.find(Char('['));
        const size_t close = text.rfind(Char(']'));
        if ((open == View::npos) != (close == View::npos))
            return false;
        if (open == View::npos) {
            host = String(text.data(), text.size());
        } else {
            if (open != 0 || close < open)
                return false;
            // After the bracket only ":port" may follow; anything else is not an address.
            const View after = text.substr(close + 1);
            if (!after.empty()) {
                if (after[0] != Char(':') || !ParsePortText(after.substr(1), parsedPort))
                    return false;
                named = true;
            }
            host = String(text.data() + 1, close - 1);
        }
    }
    port = parsedPort;
    if (hadPort)
        *hadPort = named;
    return true;
}

}  // namespace

bool ParsePort(const char* text, unsigned short& port)
{
    return text && ParsePortText(std::string_view(text), port);
}

bool ParsePort(const wchar_t* text, unsigned short& port)
{
    return text && ParsePortText(std::wstring_view(text), port);
}

bool SplitHostAndPort(const char* text, ZString& host, unsigned short& port, bool* hadPort)
{
    return text && Split(std::string_view(text), host, port, hadPort);
}

bool SplitHostAndPort(const wchar_t* text, ZUnicodeString& host, unsigned short& port, bool* hadPort)
{
    return text && Split(std::wstring_view(text), host, port, hadPort);
}

bool IsDottedQuad(const char* text)
{
    if (!text)
        return false;
    int parts = 0;
    size_t digits = 0;
    for (const char* c = text;; ++c) {
        if (IsDigit(*c)) {
            ++digits;
            continue;
        }
        if (digits == 0 || (*c != '.' && *c != '\0'))
            return false;
        ++parts;
        digits = 0;
        if (*c == '\0')
            break;
    }
    // The platform's own parser refuses leading zeros and values above 255.
    in_addr parsed;
    return parts == 4 && ::inet_pton(AF_INET, text, &parsed) == 1;
}

IInternetAddress* CreateAddressFromSockaddr(const sockaddr* address, size_t length)
{
    if (!address || length < sizeof address->sa_family)
        return nullptr;
    ZUnknownPointer<IInternetAddress> created;
    if (address->sa_family == AF_INET)
        created.Attach(new ZAddressIPv4);
    else if (address->sa_family == AF_INET6)
        created.Attach(new ZAddressIPv6);
    else
        return nullptr;
    if (!created->SetSockaddr(address, length))
        return nullptr;
    return created.Detach();
}

IInternetAddress* CreateAddressFromNumericHost(const char* host, unsigned short port)
{
    if (!host || !Tessaro::EnsureWinsockStarted())
        return nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    const bool wildcard = *host == '\0';
    if (wildcard) {
        hints.ai_flags = AI_PASSIVE;
        hints.ai_socktype = SOCK_STREAM;
    } else {
        hints.ai_flags = AI_NUMERICHOST;
    }
    addrinfo* result = nullptr;
    if (::getaddrinfo(wildcard ? nullptr : host, wildcard ? "0" : nullptr, &hints, &result) != 0 || !result)
        return nullptr;
    sockaddr_storage storage{};
    size_t length = result->ai_addrlen;
    const bool usable = (wildcard || result->ai_family != AF_INET || IsDottedQuad(host)) && result->ai_addr &&
                        length <= sizeof storage;
    if (usable)
        std::memcpy(&storage, result->ai_addr, length);
    ::freeaddrinfo(result);
    if (!usable)
        return nullptr;
    if (storage.ss_family == AF_INET)
        reinterpret_cast<sockaddr_in&>(storage).sin_port = ::htons(port);
    else if (storage.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(storage).sin6_port = ::htons(port);
    return CreateAddressFromSockaddr(reinterpret_cast<const sockaddr*>(&storage), length);
}
