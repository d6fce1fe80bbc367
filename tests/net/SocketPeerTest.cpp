// ZIoSocket against peers nobody here wrote, on the Linux side: socat echo servers over both families, a UDP
// echo and a socat client. SocketPeers.py starts them and passes TESSARO_PEER_* ports.
#include "tests/net/SocketTestSupport.h"

#include <cstdlib>

using namespace SocketTest;

namespace {

unsigned short PeerPort(const char* name)
{
    const char* value = std::getenv((std::string("TESSARO_PEER_") + name).c_str());
    return value ? static_cast<unsigned short>(std::atoi(value)) : 0;
}

#define REQUIRE_PEER(port)                                                                      \
    if ((port) == 0)                                                                            \
        GTEST_SKIP() << "no Linux peer: run through ctest, whose driver SocketPeers.py starts them"

// A stream connection to a peer; fails the test when it is refused.
void Connect(Endpoint& client, const char* host, unsigned short port)
{
    client.socket->CreateAndConnect(nullptr, host, port, nullptr);
    ASSERT_TRUE(client.Await(Kind::Connect));
    ASSERT_EQ(client.Last(Kind::Connect).error, 0u);
}

}  // namespace

TEST(SocketPeers, EchoServerOverBothFamilies)
{
    struct Case { const char* host; const char* peer; };
    for (const Case& c : {Case{"127.0.0.1", "ECHO4"}, Case{"::1", "ECHO6"}}) {
        SCOPED_TRACE(c.host);
        const unsigned short port = PeerPort(c.peer);
        REQUIRE_PEER(port);
        Endpoint client;
        Connect(client, c.host, port);
        const std::string line = std::string("echo over ") + c.host + "\n";
        client.socket->Write(nullptr, Bytes(line).Get());
        std::string echoed;
        ReadContinuously(client, echoed);
        ASSERT_TRUE(PumpUntil([&] { return echoed.size() >= line.size(); }));
        EXPECT_EQ(echoed, line);
        client.socket->Close();
    }
}

TEST(SocketPeers, LinuxClientReachesAListener)
{
    const unsigned short port = PeerPort("LISTEN");
    REQUIRE_PEER(port);
    Endpoint listener;
    auto address = Address("127.0.0.1", port);
    ASSERT_EQ(listener.socket->Create(address.Get()), 0u);
    ASSERT_EQ(listener.socket->Bind(nullptr, address.Get()), static_cast<uint32_t>(ERROR_IO_PENDING));
    ASSERT_EQ(listener.socket->Listen(1), 0u);
    listener.socket->Accept(nullptr);
    ASSERT_TRUE(listener.Await(Kind::Accept, 1, 30000));
    const Event& accepted = listener.Last(Kind::Accept);
    ASSERT_EQ(accepted.error, 0u);
    EXPECT_EQ(accepted.peer.rfind(L"127.0.0.1:", 0), 0u);
    EXPECT_TRUE(accepted.hasLocal);
    Endpoint server(accepted.accepted.Get());
    EXPECT_EQ(ReadToEnd(server), "hello-from-linux\n");
}

TEST(SocketPeers, DatagramsToAndFromALinuxEcho)
{
    const unsigned short port = PeerPort("UDP4");
    REQUIRE_PEER(port);
    Endpoint udp;
    BindDatagram(udp, "127.0.0.1");
    auto echo = Address("127.0.0.1", port);
    for (const char* datagram : {"first datagram", "second"}) {
        SCOPED_TRACE(datagram);
        const size_t before = udp.sink->Count(Kind::ReadFrom);
        udp.socket->ReadFrom(nullptr, Room(512).Get());
        udp.socket->WriteTo(nullptr, echo.Get(), Bytes(datagram).Get());
        ASSERT_TRUE(udp.Await(Kind::ReadFrom, before + 1));
        const Event& back = udp.Last(Kind::ReadFrom);
        EXPECT_EQ(back.error, 0u);
        EXPECT_EQ(back.data, datagram);
        EXPECT_EQ(back.peer, L"127.0.0.1:" + std::to_wstring(port));
    }
}
