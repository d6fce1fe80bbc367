// ZIoSocket over real loopback sockets under the platform: when results arrive
// (from the message loop or at once), end of stream, closing with requests
// queued, the resolver path, options, binds, releases from other threads, and
// faults: refused connections, resets, half-closes, many connect/close cycles.
#include "tests/net/SocketTestSupport.h"

#include <thread>

#include "foundation/TessaroInit.h"
#include "foundation/ZReportMessageParams.h"

using namespace SocketTest;

namespace {

void* Context(uintptr_t n) { return reinterpret_cast<void*>(n); }

// A resolver the test answers by hand, on the owner thread.
class FakeResolver : public ZUnknown<IHostnameResolver> {
public:
    void Resolve(IHostnameResolverSink* sink, void* context, const char* host, unsigned short port, int family,
                 int protocol) override
    {
        hosts.push_back(host ? host : "");
        ports.push_back(port);
        families.push_back(family);
        protocols.push_back(protocol);
        m_sink = sink;
        m_context = context;
    }

    void Answer(uint32_t messageId, IInternetAddress* address)
    {
        ZReportMessageParams report(messageId);
        IHostnameResolverSink::Result result;
        if (address)
            result.addresses.emplace_back(address);
        ZUnknownPointer<IHostnameResolverSink> sink = std::move(m_sink);
        sink->OnHostname(m_context, &report, result);
    }

    std::vector<std::string> hosts;
    std::vector<unsigned short> ports;
    std::vector<int> families;
    std::vector<int> protocols;

private:
    ZUnknownPointer<IHostnameResolverSink> m_sink;
    void* m_context = nullptr;
};

FakeResolver* g_resolver = nullptr;
IHostnameResolver* FakeResolverFactory() { return g_resolver; }

class WithFakeResolver : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_resolver = Own(new FakeResolver);
        g_resolver = m_resolver.Get();
        TessaroInit(FakeResolverFactory, nullptr);
    }
    void TearDown() override
    {
        TessaroInit(nullptr, nullptr);
        g_resolver = nullptr;
    }
    ZUnknownPointer<FakeResolver> m_resolver;
};

// A caller's resolver sink that counts the answers passed on to it.
class CountingResolverSink : public ZUnknown<IHostnameResolverSink> {
public:
    void OnHostname(void*, IReportMessageParams* error, const Result&) override { ids.push_back(error->GetMessageId()); }
    std::vector<uint32_t> ids;
};

// A port on which nothing listens: bound, then closed again.
unsigned short FreePort()
{
    Endpoint probe;
    auto any = Address("127.0.0.1", 0);
    probe.socket->Create(any.Get());
    probe.socket->Bind(nullptr, any.Get());
    PumpUntil([&] { return probe.sink->Count(Kind::Bind) == 1; });
    const unsigned short port = PortOf(probe.socket.Get());
    probe.socket->Close();
    return port;
}

// Fills the client's send path: small platform buffers and a write far bigger.
ZUnknownPointer<ZBasicBuffer> BigWrite(Pair& pair, size_t bytes)
{
    auto big = Room(bytes);
    big->Append(nullptr, bytes, 0);
    pair.client.socket->Write(Context(7), big.Get());
    return big;
}

// The handles this process holds, from the system's handle table: Wine's
// GetProcessHandleCount answers 0.
size_t CountProcessHandles()
{
    struct Entry {
        void* object;
        ULONG_PTR process;
        ULONG_PTR handle;
        ULONG access;
        USHORT backTrace;
        USHORT type;
        ULONG attributes;
        ULONG reserved;
    };
    struct Table {
        ULONG_PTR count;
        ULONG_PTR reserved;
        Entry entries[1];
    };
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    const ULONG kExtendedHandleInformation = 64;
    std::vector<unsigned char> space(1 << 20);
    ULONG needed = 0;
    LONG status;
    while ((status = query(kExtendedHandleInformation, space.data(), static_cast<ULONG>(space.size()), &needed)) ==
           static_cast<LONG>(0xC0000004))
        space.resize(space.size() * 2);
    if (status != 0)
        return 0;
    const auto* table = reinterpret_cast<const Table*>(space.data());
    size_t mine = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i)
        mine += table->entries[i].process == ::GetCurrentProcessId();
    return mine;
}

}  // namespace

