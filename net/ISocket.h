// The asynchronous socket's interfaces and the host-side ones it calls.
//
//   IInputOutput, ISocket        what ZIoSocket offers (reads, writes, connects, ...)
//   ISocketSink                  results of reads, writes and connects (the host's)
//   IReadFromSocketSink          plus datagram reads with their source address
//   IBindSocketSink              results of binds made with a sink
//   IListenSocketSink            accepted connections
//   IHostnameResolver(Sink)      the host's name resolver and its answer
//
// Every operation that waits is a request named by a context pointer of the
// caller's choosing; its result reaches a sink later, on the socket's owner
// thread. Errors are Winsock error numbers, 0 for success.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/IReportMessageParams.h"
#include "foundation/ZUnknown.h"
#include "net/IBuffer.h"
#include "net/IInternetAddress.h"

class ISocket;

class ISocketSink : public IUnknown {
public:
    // The buffer's data length is the byte count read.
    virtual void OnRead(void* context, uint32_t error, IBuffer* buffer) = 0;
    // bytes: the count of the last send the write took; the buffer holds the total.
    virtual void OnWrite(void* context, uint32_t error, IBuffer* buffer, uint32_t bytes) = 0;
    virtual void OnReadOOB(void* context, uint32_t error, IBuffer* buffer) = 0;
    virtual void OnWriteOOB(void* context, uint32_t error, IBuffer* buffer, uint32_t bytes) = 0;
    virtual void OnConnect(void* context, uint32_t error) = 0;
};

// Found by a dynamic cast of the socket's sink when a datagram read completes.
class IReadFromSocketSink : public ISocketSink {
public:
    // source: null when the read failed; the last argument is always 0.
    virtual void OnReadFrom(void* context, uint32_t error, IBuffer* buffer, IInternetAddress* source, int) = 0;
};

class IBindSocketSink : public IUnknown {
public:
    virtual void OnBind(void* context, uint32_t error) = 0;
};

class IListenSocketSink : public IUnknown {
public:
    // The socket keeps no reference to what it passes: a sink that keeps the new
    // socket or an address takes its own. The new socket comes also with an error.
    virtual void OnAccept(void* context, uint32_t error, ISocket* newSocket, IInternetAddress* local,
                          IInternetAddress* peer) = 0;
};

class IHostnameResolverSink : public IUnknown {
public:
    struct Result {
        // In the resolver's order of preference; the socket connects to the first.
        std::vector<ZUnknownPointer<IInternetAddress>> addresses;
    };
    // error is never null; its message identifier is 0 on success.
    virtual void OnHostname(void* context, IReportMessageParams* error, const Result& result) = 0;
};

// The host's resolver. Resolve returns at once and later calls the sink's
// OnHostname exactly once, on the thread that called Resolve.
class IHostnameResolver : public IUnknown {
public:
    virtual void Resolve(IHostnameResolverSink* sink, void* context, const char* host, unsigned short port,
                         int family, int protocol) = 0;
};

class IInputOutput : public IUnknown {
public:
    virtual void Read(void* context, IBuffer* buffer) = 0;
    virtual void Write(void* context, IBuffer* buffer) = 0;
    // Delivers what is done and fails what is still queued (995) before it returns.
    virtual void Close() = 0;
};

class ISocket : public IInputOutput {
public:
    virtual void SetSink(ISocketSink* sink) = 0;
    virtual void SetAcceptSink(IListenSocketSink* sink) = 0;
    virtual uint32_t Create(IInternetAddress* address) = 0;
    // 997 when a bind sink will have the result.
    virtual uint32_t Bind(void* context, IInternetAddress* address) = 0;
    virtual uint32_t Listen(int backlog) = 0;
    virtual void Accept(void* context) = 0;
    virtual void Connect(void* context, const char* host, unsigned short port, IHostnameResolverSink* sink) = 0;
    virtual void Connect(void* context, IInternetAddress* address) = 0;
    // Numeric hosts connect directly; names go to the host's resolver first.
    virtual void CreateAndConnect(void* context, const char* host, unsigned short port,
                                  IHostnameResolverSink* sink) = 0;
    virtual uint32_t Shutdown(int how) = 0;
    virtual uint32_t EnableInheritance(bool inherit) = 0;
    // Before the handle exists SO_OOBINLINE and TCP_NODELAY are remembered and
    // applied when it is made.
    virtual uint32_t SetSockOpt(int name, const void* value, int length, int level) = 0;
    virtual uint32_t GetSockOpt(int name, void* value, int* length, int level) = 0;
    // The caller receives a reference.
    virtual uint32_t GetPeerName(IInternetAddress*& address) = 0;
    virtual uint32_t GetSockName(IInternetAddress*& address) = 0;
    // Does nothing: out-of-band data reaches the front read request.
    virtual void ReadOOB(void* context, IBuffer* buffer) = 0;
    virtual void WriteOOB(void* context, IBuffer* buffer) = 0;
    virtual void WriteTo(void* context, IInternetAddress* to, IBuffer* buffer) = 0;
    virtual void ReadFrom(void* context, IBuffer* buffer) = 0;
};

namespace Interface {

class ZIoSocket : public ISocket, public IHostnameResolverSink {};

}  // namespace Interface

// Message identifiers a resolver reports, and the socket errors they become.
// Any identifier not listed becomes 11001 (WSAHOST_NOT_FOUND).
struct ZResolverError {
    uint32_t messageId;
    uint32_t socketError;
};
inline constexpr ZResolverError kResolverErrors[] = {
    {0xE1040001, 10022}, {0xE1040004, 10060}, {0xE1040006, 10057}, {0xE1040007, 10065}, {0xE1040008, 10101},
    {0xE1040009, 10047}, {0xE104000A, 10054}, {0xE104000B, 10051}, {0xE104000C, 10053}, {0xE104000D, 10061},
    {0xE104000E, 10049}, {0xE104000F, 11002}, {0xE1040010, 11003}, {0xE1040011, 11004}, {0xE1040012, 10048},
    {0xE1040013, 10044}, {0xE1040014, 8},     {0xE1040015, 10109}, {0xE1040033, 10050}, {0xE1040034, 10055},
    {0xE1040035, 10058},
};

inline uint32_t ZSocketErrorFromResolver(uint32_t messageId)
{
    for (const ZResolverError& entry : kResolverErrors) {
        if (entry.messageId == messageId)
            return entry.socketError;
    }
    return 11001;
}
