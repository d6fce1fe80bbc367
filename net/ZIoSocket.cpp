#include "net/ZIoSocket.h"

#include <algorithm>
#include <climits>

#include "foundation/TessaroInit.h"
#include "net/WinsockStartup.h"
#include "net/ZInternetAddress.h"

namespace {

constexpr uint32_t kAborted = ERROR_OPERATION_ABORTED;  // 995
constexpr uint32_t kNoWindow = ERROR_OUTOFMEMORY;       // 14
constexpr uint32_t kUnrepresentableAddress = 0xE1040041;
constexpr long kConnectEvents = FD_READ | FD_WRITE | FD_OOB | FD_CONNECT | FD_CLOSE;
constexpr long kConnectedEvents = FD_READ | FD_WRITE | FD_OOB | FD_CLOSE;

uint32_t LastSocketError()
{
    return static_cast<uint32_t>(::WSAGetLastError());
}

int ClampToInt(size_t length)
{
    return static_cast<int>(std::min<size_t>(length, INT_MAX));
}

// getsockname or getpeername into a new address for the caller.
template <class NameCall>
uint32_t AddressFromName(NameCall call, SOCKET socket, IInternetAddress*& address)
{
    address = nullptr;
    sockaddr_storage name = {};
    int length = sizeof name;
    if (call(socket, reinterpret_cast<sockaddr*>(&name), &length) == SOCKET_ERROR)
        return LastSocketError();
    address = CreateAddressFromSockaddr(reinterpret_cast<const sockaddr*>(&name), static_cast<size_t>(length));
    return address ? 0 : kUnrepresentableAddress;
}

bool AnyByteSet(const void* value, int length)
{
    const auto* bytes = static_cast<const unsigned char*>(value);
    return bytes && std::any_of(bytes, bytes + std::max(length, 0), [](unsigned char b) { return b != 0; });
}

}  // namespace

ZIoSocket::ZIoSocket() = default;

ZIoSocket::~ZIoSocket()
{
    InternalClose();
    DestroyNotificationWindow();
}

void ZIoSocket::DeleteThis()
{
    // Sinks called while closing may take and drop references of their own.
    AddRef();
    InternalClose();
    delete this;
}

ULONG ZIoSocket::Release()
{
    using Counted = ZUnknown<Interface::ZIoSocket>;
    if (IsOwnerThread())
        return Counted::Release();
    // A temporary reference, dropped by the owner thread when it handles the message.
    AddRef();
    const ULONG after = Counted::Release();
    if (!PostNotification(kReleaseOnOwner, 0, 0))
        return Counted::Release();  // no owner loop left to hand it to
    return after;
}

// --- requests -----------------------------------------------------------------

void ZIoSocket::Read(void* context, IBuffer* buffer)
{
    QueueRead(context, kPlain, buffer);
}

void ZIoSocket::ReadFrom(void* context, IBuffer* buffer)
{
    QueueRead(context, kDatagram, buffer);
}

void ZIoSocket::ReadOOB(void*, IBuffer*) {}

void ZIoSocket::QueueRead(void* context, uint32_t type, IBuffer* buffer)
{
    Request request;
    request.context = context;
    request.type = type;
    request.buffer = buffer;
    m_reads.push_back(std::move(request));
    if (!buffer) {
        FailWithoutBuffer(m_reads, m_readResults, m_readsPosted, kReadResults);
        return;
    }
    if (m_dataAvailable || m_peerClosed)
        ReadData(false, false);
}

void ZIoSocket::Write(void* context, IBuffer* buffer)
{
    QueueWrite(context, kPlain, buffer, nullptr);
}

void ZIoSocket::WriteOOB(void* context, IBuffer* buffer)
{
    QueueWrite(context, kOutOfBand, buffer, nullptr);
}

void ZIoSocket::WriteTo(void* context, IInternetAddress* to, IBuffer* buffer)
{
    QueueWrite(context, kDatagram, buffer, to);
}

void ZIoSocket::QueueWrite(void* context, uint32_t type, IBuffer* buffer, IInternetAddress* destination)
{
    Request request;
    request.context = context;
    request.type = type;
    request.buffer = buffer;
    request.destination = destination;
    m_writes.push_back(std::move(request));
    if (!buffer) {
        FailWithoutBuffer(m_writes, m_writeResults, m_writesPosted, kWriteResults);
        return;
    }
    if (!m_writeBlocked)
        SendData(false);
}