class SocketFamilies : public ::testing::TestWithParam<const char*> {};

TEST_P(SocketFamilies, ReadBeforeDataWaitsForTheReceiveNotification)
{
    Pair pair(GetParam());
    ASSERT_TRUE(pair.server);
    pair.client.sink->Inside([&] { pair.client.socket->Read(Context(1), Room(64).Get()); });
    PumpFor(100);
    EXPECT_EQ(pair.client.sink->Count(Kind::Read), 0u);
    pair.server->socket->Write(Context(2), Bytes("hello").Get());
    ASSERT_TRUE(PumpUntil([&] { return pair.client.sink->Count(Kind::Read) == 1; }));
    const Event& read = pair.client.sink->events.back();
    EXPECT_EQ(read.data, "hello");
    EXPECT_EQ(read.context, Context(1));
    EXPECT_FALSE(read.insideCall);
    ASSERT_TRUE(PumpUntil([&] { return pair.server->sink->Count(Kind::Write) == 1; }));
    EXPECT_EQ(pair.server->sink->Last(Kind::Write)->bytes, 5u);
}

INSTANTIATE_TEST_SUITE_P(Loopback, SocketFamilies, ::testing::Values("127.0.0.1", "::1"));

TEST(SocketDelivery, ReadAfterAnUnansweredNotificationComesFromTheLoop)
{
    Pair pair;
    ASSERT_TRUE(pair.server);
    pair.server->socket->Write(nullptr, Bytes("early").Get());
    PumpFor(200);  // the client hears of the data with no read queued
    pair.client.sink->Inside([&] { pair.client.socket->Read(Context(3), Room(64).Get()); });
    EXPECT_EQ(pair.client.sink->Count(Kind::Read), 0u) << "delivered inside Read";
    ASSERT_TRUE(PumpUntil([&] { return pair.client.sink->Count(Kind::Read) == 1; }));
    EXPECT_EQ(pair.client.sink->Last(Kind::Read)->data, "early");
}

TEST(SocketDelivery, BlockedWriteIsFinishedByTheSendNotificationOnce)
{
    Pair pair;
    ASSERT_TRUE(pair.server);
    const size_t bytes = 8 * 1024 * 1024;
    auto big = BigWrite(pair, bytes);
    PumpFor(200);
    EXPECT_EQ(pair.client.sink->Count(Kind::Write), 0u) << "the peer has read nothing yet";
    size_t received = 0;
    ReadContinuously(*pair.server, received);
    ASSERT_TRUE(PumpUntil([&] { return received == bytes && pair.client.sink->Count(Kind::Write) > 0; }, 30000))
        << [&] { u_long n = 0; ::ioctlsocket(pair.server->socket->m_hSocket, FIONREAD, &n); return n; }() << " readable; "
        << received << " received; " << pair.server->sink->events.size() << " server events, last error "
        << (pair.server->sink->events.empty() ? 0 : pair.server->sink->events.back().error);
    PumpFor(100);
    ASSERT_EQ(pair.client.sink->Count(Kind::Write), 1u);
    const Event& write = *pair.client.sink->Last(Kind::Write);
    EXPECT_EQ(write.error, 0u);
    EXPECT_GT(write.bytes, 0u);
    EXPECT_LT(write.bytes, bytes) << "the count of the last send only";
    EXPECT_EQ(big->GetDataLength(), bytes);
}

TEST(SocketDelivery, OutOfBandDataReachesTheFrontRead)
{
    Pair pair;
    ASSERT_TRUE(pair.server);
    pair.client.socket->Read(Context(4), Room(16).Get());
    pair.server->socket->WriteOOB(Context(5), Bytes("!").Get());
    ASSERT_TRUE(PumpUntil([&] { return pair.client.sink->Count(Kind::ReadOOB) == 1; }));
    EXPECT_EQ(pair.client.sink->Last(Kind::ReadOOB)->data, "!");
    ASSERT_TRUE(PumpUntil([&] { return pair.server->sink->Count(Kind::WriteOOB) == 1; }));
}

