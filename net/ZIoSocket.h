// ZIoSocket: the library's non-blocking TCP/UDP socket. Reads, writes, connects,
// accepts and binds with a sink are requests queued first in, first out, each
// named by the caller's context; results reach the sinks on the owner thread
// (the thread that made the notification window).
//
// Delivery: a result found inside one of the caller's own calls waits on a
// results list and is announced by a message to the socket's notification
// window, so it arrives from the message loop; a result produced by a socket
// notification is delivered at once. Close delivers what is done and fails what
// is queued with 995 before it returns. Names are resolved by the host's
// resolver (TessaroInit); numeric addresses are used directly.
#pragma once

#include <afxsock.h>

#include <cstdint>
#include <deque>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"
#include "net/ISocket.h"
#include "net/ZNotificationSink.h"

class TESSARO_API ZIoSocket : public CAsyncSocket, private ZNotificationSink, public ZUnknown<Interface::ZIoSocket> {
public:
    // Messages to the notification window.
    static constexpr UINT kReadResults = WM_USER + 1;
    static constexpr UINT kWriteResults = WM_USER + 2;
    static constexpr UINT kConnectResults = WM_USER + 3;
    static constexpr UINT kAcceptResults = WM_USER + 4;
    static constexpr UINT kBindResults = WM_USER + 5;
    static constexpr UINT kReleaseOnOwner = WM_USER + 6;

    // Request types.
    static constexpr uint32_t kPlain = 0;
    static constexpr uint32_t kOutOfBand = 1;
    static constexpr uint32_t kDatagram = 2;

    // Unattached, one reference for the caller.
    ZIoSocket();
    ~ZIoSocket() override;

    // From another thread than the owner's, the last release is handed to the
    // owner thread, so the socket is always destroyed there.
    ULONG STDMETHODCALLTYPE Release() override;

    void Read(void* context, IBuffer* buffer) override;
    void Write(void* context, IBuffer* buffer) override;
    void Close() override;
    void SetSink(ISocketSink* sink) override;
    void SetAcceptSink(IListenSocketSink* sink) override;
    uint32_t Create(IInternetAddress* address) override;
    uint32_t Bind(void* context, IInternetAddress* address) override;
    uint32_t Listen(int backlog) override;
    void Accept(void* context) override;
    void Connect(void* context, const char* host, unsigned short port, IHostnameResolverSink* sink) override;
    void Connect(void* context, IInternetAddress* address) override;
    void CreateAndConnect(void* context, const char* host, unsigned short port, IHostnameResolverSink* sink) override;
    uint32_t Shutdown(int how) override;
    uint32_t EnableInheritance(bool inherit) override;
    uint32_t SetSockOpt(int name, const void* value, int length, int level) override;
    uint32_t GetSockOpt(int name, void* value, int* length, int level) override;
    uint32_t GetPeerName(IInternetAddress*& address) override;
    uint32_t GetSockName(IInternetAddress*& address) override;
    void ReadOOB(void* context, IBuffer* buffer) override;
    void WriteOOB(void* context, IBuffer* buffer) override;
    void WriteTo(void* context, IInternetAddress* to, IBuffer* buffer) override;
    void ReadFrom(void* context, IBuffer* buffer) override;

    void OnHostname(void* context, IReportMessageParams* error, const Result& result) override;

    bool GetSockName(CString& address, unsigned& port) { return CAsyncSocket::GetSockName(address, port) != FALSE; }

protected:
    void DeleteThis() override;

    void OnReceive(int error) override;
    void OnSend(int error) override;
    void OnOutOfBandData(int error) override;
    void OnAccept(int error) override;
    void OnConnect(int error) override;
    void OnClose(int error) override;

private:
    // Callers create the socket with an address; the sink's own Create stays inside.
    using ZNotificationSink::Create;
    struct Request {
        void* context = nullptr;
        uint32_t type = kPlain;
        ZUnknownPointer<IBuffer> buffer;                   // reads and writes
        ZUnknownPointer<IHostnameResolverSink> resolverSink;  // connects by name
        ZUnknownPointer<IInternetAddress> destination;     // datagram writes
        bool aborted = false;                              // connects by name: closed while resolving
        uintptr_t question = 0;                            // connects by name: the resolver's context
    };
    struct RequestResult : Request {
        uint32_t error = 0;
        uint32_t bytes = 0;
        ZUnknownPointer<IInternetAddress> address1;  // accepts: the new socket's local address
        ZUnknownPointer<IInternetAddress> address2;  // accepts: its peer; datagram reads: the source
        ZUnknownPointer<ZIoSocket> newSocket;        // accepts
    };

    LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL Accept(CAsyncSocket& target, SOCKADDR* address, int* addressLength) override;
    uint32_t PrepareForAccept();

    void QueueWrite(void* context, uint32_t type, IBuffer* buffer, IInternetAddress* destination);
    void QueueRead(void* context, uint32_t type, IBuffer* buffer);
    // A request without a buffer fails alone, after the ones queued before it.
    void FailWithoutBuffer(std::deque<Request>& queue, std::deque<RequestResult>& results, bool& posted,
                           UINT message);
    void InternalClose();
    void ConnectFailed(void* context, uint32_t error);
    void AcceptIncomingSocket(bool immediate);
    // False when the platform said the next receive would block.
    bool ReadData(bool immediate, bool outOfBand);
    void CompleteReadRequest(bool immediate, uint32_t error, uint32_t bytes, IInternetAddress* source,
                             uint32_t type);
    void SendData(bool immediate);
    void CompleteSendRequest(bool immediate, uint32_t error, uint32_t bytes);
    void Announce(bool& posted, UINT message);

    void DeliverReadResults();
    void DeliverWriteResults();
    void DeliverConnectResults();
    void DeliverAcceptResults();
    void DeliverBindResults();
    void CallReadSink(const Request& request, uint32_t error, IInternetAddress* source);
    void CallWriteSink(const Request& request, uint32_t error, uint32_t bytes);

    ZUnknownPointer<ISocketSink> m_sink;
    ZUnknownPointer<IListenSocketSink> m_acceptSink;
    // Taken once from whichever sink first turns out to be one; no reference of
    // its own, so the host keeps it alive while binds can complete.
    IBindSocketSink* m_bindSink = nullptr;
    bool m_oobInline = false;
    bool m_noDelay = false;
    uint32_t m_waitingConnections = 0;
    bool m_writeBlocked = true;  // until the first send notification
    size_t m_sentOfCurrent = 0;  // bytes of the front write already sent
    bool m_dataAvailable = false;
    bool m_peerClosed = false;
    bool m_eofReported = false;
    bool m_readsPosted = false;
    bool m_writesPosted = false;
    // At most one connect the platform is working on.
    std::deque<Request> m_connects;
    // Connects by name waiting for their answer; a name answered after a Close
    // that cut it off connects nothing.
    std::deque<Request> m_resolving;
    uintptr_t m_lastQuestion = 0;
    std::deque<Request> m_accepts;
    std::deque<Request> m_reads;
    std::deque<Request> m_writes;
    std::deque<RequestResult> m_readResults;
    std::deque<RequestResult> m_writeResults;
    std::deque<RequestResult> m_acceptResults;
    std::deque<RequestResult> m_connectResults;
    std::deque<RequestResult> m_bindResults;
};