void ZIoSocket::FailWithoutBuffer(std::deque<Request>& queue, std::deque<RequestResult>& results, bool& posted,
                                  UINT message)
{
    RequestResult result;
    static_cast<Request&>(result) = std::move(queue.back());
    queue.pop_back();
    result.error = WSAEFAULT;
    results.push_back(std::move(result));
    Announce(posted, message);
}

void ZIoSocket::Close()
{
    ZUnknownPointer<ZIoSocket> self(this);
    InternalClose();
}

void ZIoSocket::SetSink(ISocketSink* sink)
{
    m_sink = sink;
    if (!m_bindSink && sink)
        m_bindSink = dynamic_cast<IBindSocketSink*>(sink);
}

void ZIoSocket::SetAcceptSink(IListenSocketSink* sink)
{
    m_acceptSink = sink;
    if (!m_bindSink && sink)
        m_bindSink = dynamic_cast<IBindSocketSink*>(sink);
}

uint32_t ZIoSocket::Create(IInternetAddress* address)
{
    if (!address)
        return WSAEFAULT;
    // A second handle would leak the first.
    if (m_hSocket != INVALID_SOCKET)
        return WSAEINVAL;
    if (!ZNotificationSink::Create())
        return kNoWindow;
    if (!Tessaro::EnsureWinsockStarted())
        return WSANOTINITIALISED;
    const SOCKET handle = ::socket(address->GetFamily(), address->GetSocketType(), address->GetProtocol());
    if (handle == INVALID_SOCKET)
        return LastSocketError();
    // Attach selects every event, as the framework does, so that a datagram
    // socket hears of reads and writes without connecting.
    if (!Attach(handle)) {
        const uint32_t error = LastSocketError();
        CAsyncSocket::Close();
        return error;
    }
    m_writeBlocked = true;
    m_dataAvailable = m_peerClosed = m_eofReported = false;
    m_waitingConnections = 0;
    const BOOL on = TRUE;
    if (m_oobInline)
        CAsyncSocket::SetSockOpt(SO_OOBINLINE, &on, sizeof on, SOL_SOCKET);
    if (m_noDelay)
        CAsyncSocket::SetSockOpt(TCP_NODELAY, &on, sizeof on, IPPROTO_TCP);
    return 0;
}

uint32_t ZIoSocket::Bind(void* context, IInternetAddress* address)
{
    const sockaddr* name = nullptr;
    int length = 0;
    uint32_t error = 0;
    if (!address || !address->GetSockaddr(name, length))
        error = WSAEFAULT;
    else if (!CAsyncSocket::Bind(name, length))
        error = LastSocketError();
    if (!m_bindSink)
        return error;
    RequestResult result;
    result.context = context;
    result.error = error;
    m_bindResults.push_back(std::move(result));
    PostNotification(kBindResults, 0, 0);
    return ERROR_IO_PENDING;
}

uint32_t ZIoSocket::Listen(int backlog)
{
    if (m_hSocket == INVALID_SOCKET)
        return WSAENOTSOCK;
    if (!AsyncSelect(FD_ACCEPT | FD_CLOSE) || !CAsyncSocket::Listen(backlog))
        return LastSocketError();
    return 0;
}

void ZIoSocket::Accept(void* context)
{
    Request request;
    request.context = context;
    m_accepts.push_back(std::move(request));
    if (m_waitingConnections > 0) {
        --m_waitingConnections;
        AcceptIncomingSocket(false);
    }
}

void ZIoSocket::Connect(void* context, const char* host, unsigned short port, IHostnameResolverSink* sink)
{
    CreateAndConnect(context, host, port, sink);
}

void ZIoSocket::Connect(void* context, IInternetAddress* address)
{
    if (!m_connects.empty())
        return;  // one connect at a time
    Request request;
    request.context = context;
    m_connects.push_back(std::move(request));
    const sockaddr* name = nullptr;
    int length = 0;
    uint32_t error = 0;
    if (!address || !address->GetSockaddr(name, length)) {
        error = WSAEFAULT;
    } else if (m_hSocket == INVALID_SOCKET) {
        error = WSAENOTSOCK;
    } else if (!AsyncSelect(kConnectEvents)) {
        error = LastSocketError();
    } else if (!CAsyncSocket::Connect(name, length)) {
        error = LastSocketError();
        if (error == WSAEWOULDBLOCK)
            error = 0;
    }
    if (error) {
        m_connects.pop_front();
        ConnectFailed(context, error);
    }
}

