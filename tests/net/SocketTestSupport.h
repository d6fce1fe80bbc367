// Helpers for the socket tests: a sink that records every call it gets, bound
// and connected ZIoSockets over loopback, and continuous readers.
#pragma once

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "net/ZBasicBuffer.h"
#include "net/ZInternetAddress.h"
#include "net/ZIoSocket.h"
#include "tests/support/MessagePump.h"
#include "tests/support/OwnedReference.h"

namespace SocketTest {

using TestSupport::Own;

enum class Kind { Read, Write, ReadOOB, WriteOOB, Connect, ReadFrom, Bind, Accept };

struct Event {
    Kind kind;
    void* context;
    uint32_t error;
    uint32_t bytes = 0;      // writes: the sink's count; reads: the buffer's length
    std::string data = {};   // reads: the bytes received
    ZUnknownPointer<ISocket> accepted = {};
    std::wstring peer = {};  // accepts: the peer; datagram reads: the source
    bool hasLocal = false;   // accepts: a local address came with the socket
    bool insideCall = false; // delivered while the test was inside a socket call
    DWORD thread = 0;
};

// Records every sink call; `react` runs after each record, for sinks that answer
// (a reader that reads again, say).
class RecordingSink : public ZUnknown<IReadFromSocketSink>, public IBindSocketSink, public IListenSocketSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        return ZUnknown::QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ZUnknown::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ZUnknown::Release(); }

    void OnRead(void* context, uint32_t error, IBuffer* buffer) override { Add({Kind::Read, context, error}, buffer); }
    void OnReadOOB(void* context, uint32_t error, IBuffer* buffer) override
    {
        Add({Kind::ReadOOB, context, error}, buffer);
    }
    void OnWrite(void* context, uint32_t error, IBuffer*, uint32_t bytes) override
    {
        Add({Kind::Write, context, error, bytes});
    }
    void OnWriteOOB(void* context, uint32_t error, IBuffer*, uint32_t bytes) override
    {
        Add({Kind::WriteOOB, context, error, bytes});
    }
    void OnConnect(void* context, uint32_t error) override { Add({Kind::Connect, context, error}); }
    void OnReadFrom(void* context, uint32_t error, IBuffer* buffer, IInternetAddress* source, int) override
    {
        Add({Kind::ReadFrom, context, error}, buffer, source);
    }
    void OnBind(void* context, uint32_t error) override { Add({Kind::Bind, context, error}); }
    void OnAccept(void* context, uint32_t error, ISocket* socket, IInternetAddress* local,
                  IInternetAddress* peer) override
    {
        Add({Kind::Accept, context, error, 0, {}, ZUnknownPointer<ISocket>(socket), {}, local != nullptr}, nullptr,
            peer);
    }

    // Runs a socket call, marking what the sink hears meanwhile.
    template <class Call>
    void Inside(Call call)
    {
        m_insideCall = true;
        call();
        m_insideCall = false;
    }

    size_t Count(Kind kind) const
    {
        return std::count_if(events.begin(), events.end(), [&](const Event& e) { return e.kind == kind; });
    }
    const Event* Last(Kind kind) const
    {
        for (auto e = events.rbegin(); e != events.rend(); ++e)
            if (e->kind == kind)
                return &*e;
        return nullptr;
    }

    std::vector<Event> events;
    std::function<void(const Event&)> react;

private:
    void Add(Event event, IBuffer* buffer = nullptr, IInternetAddress* peer = nullptr)
    {
        if (buffer) {
            event.bytes = static_cast<uint32_t>(buffer->GetDataLength());
            event.data.assign(reinterpret_cast<const char*>(buffer->GetData()), buffer->GetDataLength());
        }
        if (peer)
            event.peer = peer->ToString(true).c_str();
        event.insideCall = m_insideCall;
        event.thread = ::GetCurrentThreadId();
        events.push_back(std::move(event));
        if (react)
            react(events.back());
    }

    bool m_insideCall = false;
};

using TestSupport::PumpFor;
using TestSupport::PumpUntil;

inline ZUnknownPointer<IInternetAddress> Address(const char* host, unsigned short port)
{
    return Own(CreateAddressFromNumericHost(host, port));
}

inline ZUnknownPointer<ZBasicBuffer> Bytes(const std::string& text, size_t capacity = 0)
{
    auto buffer = Own(new ZBasicBuffer(std::max(capacity, text.size()), false));
    buffer->Append(text.data(), text.size(), 0);
    return buffer;
}

inline ZUnknownPointer<ZBasicBuffer> Room(size_t capacity)
{
    return Own(new ZBasicBuffer(capacity, false));
}

