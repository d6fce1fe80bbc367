// Bulk receive over loopback: 256 MiB sent by a plain blocking sender thread,
// received on the message loop either through ZIoSocket (reads into one 64 KiB
// buffer, read again from OnRead) or by a plain WSAAsyncSelect loop written here
// (recv into a 64 KiB buffer on each FD_READ). Each run opens a new connection.
// Defaults to 5 samples after 1 warm-up: one run lasts seconds.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>
#include <thread>
#include <vector>

#include "bench/harness/BenchHarness.h"
#include "net/ZBasicBuffer.h"
#include "net/ZInternetAddress.h"
#include "net/ZIoSocket.h"

namespace {

constexpr size_t kTotal = 256u * 1024 * 1024;
constexpr size_t kReadSize = 64 * 1024;
constexpr size_t kSendChunk = 1024 * 1024;
constexpr UINT kPlainSocketMessage = WM_APP + 1;

SOCKET g_listener = INVALID_SOCKET;
unsigned short g_port = 0;

bool StartListener()
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    g_listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (::bind(g_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(g_listener, 4) != 0 ||
        ::getsockname(g_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    g_port = ::ntohs(address.sin_port);
    return true;
}

// Accepts one connection and sends kTotal bytes down it with blocking sends.
std::thread StartSender()
{
    return std::thread([] {
        const SOCKET peer = ::accept(g_listener, nullptr, nullptr);
        if (peer == INVALID_SOCKET)
            return;
        std::vector<char> chunk(kSendChunk, 'x');
        size_t sent = 0;
        while (sent < kTotal) {
            const int n = ::send(peer, chunk.data(), static_cast<int>(std::min(kSendChunk, kTotal - sent)), 0);
            if (n <= 0)
                break;
            sent += static_cast<size_t>(n);
        }
        ::shutdown(peer, SD_SEND);
        ::closesocket(peer);
    });
}

template <class Done>
void Pump(Done done)
{
    MSG msg;
    while (!done() && ::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
}

// --- through ZIoSocket ----------------------------------------------------------

class CountingSink : public ZUnknown<ISocketSink> {
public:
    void OnRead(void*, uint32_t error, IBuffer* buffer) override
    {
        const size_t bytes = buffer->GetDataLength();
        if (error != 0 || bytes == 0) {
            ended = true;
            return;
        }
        received += bytes;
        socket->Read(nullptr, buffer);
    }
    void OnWrite(void*, uint32_t, IBuffer*, uint32_t) override {}
    void OnReadOOB(void*, uint32_t, IBuffer*) override {}
    void OnWriteOOB(void*, uint32_t, IBuffer*, uint32_t) override {}
    void OnConnect(void*, uint32_t error) override
    {
        connected = true;
        ended = error != 0;
    }

    ISocket* socket = nullptr;
    size_t received = 0;
    bool connected = false;
    bool ended = false;
};

size_t ReceiveThroughZIoSocket()
{
    std::thread sender = StartSender();
    auto socket = ZAdoptReference(new ZIoSocket);
    auto sink = ZAdoptReference(new CountingSink);
    sink->socket = socket.Get();
    socket->SetSink(sink.Get());
    socket->CreateAndConnect(nullptr, "127.0.0.1", g_port, nullptr);
    auto buffer = ZAdoptReference(new ZBasicBuffer(kReadSize, false));
    socket->Read(nullptr, buffer.Get());
    Pump([&] { return sink->ended || sink->received >= kTotal; });
    socket->Close();
    sender.join();
    return sink->received;
}

// --- the plain loop -----------------------------------------------------------

struct PlainReceiver {
    SOCKET socket = INVALID_SOCKET;
    std::vector<char> buffer = std::vector<char>(kReadSize);
    size_t received = 0;
    bool ended = false;
};

PlainReceiver* g_plain = nullptr;

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kPlainSocketMessage)
        return ::DefWindowProcW(window, message, wParam, lParam);
    // Notifications still queued for the connection of an earlier run.
    if (!g_plain || static_cast<SOCKET>(wParam) != g_plain->socket)
        return 0;
    PlainReceiver& r = *g_plain;
    if (WSAGETSELECTERROR(lParam)) {
        r.ended = true;
        return 0;
    }
    switch (WSAGETSELECTEVENT(lParam)) {
    case FD_READ:
    case FD_CLOSE: {
        const int n = ::recv(r.socket, r.buffer.data(), static_cast<int>(r.buffer.size()), 0);
        if (n > 0)
            r.received += static_cast<size_t>(n);
        else if (n == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK)
            r.ended = true;
        break;
    }
    default:
        break;
    }
    return 0;
}

size_t ReceiveThroughPlainLoop(HWND window)
{
    std::thread sender = StartSender();
    PlainReceiver receiver;
    g_plain = &receiver;
    receiver.socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ::WSAAsyncSelect(receiver.socket, window, kPlainSocketMessage, FD_READ | FD_CONNECT | FD_CLOSE);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    address.sin_port = ::htons(g_port);
    ::connect(receiver.socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    Pump([&] { return receiver.ended || receiver.received >= kTotal; });
    ::closesocket(receiver.socket);
    sender.join();
    g_plain = nullptr;
    return receiver.received;
}

HWND MakePlainWindow()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.lpszClassName = L"BenchPlainSocket";
    ::RegisterClassW(&windowClass);
    return ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                             nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
    // Few samples unless asked otherwise: one run moves 256 MiB.
    std::vector<char*> args(argv, argv + argc);
    std::string samples = "--samples", five = "5", warmup = "--warmup", one = "1";
    bool chosen = false;
    for (int i = 1; i < argc; ++i)
        chosen = chosen || std::string(argv[i]) == "--samples";
    if (!chosen)
        args.insert(args.begin() + 1, {samples.data(), five.data(), warmup.data(), one.data()});
    Bench::Harness harness("bench_socket", static_cast<int>(args.size()), args.data());
    if (!StartListener())
        return 1;
    const HWND window = MakePlainWindow();
    harness.Compare("receive 256 MiB over loopback", kTotal,
                    {"plain WSAAsyncSelect loop", [&] { return ReceiveThroughPlainLoop(window); }},
                    {{"ZIoSocket, 64 KiB reads", [] { return ReceiveThroughZIoSocket(); }}});
    ::DestroyWindow(window);
    ::closesocket(g_listener);
    return harness.Finish();
}