void ZIoSocket::CreateAndConnect(void* context, const char* host, unsigned short port, IHostnameResolverSink* sink)
{
    ZUnknownPointer<IInternetAddress> address;
    address.Attach(CreateAddressFromNumericHost(host, port));
    if (address) {
        if (m_hSocket == INVALID_SOCKET) {
            if (const uint32_t error = Create(address.Get())) {
                ConnectFailed(context, error);
                return;
            }
        }
        Connect(context, address.Get());
        return;
    }
    if (!ZNotificationSink::Create()) {
        ConnectFailed(context, kNoWindow);
        return;
    }
    IHostnameResolver* resolver = Tessaro::CreateHostnameResolver();
    if (!resolver) {
        ConnectFailed(context, WSAHOST_NOT_FOUND);  // the host gave no resolver
        return;
    }
    Request request;
    request.context = context;
    request.resolverSink = sink;
    // Answers may come in any order: each question has its own context.
    request.question = ++m_lastQuestion;
    m_resolving.push_back(std::move(request));
    resolver->Resolve(this, reinterpret_cast<void*>(request.question), host, port, AF_UNSPEC, IPPROTO_TCP);
}

void ZIoSocket::OnHostname(void* context, IReportMessageParams* error, const Result& result)
{
    ZUnknownPointer<ZIoSocket> self(this);
    auto asked = std::find_if(m_resolving.begin(), m_resolving.end(), [context](const Request& r) {
        return r.question == reinterpret_cast<uintptr_t>(context);
    });
    // A resolver that answers without the context it was given answers the oldest.
    if (asked == m_resolving.end() && !context && !m_resolving.empty())
        asked = m_resolving.begin();
    if (asked == m_resolving.end())
        return;
    Request request = std::move(*asked);
    m_resolving.erase(asked);
    // The caller's sink never sees the socket's own context.
    if (request.resolverSink)
        request.resolverSink->OnHostname(nullptr, error, result);
    const uint32_t id = error ? error->GetMessageId() : 0;
    if (request.aborted) {
        ConnectFailed(request.context, kAborted);
        return;
    }
    if (id != 0) {
        ConnectFailed(request.context, ZSocketErrorFromResolver(id));
        return;
    }
    if (result.addresses.empty() || !result.addresses.front()) {
        ConnectFailed(request.context, WSAHOST_NOT_FOUND);
        return;
    }
    if (!m_connects.empty()) {
        // Another connect got there first; refused here, since Connect would
        // drop it without an answer.
        ConnectFailed(request.context, WSAEALREADY);
        return;
    }
    const ZUnknownPointer<IInternetAddress> address = result.addresses.front();
    if (m_hSocket == INVALID_SOCKET) {
        if (const uint32_t createError = Create(address.Get())) {
            ConnectFailed(request.context, createError);
            return;
        }
    }
    Connect(request.context, address.Get());
}

void ZIoSocket::ConnectFailed(void* context, uint32_t error)
{
    RequestResult result;
    result.context = context;
    result.error = error;
    m_connectResults.push_back(std::move(result));
    PostNotification(kConnectResults, 0, 0);
}

uint32_t ZIoSocket::Shutdown(int how)
{
    return ShutDown(how) ? 0 : LastSocketError();
}

uint32_t ZIoSocket::EnableInheritance(bool inherit)
{
    if (!::SetHandleInformation(reinterpret_cast<HANDLE>(m_hSocket), HANDLE_FLAG_INHERIT,
                                inherit ? HANDLE_FLAG_INHERIT : 0))
        return ::GetLastError();
    return 0;
}

uint32_t ZIoSocket::SetSockOpt(int name, const void* value, int length, int level)
{
    if (name == SO_SNDBUF) {
        if (length != 4)
            return WSAEFAULT;
        if (!AnyByteSet(value, length))
            return 0;
    }
    if (m_hSocket == INVALID_SOCKET) {
        if (name == SO_OOBINLINE) {
            m_oobInline = AnyByteSet(value, length);
            return 0;
        }
        if (name == TCP_NODELAY) {
            m_noDelay = AnyByteSet(value, length);
            return 0;
        }
    }
    return CAsyncSocket::SetSockOpt(name, value, length, level) ? 0 : LastSocketError();
}

uint32_t ZIoSocket::GetSockOpt(int name, void* value, int* length, int level)
{
    return CAsyncSocket::GetSockOpt(name, value, length, level) ? 0 : LastSocketError();
}