inline unsigned short PortOf(ISocket* socket)
{
    IInternetAddress* name = nullptr;
    if (socket->GetSockName(name) != 0)
        return 0;
    const unsigned short port = name->GetPort();
    name->Release();
    return port;
}

// A ZIoSocket with a recording sink for every role.
struct Endpoint {
    ZUnknownPointer<ZIoSocket> socket = Own(new ZIoSocket);
    ZUnknownPointer<RecordingSink> sink = Own(new RecordingSink);

    Endpoint()
    {
        socket->SetSink(sink.Get());
        socket->SetAcceptSink(sink.Get());
    }
    explicit Endpoint(ISocket* adopted) : socket(static_cast<ZIoSocket*>(adopted))
    {
        socket->SetSink(sink.Get());
    }

    // Pumps until the sink has heard `count` calls of the kind.
    bool Await(Kind kind, size_t count = 1, DWORD milliseconds = 10000)
    {
        return PumpUntil([&] { return sink->Count(kind) >= count; }, milliseconds);
    }
    const Event& Last(Kind kind) const { return *sink->Last(kind); }
};

// A listener on the host's loopback with an ephemeral port.
inline void Listen(Endpoint& listener, const char* host, int backlog = 5)
{
    auto any = Address(host, 0);
    ASSERT_EQ(listener.socket->Create(any.Get()), 0u);
    // The recording sink is a bind sink too, so the result comes later.
    ASSERT_EQ(listener.socket->Bind(nullptr, any.Get()), static_cast<uint32_t>(ERROR_IO_PENDING));
    ASSERT_TRUE(listener.Await(Kind::Bind));
    ASSERT_EQ(listener.Last(Kind::Bind).error, 0u);
    ASSERT_EQ(listener.socket->Listen(backlog), 0u);
}

// A datagram socket bound to an ephemeral port of the host.
inline void BindDatagram(Endpoint& endpoint, const char* host)
{
    auto any = Address(host, 0);
    any->SetSocketType(SOCK_DGRAM);
    any->SetProtocol(IPPROTO_UDP);
    ASSERT_EQ(endpoint.socket->Create(any.Get()), 0u);
    endpoint.socket->Bind(nullptr, any.Get());
    ASSERT_TRUE(endpoint.Await(Kind::Bind));
    ASSERT_EQ(endpoint.Last(Kind::Bind).error, 0u);
}

// A connected pair: `client` connected to the listener, `server` its accepted end.
struct Pair {
    Endpoint listener;
    Endpoint client;
    std::unique_ptr<Endpoint> server;

    explicit Pair(const char* host = "127.0.0.1")
    {
        Listen(listener, host);
        const unsigned short port = PortOf(listener.socket.Get());
        listener.socket->Accept(reinterpret_cast<void*>(1));
        client.socket->CreateAndConnect(reinterpret_cast<void*>(2), host, port, nullptr);
        const bool up = PumpUntil([&] {
            return listener.sink->Count(Kind::Accept) == 1 && client.sink->Count(Kind::Connect) == 1;
        });
        EXPECT_TRUE(up);
        const Event* accepted = listener.sink->Last(Kind::Accept);
        const Event* connected = client.sink->Last(Kind::Connect);
        EXPECT_TRUE(accepted && accepted->error == 0 && accepted->accepted);
        EXPECT_TRUE(connected && connected->error == 0);
        if (accepted && accepted->accepted)
            server = std::make_unique<Endpoint>(accepted->accepted.Get());
    }
};

// Reads into 64 KiB buffers again and again, gathering the bytes in `text`, until
// an error or the end of the stream.
inline void ReadContinuously(Endpoint& endpoint, std::string& text)
{
    endpoint.sink->react = [&endpoint, &text](const Event& e) {
        if (e.kind != Kind::Read || e.error != 0 || e.bytes == 0)
            return;
        text += e.data;
        endpoint.socket->Read(nullptr, Room(64 * 1024).Get());
    };
    endpoint.socket->Read(nullptr, Room(64 * 1024).Get());
}

// The last read reported the end of the stream or an error.
inline bool Ended(const Endpoint& endpoint)
{
    const Event* last = endpoint.sink->Last(Kind::Read);
    return last && (last->error != 0 || last->bytes == 0);
}

// Everything read until the peer ends the stream.
inline std::string ReadToEnd(Endpoint& endpoint)
{
    std::string text;
    ReadContinuously(endpoint, text);
    EXPECT_TRUE(PumpUntil([&] { return Ended(endpoint); }));
    endpoint.sink->react = nullptr;
    return text;
}

}  // namespace SocketTest