TEST(SocketConnect, SecondConnectWhileOneIsOutstandingDoesNothing)
{
    Endpoint listener;
    Listen(listener, "127.0.0.1");
    auto to = Address("127.0.0.1", PortOf(listener.socket.Get()));
    Endpoint client;
    ASSERT_EQ(client.socket->Create(to.Get()), 0u);
    client.socket->Connect(Context(1), to.Get());
    client.socket->Connect(Context(2), to.Get());
    ASSERT_TRUE(PumpUntil([&] { return client.sink->Count(Kind::Connect) == 1; }));
    PumpFor(200);
    ASSERT_EQ(client.sink->Count(Kind::Connect), 1u);
    EXPECT_EQ(client.sink->events.back().context, Context(1));
    EXPECT_EQ(client.sink->events.back().error, 0u);
}

TEST(SocketConnect, RefusedConnectionReportsTheError)
{
    Endpoint client;
    client.sink->Inside([&] { client.socket->CreateAndConnect(Context(9), "127.0.0.1", FreePort(), nullptr); });
    ASSERT_TRUE(PumpUntil([&] { return client.sink->Count(Kind::Connect) == 1; }));
    EXPECT_EQ(client.sink->events.back().error, static_cast<uint32_t>(WSAECONNREFUSED));
    EXPECT_EQ(client.sink->events.back().context, Context(9));
    EXPECT_FALSE(client.sink->events.back().insideCall);
}

TEST_F(WithFakeResolver, NumericHostsConnectDirectlyAndNamesGoToTheResolver)
{
    Endpoint listener;
    Listen(listener, "127.0.0.1");
    const unsigned short port = PortOf(listener.socket.Get());
    struct Case {
        const char* host;
        bool resolved;
    };
    const Case cases[] = {{"127.0.0.1", false}, {"127.1", true}, {"loopback.test", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        const size_t before = m_resolver->hosts.size();
        Endpoint client;
        auto forwarded = Own(new CountingResolverSink);
        client.socket->CreateAndConnect(Context(1), c.host, port, forwarded.Get());
        ASSERT_EQ(m_resolver->hosts.size(), before + (c.resolved ? 1 : 0));
        if (c.resolved) {
            EXPECT_EQ(m_resolver->hosts.back(), c.host);
            EXPECT_EQ(m_resolver->ports.back(), port);
            EXPECT_EQ(m_resolver->families.back(), AF_UNSPEC);
            EXPECT_EQ(m_resolver->protocols.back(), IPPROTO_TCP);
            m_resolver->Answer(0, Address("127.0.0.1", port).Get());
            EXPECT_EQ(forwarded->ids, std::vector<uint32_t>{0});
        }
        ASSERT_TRUE(PumpUntil([&] { return client.sink->Count(Kind::Connect) == 1; }));
        EXPECT_EQ(client.sink->events.back().error, 0u);
        listener.socket->Accept(nullptr);
    }
}

TEST_F(WithFakeResolver, ResolverFailuresBecomeSocketErrors)
{
    struct Case {
        uint32_t messageId;
        uint32_t error;
    };
    const Case cases[] = {{0xE104000D, 10061}, {0xE1040011, 11004}, {0xE104000F, 11002}, {0xE1040014, 8},
                          {0xE1040035, 10058}, {0xE1330001, 11001}, {0x12345678, 11001}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.messageId);
        Endpoint client;
        client.socket->CreateAndConnect(Context(5), "unknown.test", 22, nullptr);
        client.sink->Inside([&] { m_resolver->Answer(c.messageId, nullptr); });
        ASSERT_TRUE(PumpUntil([&] { return client.sink->Count(Kind::Connect) == 1; }));
        EXPECT_EQ(client.sink->events.back().error, c.error);
        EXPECT_EQ(client.sink->events.back().context, Context(5));
        EXPECT_FALSE(client.sink->events.back().insideCall) << "announced through the loop";
    }
}