uint32_t ZIoSocket::GetPeerName(IInternetAddress*& address)
{
    return AddressFromName(::getpeername, m_hSocket, address);
}

uint32_t ZIoSocket::GetSockName(IInternetAddress*& address)
{
    return AddressFromName(::getsockname, m_hSocket, address);
}

// --- accepting ----------------------------------------------------------------

uint32_t ZIoSocket::PrepareForAccept()
{
    return ZNotificationSink::Create() ? 0 : kNoWindow;
}

BOOL ZIoSocket::Accept(CAsyncSocket& target, SOCKADDR* address, int* addressLength)
{
    if (target.m_hSocket != INVALID_SOCKET)
        target.CAsyncSocket::Close();
    return CAsyncSocket::Accept(target, address, addressLength);
}

void ZIoSocket::AcceptIncomingSocket(bool immediate)
{
    ZUnknownPointer<ZIoSocket> self(this);
    RequestResult result;
    static_cast<Request&>(result) = std::move(m_accepts.front());
    m_accepts.pop_front();
    result.newSocket.Attach(new ZIoSocket);
    ZIoSocket& accepted = *result.newSocket;
    result.error = accepted.PrepareForAccept();
    if (!result.error) {
        sockaddr_storage peer = {};
        int peerLength = sizeof peer;
        if (!Accept(accepted, reinterpret_cast<SOCKADDR*>(&peer), &peerLength)) {
            result.error = LastSocketError();
        } else {
            accepted.AsyncSelect(kConnectedEvents);
            result.address2.Attach(
                CreateAddressFromSockaddr(reinterpret_cast<const sockaddr*>(&peer), static_cast<size_t>(peerLength)));
            IInternetAddress* local = nullptr;
            const uint32_t localError = AddressFromName(::getsockname, accepted.m_hSocket, local);
            result.address1.Attach(local);
            if (localError)
                result.error = localError;
            else if (!result.address2)
                result.error = kUnrepresentableAddress;
        }
    }
    if (!immediate) {
        m_acceptResults.push_back(std::move(result));
        PostNotification(kAcceptResults, 0, 0);
        return;
    }
    if (ZUnknownPointer<IListenSocketSink> sink(m_acceptSink.Get()); sink)
        sink->OnAccept(result.context, result.error, result.newSocket.Get(), result.address1.Get(),
                       result.address2.Get());
}

// --- reading and writing ------------------------------------------------------

bool ZIoSocket::ReadData(bool immediate, bool outOfBand)
{
    while (!m_reads.empty()) {
        m_dataAvailable = false;
        const Request& front = m_reads.front();
        const uint32_t type = outOfBand ? kOutOfBand : front.type;
        IBuffer* buffer = front.buffer.Get();
        const int capacity = ClampToInt(buffer->GetCapacity());
        ZUnknownPointer<IInternetAddress> source;
        int count;
        if (type == kDatagram) {
            sockaddr_storage from = {};
            int fromLength = sizeof from;
            count = ReceiveFrom(buffer->GetData(), capacity, reinterpret_cast<SOCKADDR*>(&from), &fromLength);
            if (count > 0)
                source.Attach(CreateAddressFromSockaddr(reinterpret_cast<const sockaddr*>(&from),
                                                        static_cast<size_t>(fromLength)));
        } else {
            count = Receive(buffer->GetData(), capacity, outOfBand ? MSG_OOB : 0);
        }
        if (count >= 0) {
            // A stream that gives nothing into room for something has ended, whether
            // or not the close notification has come yet: one end of stream only.
            if (count == 0 && type == kPlain && capacity > 0)
                m_peerClosed = true;
            uint32_t error = 0;
            if (count == 0 && m_peerClosed) {
                if (m_eofReported)
                    error = kAborted;
                m_eofReported = true;
            }
            CompleteReadRequest(immediate, error, static_cast<uint32_t>(count), source.Get(), type);
            return true;
        }
        const uint32_t error = LastSocketError();
        if (error == WSAEWOULDBLOCK)
            return false;
        CompleteReadRequest(immediate, error, 0, nullptr, type);
    }
    return true;
}

void ZIoSocket::CompleteReadRequest(bool immediate, uint32_t error, uint32_t bytes, IInternetAddress* source,
                                    uint32_t type)
{
    RequestResult result;
    static_cast<Request&>(result) = std::move(m_reads.front());
    m_reads.pop_front();
    result.type = type;  // out-of-band data read by a plain request comes to OnReadOOB
    if (result.buffer)
        result.buffer->SetDataLength(bytes);
    result.error = error;
    result.bytes = bytes;
    result.address2 = source;
    m_readResults.push_back(std::move(result));
    if (immediate)
        DeliverReadResults();
    else
        Announce(m_readsPosted, kReadResults);
}

