// A connection: a small server made of ZIoSocket listeners on 127.0.0.1 and ::1
// answers one request; the client connects to "localhost" through the host's
// resolver, sends the request and shows what comes back. All on this thread's
// message loop.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <functional>
#include <string>

#include "demo/DemoOutput.h"
#include "demo/DemoPump.h"
#include "net/ZBasicBuffer.h"
#include "net/ZInternetAddress.h"
#include "net/ZIoSocket.h"

namespace {

constexpr DWORD kPatienceMs = 10000;

ZUnknownPointer<ZBasicBuffer> TextBuffer(const std::string& text)
{
    auto buffer = ZAdoptReference(new ZBasicBuffer(text.size(), false));
    buffer->Append(text.data(), text.size(), 0);
    return buffer;
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());  // the exchange is ASCII
}

// One side of the exchange: collects what it reads until the peer ends the
// stream, and notes the connect and the errors on the way.
class ExchangeSink : public ZUnknown<ISocketSink>, public IListenSocketSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        return ZUnknown::QueryInterface(id, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ZUnknown::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ZUnknown::Release(); }

    void OnRead(void*, uint32_t error, IBuffer* buffer) override
    {
        if (error != 0 || buffer->GetDataLength() == 0) {
            ended = true;
            lastError = error;
            return;
        }
        received.append(reinterpret_cast<const char*>(buffer->GetData()), buffer->GetDataLength());
        if (onData)
            onData();
        if (!ended)
            socket->Read(nullptr, buffer);
    }
    void OnWrite(void*, uint32_t error, IBuffer*, uint32_t) override { lastError = error ? error : lastError; }
    void OnReadOOB(void*, uint32_t, IBuffer*) override {}
    void OnWriteOOB(void*, uint32_t, IBuffer*, uint32_t) override {}
    void OnConnect(void*, uint32_t error) override
    {
        connected = error == 0;
        lastError = error;
        ended = error != 0;
        if (connected && onConnected)
            onConnected();
    }
    void OnAccept(void*, uint32_t error, ISocket* newSocket, IInternetAddress*, IInternetAddress* peer) override
    {
        if (error != 0 || !newSocket)
            return;
        accepted = ZUnknownPointer<ISocket>(newSocket);
        peerText = peer->ToString(true).c_str();
    }

    ISocket* socket = nullptr;
    std::string received;
    bool connected = false;
    bool ended = false;
    uint32_t lastError = 0;
    std::function<void()> onConnected;
    std::function<void()> onData;
    ZUnknownPointer<ISocket> accepted;
    std::wstring peerText;
};

// A listener on host:port (port 0: any); its port, or 0 when it cannot listen.
unsigned short Listen(ZIoSocket* listener, const char* host, unsigned short port)
{
    auto address = ZAdoptReference(CreateAddressFromNumericHost(host, port));
    if (!address || listener->Create(address.Get()) != 0 || listener->Bind(nullptr, address.Get()) != 0 ||
        listener->Listen(1) != 0)
        return 0;
    IInternetAddress* name = nullptr;
    if (listener->GetSockName(name) != 0)
        return 0;
    const unsigned short bound = name->GetPort();
    name->Release();
    return bound;
}

}  // namespace

void ShowConnection()
{
    DemoPrint(L"== Connection\n");
    // "localhost" may resolve to either family first: listen on both.
    auto listener4 = ZAdoptReference(new ZIoSocket);
    auto listener6 = ZAdoptReference(new ZIoSocket);
    auto serverSink = ZAdoptReference(new ExchangeSink);
    listener4->SetAcceptSink(serverSink.Get());
    listener6->SetAcceptSink(serverSink.Get());
    const unsigned short port = Listen(listener4.Get(), "127.0.0.1", 0);
    if (port == 0) {
        DemoPrint(L"could not listen on 127.0.0.1\n\n");
        return;
    }
    const bool both = Listen(listener6.Get(), "::1", port) == port;
    DemoPrintf(L"server: listening on 127.0.0.1:%u%ls\n", port, both ? L" and [::1]" : L"");
    listener4->Accept(nullptr);
    if (both)
        listener6->Accept(nullptr);

    auto client = ZAdoptReference(new ZIoSocket);
    auto clientSink = ZAdoptReference(new ExchangeSink);
    clientSink->socket = client.Get();
    client->SetSink(clientSink.Get());
    const std::string request = "HELLO tessaro\r\n";
    clientSink->onConnected = [&] {
        IInternetAddress* peer = nullptr;
        if (client->GetPeerName(peer) == 0) {
            DemoPrintf(L"client: connected to %ls\n", peer->ToString(true).c_str());
            peer->Release();
        }
        client->Write(nullptr, TextBuffer(request).Get());
        client->Read(nullptr, ZAdoptReference(new ZBasicBuffer(4096, false)).Get());
    };
    client->CreateAndConnect(nullptr, "localhost", port, nullptr);

    // The server answers the first line it reads and closes the connection.
    ZUnknownPointer<ExchangeSink> serving;
    const bool served = PumpUntil([&] {
        if (!serving && serverSink->accepted) {
            serving = ZAdoptReference(new ExchangeSink);
            ISocket* accepted = serverSink->accepted.Get();
            serving->socket = accepted;
            serving->onData = [&serving, accepted, peer = serverSink->peerText] {
                if (serving->received.find("\r\n") == std::string::npos)
                    return;
                const std::string answer = "WELCOME " + std::string(peer.begin(), peer.end()) + ", you sent " +
                                           std::to_string(serving->received.size()) + " bytes\r\n";
                accepted->Write(nullptr, TextBuffer(answer).Get());
                accepted->Shutdown(SD_SEND);
            };
            accepted->SetSink(serving.Get());
            accepted->Read(nullptr, ZAdoptReference(new ZBasicBuffer(4096, false)).Get());
        }
        return clientSink->ended;
    }, kPatienceMs);
    if (!served)
        DemoPrint(L"client: no answer in time\n");
    if (serving)
        DemoPrintf(L"server: request from %ls: %ls", serverSink->peerText.c_str(), Widen(serving->received).c_str());
    DemoPrintf(L"client: sent %ls", Widen(request).c_str());
    DemoPrintf(L"client: received %ls", Widen(clientSink->received).c_str());
    DemoPrintf(L"client: end of stream (error %u)\n\n", clientSink->lastError);
    client->Close();
    if (serverSink->accepted)
        serverSink->accepted->Close();
    listener4->Close();
    listener6->Close();
}
