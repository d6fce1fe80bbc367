// Internet addresses: parsing and printing numeric text, ports, comparisons, subnets,
// stepping, and the socket address round trips the socket code relies on.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "net/ZAddressIPv4.h"
#include "net/ZAddressIPv6.h"
#include "net/ZInternetAddress.h"
#include "tests/support/OwnedReference.h"

namespace {

using TestSupport::Own;

// A new address of the family: IPv6 when v6, else IPv4.
ZUnknownPointer<IInternetAddress> NewAddress(bool v6)
{
    return v6 ? Own<IInternetAddress>(new ZAddressIPv6) : Own<IInternetAddress>(new ZAddressIPv4);
}

// "host", "host:port" or "[host]:port", of the family the text shows.
ZUnknownPointer<IInternetAddress> Addr(const char* text)
{
    auto address = NewAddress(text[0] == '[' || std::count(text, text + std::strlen(text), ':') > 1);
    EXPECT_TRUE(address->SetAddressAndPort(text)) << text;
    return address;
}

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }

}  // namespace

TEST(AddressText, ParsePortTable)
{
    struct Case { const char* text; bool ok; unsigned short port; } cases[] = {
        {"22", true, 22},      {" 22 ", true, 22},   {"\t+8080\n", true, 8080}, {"0", true, 0},
        {"65535", true, 65535}, {"065535", true, 65535},
        {"65536", false, 0},   {"99999999999999999999", false, 0}, {"-1", false, 0}, {"-0", false, 0},
        {"12ab", false, 0},    {"", false, 0},      {"   ", false, 0}, {"+", false, 0}, {"+ 5", false, 0},
        {"1 2", false, 0},     {"0x10", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        unsigned short port = 4321;
        EXPECT_EQ(ParsePort(c.text, port), c.ok);
        EXPECT_EQ(port, c.ok ? c.port : 4321);
        unsigned short widePort = 4321;
        EXPECT_EQ(ParsePort(Widen(c.text).c_str(), widePort), c.ok);
        EXPECT_EQ(widePort, port);
    }
}

TEST(AddressText, SplitHostAndPortTable)
{
    struct Case { const char* text; bool ok; const char* host; unsigned short port; bool hadPort; } cases[] = {
        {"10.0.0.1", true, "10.0.0.1", 0, false},
        {"host:0", true, "host", 0, true},
        {"host:70000", false, "", 0, false},
        {"[fe80::1]:2222", true, "fe80::1", 2222, true},
        {"fe80::1", true, "fe80::1", 0, false},
        {"[fe80::1]", true, "fe80::1", 0, false},
        {"[fe80::1", false, "", 0, false},
        {"x[::1]:5", false, "", 0, false},
        {"][::1:5", false, "", 0, false},
        {"[::1]:x", false, "", 0, false},
        {"[::1]x:5", false, "", 0, false},  // only ":port" may follow the bracket
        {"", true, "", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ZString host("unchanged");
        unsigned short port = 9;
        bool hadPort = !c.hadPort;
        ASSERT_EQ(SplitHostAndPort(c.text, host, port, &hadPort), c.ok);
        if (!c.ok)
            continue;
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(port, c.port);
        EXPECT_EQ(hadPort, c.hadPort);
        ZUnicodeString wideHost;
        unsigned short widePort = 9;
        ASSERT_TRUE(SplitHostAndPort(Widen(c.text).c_str(), wideHost, widePort));
        EXPECT_EQ(ZString(wideHost), c.host);
        EXPECT_EQ(widePort, c.port);
    }
}

TEST(AddressText, DottedQuadTable)
{
    struct Case { const char* text; bool ok; } cases[] = {
        {"1.2.3.4", true},   {"0.0.0.0", true},   {"255.255.255.255", true}, {"127.1", false},
        {"127.0.1", false},  {"1.2.3.4.5", false}, {"1.2.3.", false},        {".1.2.3", false},
        {"1..2.3", false},   {"0x7f.0.0.1", false}, {"1.2.3.0x4", false},    {"010.0.0.1", false},
        {"256.1.1.1", false}, {"1.2.3.4 ", false}, {"a.b.c.d", false},       {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsDottedQuad(c.text), c.ok) << c.text;
}

TEST(AddressBoth, ParseAndPrintTable)
{
    struct Case { bool v6; const char* text; unsigned short port; bool ok; const wchar_t *plain, *withPort; };
    const Case cases[] = {
        {false, "10.0.0.1", 22, true, L"10.0.0.1", L"10.0.0.1:22"},
        {false, "255.255.255.254", 65535, true, L"255.255.255.254", L"255.255.255.254:65535"},
        {false, "192.168.001.1", 1, false, L"", L""},
        {false, "255.255.255.255", 1, false, L"", L""},  // the broadcast address is not an end point
        {false, "::1", 1, false, L"", L""},
        {false, "", 1, false, L"", L""},
        {true, "::1", 22, true, L"::1", L"[::1]:22"},
        {true, "::", 0, true, L"::", L"[::]:0"},
        {true, "2001:DB8:0:0:0:0:0:2", 1, true, L"2001:db8::2", L"[2001:db8::2]:1"},
        {true, "::ffff:1.2.3.4", 7, true, L"::ffff:1.2.3.4", L"[::ffff:1.2.3.4]:7"},
        {true, "1.2.3.4", 1, false, L"", L""},
        {true, "", 1, false, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (bool wide : {false, true}) {
            auto address = NewAddress(c.v6);
            address->SetPort(99);
            EXPECT_EQ(wide ? address->SetAddress(Widen(c.text).c_str(), c.port) : address->SetAddress(c.text, c.port),
                      c.ok);
            EXPECT_EQ(address->IsValid(), c.ok);
            // IPv4 takes the port either way; a failed IPv6 parse keeps the old one.
            EXPECT_EQ(address->GetPort(), c.ok || !c.v6 ? c.port : 99);
            EXPECT_EQ(address->ToString(false), c.plain);
            EXPECT_EQ(address->ToString(true), c.withPort);
            EXPECT_EQ(address->ToAnsiString(true), ZString(ZUnicodeString(c.withPort)));
            const sockaddr* sa;
            int length;
            const void* raw;
            EXPECT_EQ(address->GetSockaddr(sa, length), c.ok);
            EXPECT_EQ(address->GetRawAddress(raw, length), c.ok);
        }
    }
}

TEST(AddressBoth, SetAddressAndPortTable)
{
    // How text splits is the split table's part: these rows check the family and that a failure invalidates.
    struct Case { bool v6; const char* text; bool ok; unsigned short port; } cases[] = {
        {false, "10.0.0.1:22", true, 22}, {false, "10.0.0.1", true, 0}, {false, "10.0.0.1:x", false, 0},
        {false, "[10.0.0.1]:22", false, 0}, {true, "[fe80::1]:2222", true, 2222}, {true, "fe80::1", true, 0},
        {true, "[::1]:65536", false, 0}, {true, "[::1]", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        for (bool wide : {false, true}) {
            auto address = NewAddress(c.v6);
            EXPECT_EQ(wide ? address->SetAddressAndPort(Widen(c.text).c_str()) : address->SetAddressAndPort(c.text),
                      c.ok);
            EXPECT_EQ(address->IsValid(), c.ok);
            if (c.ok) {
                EXPECT_EQ(address->GetPort(), c.port);
            }
        }
    }
}

TEST(AddressBoth, NewAddressesAreTheValidWildcard)
{
    for (bool v6 : {false, true}) {
        auto address = NewAddress(v6);
        EXPECT_TRUE(address->IsValid());
        EXPECT_TRUE(address->IsAny());
        EXPECT_FALSE(address->IsLoopback());
        EXPECT_EQ(address->GetPort(), 0);
        EXPECT_EQ(address->GetFamily(), v6 ? AF_INET6 : AF_INET);
        EXPECT_EQ(address->GetSocketType(), SOCK_STREAM);
        EXPECT_EQ(address->GetProtocol(), IPPROTO_TCP);
        const sockaddr* sa;
        int length;
        ASSERT_TRUE(address->GetSockaddr(sa, length));
        EXPECT_EQ(sa->sa_family, address->GetFamily());
        EXPECT_EQ(length, v6 ? 28 : 16);
    }
}

TEST(AddressBoth, AnyAndLoopback)
{
    struct Case { const char* text; bool any, loopback; } cases[] = {
        {"0.0.0.0", true, false}, {"127.0.0.1", false, true}, {"127.255.1.2", false, true},
        {"128.0.0.1", false, false}, {"::", true, false}, {"::1", false, true},
        {"::2", false, false}, {"::ffff:127.0.0.1", false, false},
    };
    for (const Case& c : cases) {
        auto address = Addr(c.text);
        EXPECT_EQ(address->IsAny(), c.any) << c.text;
        EXPECT_EQ(address->IsLoopback(), c.loopback) << c.text;
    }
    auto invalid = NewAddress(false);
    invalid->SetAddress("bad", 0);
    EXPECT_FALSE(invalid->IsAny());
}

TEST(AddressBoth, EqualityWithPortWildcardAndNumericOrder)
{
    // order -1: a < b; 1: b < a; 0: neither (the port takes no part)
    struct Case { const char *a, *b; bool equal; int order; } cases[] = {
        {"10.0.0.1:22", "10.0.0.1:22", true, 0}, {"10.0.0.1", "10.0.0.1:22", true, 0},
        {"10.0.0.1:22", "10.0.0.1:23", false, 0}, {"10.0.0.1:22", "10.0.0.2:22", false, -1},
        {"10.0.0.2", "10.0.0.10", false, -1},  // numeric, not textual
        {"9.255.255.255", "10.0.0.0", false, -1}, {"[::1]:22", "0:0::1", true, 0},
        {"[::1]:22", "[::1]:21", false, 0}, {"::2", "::10", false, -1},
        {"1::", "ff::", false, -1},
        {"::ffff:10.0.0.1", "10.0.0.1", false, 0},  // other family
        {"ff::", "1.1.1.1", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " " << c.b);
        auto a = Addr(c.a);
        auto b = Addr(c.b);
        EXPECT_EQ(a->IsEqual(b.Get()), c.equal);
        EXPECT_EQ(b->IsEqual(a.Get()), c.equal);
        EXPECT_EQ(a->IsLessThan(b.Get()), c.order < 0);
        EXPECT_EQ(b->IsLessThan(a.Get()), c.order > 0);
    }
    auto valid = Addr("10.0.0.1");
    auto invalid = NewAddress(false);
    invalid->SetAddress("10.0.0.1:", 0);
    EXPECT_FALSE(valid->IsEqual(invalid.Get()));
    EXPECT_FALSE(invalid->IsEqual(valid.Get()));
    EXPECT_FALSE(valid->IsEqual(nullptr));
}

TEST(AddressBoth, SubnetTable)
{
    struct Case { const char* a; const char* b; unsigned prefix; bool inside; } cases[] = {
        {"192.168.1.7", "192.168.1.200", 24, true}, {"192.168.1.7", "192.168.2.7", 24, false},
        {"192.168.1.7", "192.168.2.7", 22, true}, {"192.168.1.7", "192.168.1.6", 31, true},
        {"192.168.1.7", "192.168.1.5", 31, false}, {"192.168.1.7", "192.168.1.5", 30, true},
        {"192.168.1.7", "192.168.1.6", 32, false}, {"1.2.3.4", "200.9.9.9", 0, true},
        {"1.2.3.4", "1.2.3.4", 32, true},
        {"1.2.3.4", "1.2.3.5", 33, false},  // longer prefixes use the whole address
        {"1.2.3.4", "1.2.3.4", 1000, true}, {"2001:db8::1", "2001:db8::ffff", 112, true},
        {"2001:db8::1", "2001:db9::1", 32, false}, {"2001:db8::1", "2001:db9::1", 31, true},
        {"2001:db8::1", "2001:db8::1:1", 100, true}, {"2001:db8::1", "2001:db8::1:1", 111, true},
        {"2001:db8::1", "2001:db8::1:1", 112, false}, {"::1", "ffff::", 0, true},
        {"::1", "::", 128, false}, {"::1", "::", 127, true},
        {"::1", "::1", 4000, true},
        {"0.0.0.0", "::", 0, false},  // other families never share one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " " << c.b << "/" << c.prefix);
        auto a = Addr(c.a);
        a->SetPort(22);  // port 0 on the other side is a wildcard
        auto b = Addr(c.b);
        EXPECT_EQ(a->IsInSubnet(b.Get(), c.prefix), c.inside);
        EXPECT_EQ(b->IsInSubnet(a.Get(), c.prefix), c.inside);
    }
    EXPECT_FALSE(Addr("10.0.0.1:1")->IsInSubnet(Addr("10.0.0.1:2").Get(), 8));  // different ports never do
}

TEST(AddressBoth, IncrementCarriesAndStopsAtTheTop)
{
    struct Case { const char* from; bool ok; const wchar_t* to; } cases[] = {
        {"10.255.255.255:80", true, L"11.0.0.0:80"},
        {"255.255.255.254:80", true, L"255.255.255.255:80"},
        {"[::ffff:ffff]:80", true, L"[::1:0:0]:80"},
        {"[2001:db8::ffff:ffff:ffff]:80", true, L"[2001:db8:0:0:1::]:80"},
        {"[ffff:ffff:ffff:ffff:ffff:ffff:ffff:fffe]:80", true, L"[ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff]:80"},
        {"[ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff]:80", false, L"[ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff]:80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        auto address = Addr(c.from);
        EXPECT_EQ(address->Increment(), c.ok);
        EXPECT_EQ(address->ToString(true).str(), std::wstring(c.to));
    }
    // The last IPv4 address (not an end point, so set raw) cannot be stepped.
    auto top = NewAddress(false);
    const unsigned char ones[4] = {255, 255, 255, 255};
    ASSERT_TRUE(top->SetRawAddress(ones, 4));
    EXPECT_FALSE(top->Increment());
    auto invalid = NewAddress(true);
    invalid->SetAddress("nope", 0);
    EXPECT_FALSE(invalid->Increment());
}

TEST(AddressBoth, RawAddressesOfTheFamilyLengthOnly)
{
    const unsigned char four[4] = {10, 9, 8, 7};
    const unsigned char sixteen[16] = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7};
    auto v4 = Addr("1.2.3.4:5");
    EXPECT_FALSE(v4->SetRawAddress(sixteen, 16));  // other length: untouched
    EXPECT_EQ(v4->ToString(true), L"1.2.3.4:5");
    ASSERT_TRUE(v4->SetRawAddress(four, 4));
    EXPECT_EQ(v4->ToString(true), L"10.9.8.7:5");
    const void* raw;
    int length;
    ASSERT_TRUE(v4->GetRawAddress(raw, length));
    EXPECT_EQ(length, 4);
    EXPECT_EQ(std::memcmp(raw, four, 4), 0);

    auto v6 = NewAddress(true);
    v6->SetAddress("bad", 0);
    EXPECT_FALSE(v6->SetRawAddress(four, 4));
    EXPECT_FALSE(v6->IsValid());
    ASSERT_TRUE(v6->SetRawAddress(sixteen, 16));
    EXPECT_EQ(v6->ToString(false), L"2001:db8::7");
}

TEST(AddressFactory, NumericHostTable)
{
    struct Case { const char* host; unsigned short port; int family; const wchar_t* text; };  // family 0: no address
    const Case cases[] = {
        {"127.0.0.1", 22, AF_INET, L"127.0.0.1:22"},
        {"127.1", 22, 0, nullptr},  // the platform's short forms are not dotted quads
        {"::1", 80, AF_INET6, L"[::1]:80"},
        {"localhost", 80, 0, nullptr},
        {"255.255.255.255", 1, AF_INET, L"255.255.255.255:1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        auto address = Own(CreateAddressFromNumericHost(c.host, c.port));
        if (!c.family) {
            EXPECT_FALSE(address);
            continue;
        }
        ASSERT_TRUE(address);
        EXPECT_EQ(address->GetFamily(), c.family);
        EXPECT_EQ(address->GetPort(), c.port);
        EXPECT_EQ(address->ToString(true), c.text);
    }
    EXPECT_EQ(CreateAddressFromNumericHost(nullptr, 1), nullptr);
    auto wildcard = Own(CreateAddressFromNumericHost("", 4000));
    ASSERT_TRUE(wildcard);
    EXPECT_TRUE(wildcard->IsAny());
    EXPECT_EQ(wildcard->GetPort(), 4000);
}

TEST(AddressFactory, SockaddrRoundTrips)
{
    for (const char* text : {"10.1.2.3", "::1", "2001:db8::abcd", "0.0.0.0"}) {
        SCOPED_TRACE(text);
        auto original = Own(CreateAddressFromNumericHost(text, 65000));
        ASSERT_TRUE(original);
        const sockaddr* sa;
        int length;
        ASSERT_TRUE(original->GetSockaddr(sa, length));
        auto copy = Own(CreateAddressFromSockaddr(sa, length));
        ASSERT_TRUE(copy);
        EXPECT_TRUE(copy->IsEqual(original.Get()));
        EXPECT_EQ(copy->GetPort(), 65000);
        EXPECT_EQ(copy->ToString(true), original->ToString(true));
        // A structure too short for its family, or of the other family, is refused.
        EXPECT_EQ(CreateAddressFromSockaddr(sa, 4), nullptr);
        auto other = NewAddress(original->GetFamily() == AF_INET);
        EXPECT_FALSE(other->SetSockaddr(sa, length));
        EXPECT_FALSE(other->IsValid());
    }
    sockaddr unknown{};
    unknown.sa_family = AF_UNIX;
    EXPECT_EQ(CreateAddressFromSockaddr(&unknown, sizeof unknown), nullptr);
    EXPECT_EQ(CreateAddressFromSockaddr(nullptr, 16), nullptr);

    // Scope and flow information survive the structure round trip (their text is
    // the platform's own, so only the numbers are compared).
    sockaddr_in6 scoped{};
    scoped.sin6_family = AF_INET6;
    scoped.sin6_port = ::htons(22);
    scoped.sin6_scope_id = 3;
    scoped.sin6_flowinfo = 0x12345;
    scoped.sin6_addr.s6_addr[0] = 0xfe;
    scoped.sin6_addr.s6_addr[1] = 0x80;
    scoped.sin6_addr.s6_addr[15] = 1;
    auto link = Own(CreateAddressFromSockaddr(reinterpret_cast<sockaddr*>(&scoped), sizeof scoped));
    ASSERT_TRUE(link);
    const sockaddr* sa;
    int length;
    ASSERT_TRUE(link->GetSockaddr(sa, length));
    ASSERT_EQ(length, static_cast<int>(sizeof scoped));
    EXPECT_EQ(std::memcmp(sa, &scoped, sizeof scoped), 0);
    EXPECT_FALSE(link->ToString(true).empty());

    // The older structure without a scope identifier (24 bytes) is accepted; shorter is not.
    auto older = Own(CreateAddressFromSockaddr(reinterpret_cast<sockaddr*>(&scoped), 24));
    ASSERT_TRUE(older);
    ASSERT_TRUE(older->GetSockaddr(sa, length));
    EXPECT_EQ(reinterpret_cast<const sockaddr_in6*>(sa)->sin6_scope_id, 0u);
    EXPECT_EQ(older->GetPort(), 22);
    EXPECT_EQ(CreateAddressFromSockaddr(reinterpret_cast<sockaddr*>(&scoped), 23), nullptr);
}

TEST(AddressFactory, AddrinfoCarriesTypeAndProtocol)
{
    WSADATA winsock;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &winsock), 0);  // the test calls the resolver itself
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    hints.ai_flags = AI_NUMERICHOST;
    for (const char* host : {"192.0.2.1", "2001:db8::1"}) {
        SCOPED_TRACE(host);
        addrinfo* result = nullptr;
        ASSERT_EQ(::getaddrinfo(host, "53", &hints, &result), 0);
        auto right = NewAddress(result->ai_family == AF_INET6);
        auto wrong = NewAddress(result->ai_family == AF_INET);
        EXPECT_TRUE(right->SetAddrinfo(result));
        EXPECT_EQ(right->GetSocketType(), SOCK_DGRAM);
        EXPECT_EQ(right->GetProtocol(), IPPROTO_UDP);
        EXPECT_EQ(right->GetPort(), 53);
        EXPECT_FALSE(wrong->SetAddrinfo(result));
        EXPECT_FALSE(wrong->IsValid());
        ::freeaddrinfo(result);
    }
    ::WSACleanup();
}