void ZIoSocket::SendData(bool immediate)
{
    while (!m_writes.empty()) {
        const Request& front = m_writes.front();
        IBuffer* buffer = front.buffer.Get();
        const size_t total = buffer->GetDataLength();
        const size_t sent = std::min(m_sentOfCurrent, total);
        const unsigned char* data = buffer->GetData() + sent;
        const int length = ClampToInt(total - sent);
        int count;
        if (front.type == kDatagram) {
            const sockaddr* to = nullptr;
            int toLength = 0;
            if (!front.destination || !front.destination->GetSockaddr(to, toLength)) {
                CompleteSendRequest(immediate, WSAEFAULT, 0);
                continue;
            }
            count = SendTo(data, length, to, toLength);
        } else {
            count = Send(data, length, front.type == kOutOfBand ? MSG_OOB : 0);
        }
        if (count == SOCKET_ERROR) {
            const uint32_t error = LastSocketError();
            if (error == WSAEWOULDBLOCK) {
                m_writeBlocked = true;
                return;
            }
            CompleteSendRequest(immediate, error, 0);
            continue;
        }
        m_sentOfCurrent = sent + static_cast<size_t>(count);
        if (m_sentOfCurrent >= total)
            CompleteSendRequest(immediate, 0, static_cast<uint32_t>(count));
    }
}

void ZIoSocket::CompleteSendRequest(bool immediate, uint32_t error, uint32_t bytes)
{
    RequestResult result;
    static_cast<Request&>(result) = std::move(m_writes.front());
    m_writes.pop_front();
    m_sentOfCurrent = 0;
    result.error = error;
    result.bytes = bytes;
    m_writeResults.push_back(std::move(result));
    if (immediate)
        DeliverWriteResults();
    else
        Announce(m_writesPosted, kWriteResults);
}

void ZIoSocket::Announce(bool& posted, UINT message)
{
    if (posted)
        return;
    // A post that failed (no window yet) leaves the next announcement to try again.
    posted = PostNotification(message, 0, 0) != FALSE;
}

// --- socket notifications -----------------------------------------------------

void ZIoSocket::OnReceive(int)
{
    ZUnknownPointer<ZIoSocket> self(this);
    m_dataAvailable = true;
    if (!m_reads.empty())
        ReadData(true, false);
}

void ZIoSocket::OnOutOfBandData(int)
{
    ZUnknownPointer<ZIoSocket> self(this);
    m_dataAvailable = true;
    if (!m_reads.empty())
        ReadData(true, true);
}

void ZIoSocket::OnSend(int)
{
    ZUnknownPointer<ZIoSocket> self(this);
    m_writeBlocked = false;
    if (!m_writes.empty())
        SendData(true);
}

void ZIoSocket::OnAccept(int)
{
    if (m_accepts.empty())
        ++m_waitingConnections;
    else
        AcceptIncomingSocket(true);
}

void ZIoSocket::OnConnect(int error)
{
    ZUnknownPointer<ZIoSocket> self(this);
    if (m_connects.empty()) {
        DeliverConnectResults();
        return;
    }
    Request request = std::move(m_connects.front());
    m_connects.pop_front();
    if (ZUnknownPointer<ISocketSink> sink(m_sink.Get()); sink)
        sink->OnConnect(request.context, static_cast<uint32_t>(error));
}

void ZIoSocket::OnClose(int)
{
    ZUnknownPointer<ZIoSocket> self(this);
    m_peerClosed = true;
    // Each pass completes one read; a receive that would still block ends it.
    while (!m_reads.empty() && ReadData(true, false)) {
    }
    while (!m_accepts.empty())
        AcceptIncomingSocket(true);
}

LRESULT ZIoSocket::OnNotify(UINT message, WPARAM, LPARAM)
{
    ZUnknownPointer<ZIoSocket> self(this);
    switch (message) {
    case kReadResults:
        m_readsPosted = false;
        DeliverReadResults();
        break;
    case kWriteResults:
        m_writesPosted = false;
        DeliverWriteResults();
        break;
    case kConnectResults:
        DeliverConnectResults();
        break;
    case kAcceptResults:
        DeliverAcceptResults();
        break;
    case kBindResults:
        DeliverBindResults();
        break;
    case kReleaseOnOwner:
        Release();
        break;
    default:
        break;
    }
    return 0;
}