TEST_F(WithFakeResolver, NameAnsweredAfterCloseConnectsNothing)
{
    Endpoint listener;
    Listen(listener, "127.0.0.1");
    Endpoint client;
    client.socket->CreateAndConnect(Context(6), "late.test", PortOf(listener.socket.Get()), nullptr);
    client.socket->Close();
    m_resolver->Answer(0, Address("127.0.0.1", PortOf(listener.socket.Get())).Get());
    ASSERT_TRUE(PumpUntil([&] { return client.sink->Count(Kind::Connect) == 1; }));
    EXPECT_EQ(client.sink->events.back().error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
    EXPECT_EQ(client.socket->m_hSocket, INVALID_SOCKET);
}

TEST(SocketEndOfStream, FirstEmptyReadSucceedsAndLaterOnesAreAborted)
{
    struct Case {
        const char* name;
        bool shutdownOnly;
    };
    for (const Case& c : {Case{"close", false}, Case{"shutdown", true}}) {
        SCOPED_TRACE(c.name);
        Pair pair;
        ASSERT_TRUE(pair.server);
        if (c.shutdownOnly)
            ASSERT_EQ(pair.server->socket->Shutdown(SD_SEND), 0u);
        else
            pair.server->socket->Close();
        PumpFor(100);
        for (int i = 0; i < 3; ++i)
            pair.client.socket->Read(Context(i), Room(64).Get());
        ASSERT_TRUE(PumpUntil([&] { return pair.client.sink->Count(Kind::Read) == 3; }));
        PumpFor(50);
        ASSERT_EQ(pair.client.sink->Count(Kind::Read), 3u);
        std::vector<Event> reads;
        for (const Event& e : pair.client.sink->events)
            if (e.kind == Kind::Read)
                reads.push_back(e);
        EXPECT_EQ(reads[0].error, 0u);
        EXPECT_EQ(reads[0].bytes, 0u);
        EXPECT_EQ(reads[1].error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
        EXPECT_EQ(reads[2].error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
    }
}

TEST(SocketHalfClose, PeerStillAnswersAfterOurShutdown)
{
    Pair pair;
    ASSERT_TRUE(pair.server);
    pair.client.socket->Write(nullptr, Bytes("request").Get());
    ASSERT_EQ(pair.client.socket->Shutdown(SD_SEND), 0u);
    size_t received = 0;
    ReadContinuously(*pair.server, received);
    ASSERT_TRUE(PumpUntil([&] {
        const Event* last = pair.server->sink->Last(Kind::Read);
        return last && last->bytes == 0;
    }));
    EXPECT_EQ(received, 7u);
    pair.server->socket->Write(nullptr, Bytes("answer").Get());
    pair.client.socket->Read(Context(2), Room(64).Get());
    ASSERT_TRUE(PumpUntil([&] { return pair.client.sink->Count(Kind::Read) == 1; }));
    EXPECT_EQ(pair.client.sink->Last(Kind::Read)->data, "answer");
}

TEST(SocketClose, AbortsQueuedReadsWritesAndAcceptsBeforeReturning)
{
    Pair pair;
    ASSERT_TRUE(pair.server);
    pair.client.socket->Read(Context(1), Room(64).Get());
    pair.client.socket->Read(Context(2), Room(64).Get());
    auto big = BigWrite(pair, 8 * 1024 * 1024);
    PumpFor(100);
    pair.listener.socket->Accept(Context(3));
    const size_t readsBefore = pair.client.sink->events.size();
    ASSERT_EQ(readsBefore, 1u) << "only the connect so far";
    pair.client.socket->Close();
    pair.listener.socket->Close();
    // Everything was delivered inside Close, before any pumping.
    const std::vector<Event>& events = pair.client.sink->events;
    ASSERT_EQ(events.size(), 4u);
    for (size_t i = 1; i <= 2; ++i) {
        EXPECT_EQ(events[i].kind, Kind::Read);
        EXPECT_EQ(events[i].context, Context(i));
        EXPECT_EQ(events[i].error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
        EXPECT_EQ(events[i].bytes, 0u);
    }
    EXPECT_EQ(events[3].kind, Kind::Write);
    EXPECT_EQ(events[3].error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
    EXPECT_EQ(events[3].bytes, 0u);
    const Event* accept = pair.listener.sink->Last(Kind::Accept);
    ASSERT_NE(accept, nullptr);
    EXPECT_EQ(accept->context, Context(3));
    EXPECT_EQ(accept->error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
    EXPECT_FALSE(accept->accepted);
    PumpFor(100);
    EXPECT_EQ(events.size(), 4u) << "nothing completes twice";
}

TEST(SocketFaults, PeerResetDuringAWriteCompletesItOnce)
{
    Pair pair;
    ASSERT_TRUE(pair.server);
    auto big = BigWrite(pair, 8 * 1024 * 1024);
    pair.client.socket->Read(Context(1), Room(64).Get());
    PumpFor(100);
    const LINGER abort = {1, 0};
    ASSERT_EQ(pair.server->socket->SetSockOpt(SO_LINGER, &abort, sizeof abort, SOL_SOCKET), 0u);
    pair.server->socket->Close();
    // Windows fails the read with the reset; Wine reports it with the close
    // notification and reads an orderly end. Either way the read completes.
    ASSERT_TRUE(PumpUntil([&] { return pair.client.sink->Count(Kind::Read) == 1; }));
    pair.client.socket->Close();
    EXPECT_EQ(pair.client.sink->Count(Kind::Read), 1u);
    ASSERT_EQ(pair.client.sink->Count(Kind::Write), 1u);
    EXPECT_NE(pair.client.sink->Last(Kind::Write)->error, 0u);
    PumpFor(100);
    EXPECT_EQ(pair.client.sink->Count(Kind::Write), 1u);
}

TEST(SocketFaults, ThousandConnectCloseCyclesLeaveNoHandles)
{
    Endpoint listener;
    Listen(listener, "127.0.0.1");
    const unsigned short port = PortOf(listener.socket.Get());
    PumpFor(50);
    const size_t handlesBefore = CountProcessHandles();
    ASSERT_GT(handlesBefore, 0u);
    const int cycles = 1000;
    size_t connects = 0;
    for (int i = 0; i < cycles; ++i) {
        Endpoint client;
        listener.socket->Accept(Context(i));
        client.socket->CreateAndConnect(Context(i), "127.0.0.1", port, nullptr);
        const bool done = PumpUntil([&] {
            return listener.sink->Count(Kind::Accept) == static_cast<size_t>(i + 1) &&
                   client.sink->Count(Kind::Connect) == 1;
        });
        ASSERT_TRUE(done) << "cycle " << i;
        connects += client.sink->Count(Kind::Connect);
        listener.sink->events.back().accepted->Close();
        listener.sink->events.back().accepted.Reset();
        client.socket->Close();
    }
    PumpFor(200);
    EXPECT_EQ(connects, static_cast<size_t>(cycles));
    EXPECT_EQ(listener.sink->Count(Kind::Accept), static_cast<size_t>(cycles));
    for (const Event& e : listener.sink->events)
        EXPECT_EQ(e.error, 0u);
    const size_t handlesAfter = CountProcessHandles();
    EXPECT_EQ(handlesAfter, handlesBefore);
    std::printf("process handles: %zu before, %zu after %d cycles\n", handlesBefore, handlesAfter, cycles);
}

TEST(SocketOptions, RememberedBeforeTheHandleAndAppliedByCreate)
{
    struct Case {
        int name;
        int level;
    };
    for (const Case& c : {Case{TCP_NODELAY, IPPROTO_TCP}, Case{SO_OOBINLINE, SOL_SOCKET}}) {
        SCOPED_TRACE(c.name);
        Endpoint socket;
        const BOOL on = TRUE;
        ASSERT_EQ(socket.socket->SetSockOpt(c.name, &on, sizeof on, c.level), 0u);
        ASSERT_EQ(socket.socket->Create(Address("127.0.0.1", 0).Get()), 0u);
        BOOL value = FALSE;
        int length = sizeof value;
        ASSERT_EQ(socket.socket->GetSockOpt(c.name, &value, &length, c.level), 0u);
        EXPECT_TRUE(value);
    }
}

TEST(SocketOptions, SendBufferSizeChecks)
{
    Endpoint socket;
    const int zero = 0;
    const short shortValue = 1024;
    EXPECT_EQ(socket.socket->SetSockOpt(SO_SNDBUF, &shortValue, sizeof shortValue, SOL_SOCKET),
              static_cast<uint32_t>(WSAEFAULT));
    EXPECT_EQ(socket.socket->SetSockOpt(SO_SNDBUF, &zero, sizeof zero, SOL_SOCKET), 0u) << "accepted unapplied";
}

TEST(SocketBind, ErrorReturnedWithoutASinkAndReportedWithOne)
{
    Endpoint holder;
    Listen(holder, "127.0.0.1");
    auto taken = Address("127.0.0.1", PortOf(holder.socket.Get()));
    auto plain = Own(new ZIoSocket);
    ASSERT_EQ(plain->Create(taken.Get()), 0u);
    EXPECT_EQ(plain->Bind(Context(1), taken.Get()), static_cast<uint32_t>(WSAEADDRINUSE));
    plain->Close();

    Endpoint withSink;
    ASSERT_EQ(withSink.socket->Create(taken.Get()), 0u);
    withSink.sink->Inside([&] {
        EXPECT_EQ(withSink.socket->Bind(Context(2), taken.Get()), static_cast<uint32_t>(ERROR_IO_PENDING));
    });
    ASSERT_TRUE(PumpUntil([&] { return withSink.sink->Count(Kind::Bind) == 1; }));
    EXPECT_EQ(withSink.sink->events.back().error, static_cast<uint32_t>(WSAEADDRINUSE));
    EXPECT_EQ(withSink.sink->events.back().context, Context(2));
    EXPECT_FALSE(withSink.sink->events.back().insideCall);
}

TEST(SocketRelease, LastReleaseOnAWorkerDestroysOnTheOwnerThread)
{
    auto sink = Own(new RecordingSink);
    ZIoSocket* socket = new ZIoSocket;
    socket->SetSink(sink.Get());
    ASSERT_EQ(socket->Create(Address("127.0.0.1", 0).Get()), 0u);
    socket->Read(Context(1), Room(16).Get());  // aborted when the socket goes
    std::thread([socket] { socket->Release(); }).join();
    EXPECT_TRUE(sink->events.empty()) << "destroyed on the worker";
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(Kind::Read) == 1; }));
    EXPECT_EQ(sink->events.back().thread, ::GetCurrentThreadId());
    EXPECT_EQ(sink->events.back().error, static_cast<uint32_t>(ERROR_OPERATION_ABORTED));
}

TEST(SocketDatagrams, WriteToAndReadFromOverBothFamilies)
{
    for (const char* host : {"127.0.0.1", "::1"}) {
        SCOPED_TRACE(host);
        Endpoint a, b;
        for (Endpoint* e : {&a, &b}) {
            auto any = Address(host, 0);
            any->SetSocketType(SOCK_DGRAM);
            any->SetProtocol(IPPROTO_UDP);
            ASSERT_EQ(e->socket->Create(any.Get()), 0u);
            e->socket->Bind(nullptr, any.Get());
        }
        ASSERT_TRUE(PumpUntil([&] { return a.sink->Count(Kind::Bind) == 1 && b.sink->Count(Kind::Bind) == 1; }));
        auto toB = Address(host, PortOf(b.socket.Get()));
        auto toA = Address(host, PortOf(a.socket.Get()));
        b.socket->ReadFrom(Context(1), Room(64).Get());
        a.socket->ReadFrom(Context(2), Room(64).Get());
        a.socket->WriteTo(Context(3), toB.Get(), Bytes("to b").Get());
        b.socket->WriteTo(Context(4), toA.Get(), Bytes("to a").Get());
        ASSERT_TRUE(PumpUntil([&] { return a.sink->Count(Kind::ReadFrom) == 1 && b.sink->Count(Kind::ReadFrom) == 1; }));
        EXPECT_EQ(b.sink->Last(Kind::ReadFrom)->data, "to b");
        EXPECT_EQ(a.sink->Last(Kind::ReadFrom)->data, "to a");
        EXPECT_EQ(b.sink->Last(Kind::ReadFrom)->peer, std::wstring(toA->ToString(true).c_str()));
        EXPECT_EQ(a.sink->Count(Kind::Write), 1u);
    }
}