// --- delivering and closing ---------------------------------------------------

void ZIoSocket::CallReadSink(const Request& request, uint32_t error, IInternetAddress* source)
{
    ZUnknownPointer<ISocketSink> sink(m_sink.Get());  // the sink may replace itself
    if (!sink)
        return;
    switch (request.type) {
    case kPlain:
        sink->OnRead(request.context, error, request.buffer.Get());
        break;
    case kOutOfBand:
        sink->OnReadOOB(request.context, error, request.buffer.Get());
        break;
    case kDatagram:
        if (auto* datagrams = dynamic_cast<IReadFromSocketSink*>(sink.Get()))
            datagrams->OnReadFrom(request.context, error, request.buffer.Get(), source, 0);
        break;
    default:
        break;
    }
}

void ZIoSocket::CallWriteSink(const Request& request, uint32_t error, uint32_t bytes)
{
    ZUnknownPointer<ISocketSink> sink(m_sink.Get());
    if (!sink)
        return;
    if (request.type == kOutOfBand)
        sink->OnWriteOOB(request.context, error, request.buffer.Get(), bytes);
    else
        sink->OnWrite(request.context, error, request.buffer.Get(), bytes);
}

void ZIoSocket::DeliverReadResults()
{
    while (!m_readResults.empty()) {
        RequestResult result = std::move(m_readResults.front());
        m_readResults.pop_front();
        CallReadSink(result, result.error, result.address2.Get());
    }
}

void ZIoSocket::DeliverWriteResults()
{
    while (!m_writeResults.empty()) {
        RequestResult result = std::move(m_writeResults.front());
        m_writeResults.pop_front();
        CallWriteSink(result, result.error, result.bytes);
    }
}

void ZIoSocket::DeliverConnectResults()
{
    while (!m_connectResults.empty()) {
        RequestResult result = std::move(m_connectResults.front());
        m_connectResults.pop_front();
        if (ZUnknownPointer<ISocketSink> sink(m_sink.Get()); sink)
            sink->OnConnect(result.context, result.error);
    }
}

void ZIoSocket::DeliverAcceptResults()
{
    while (!m_acceptResults.empty()) {
        RequestResult result = std::move(m_acceptResults.front());
        m_acceptResults.pop_front();
        if (ZUnknownPointer<IListenSocketSink> sink(m_acceptSink.Get()); sink)
            sink->OnAccept(result.context, result.error, result.newSocket.Get(), result.address1.Get(),
                           result.address2.Get());
    }
}

void ZIoSocket::DeliverBindResults()
{
    while (!m_bindResults.empty()) {
        RequestResult result = std::move(m_bindResults.front());
        m_bindResults.pop_front();
        if (m_bindSink)
            m_bindSink->OnBind(result.context, result.error);
    }
}

void ZIoSocket::InternalClose()
{
    if (m_hSocket != INVALID_SOCKET) {
        AsyncSelect(0);
        CAsyncSocket::Close();
    }
    DeliverReadResults();
    DeliverWriteResults();
    DeliverAcceptResults();
    DeliverConnectResults();
    DeliverBindResults();
    for (Request& request : m_resolving)
        request.aborted = true;
    // Taken off the queues first: a sink that answers a failure with a new
    // request must not keep this loop going.
    std::deque<Request> reads;
    reads.swap(m_reads);
    for (const Request& request : reads) {
        if (request.buffer)
            request.buffer->SetDataLength(0);
        CallReadSink(request, kAborted, nullptr);
    }
    std::deque<Request> writes;
    writes.swap(m_writes);
    m_sentOfCurrent = 0;
    for (const Request& request : writes)
        CallWriteSink(request, kAborted, 0);
    std::deque<Request> accepts;
    accepts.swap(m_accepts);
    for (const Request& request : accepts) {
        if (ZUnknownPointer<IListenSocketSink> sink(m_acceptSink.Get()); sink)
            sink->OnAccept(request.context, kAborted, nullptr, nullptr, nullptr);
    }
    std::deque<Request> connects;
    connects.swap(m_connects);
    for (const Request& request : connects) {
        if (ZUnknownPointer<ISocketSink> sink(m_sink.Get()); sink)
            sink->OnConnect(request.context, kAborted);
    }
}
