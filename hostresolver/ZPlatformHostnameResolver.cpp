#include <winsock2.h>
#include <ws2tcpip.h>

#include "hostresolver/ZPlatformHostnameResolver.h"

#include <string>
#include <thread>

#include "foundation/ZReportMessageParams.h"
#include "net/ZInternetAddress.h"
#include "net/ZMsgDeferredProcedureDispatcher.h"

namespace {

// The answer to one lookup: filled on the worker, delivered on the owner thread.
class Answer : public ZUnknown<IDeferredProcedure> {
public:
    Answer(IHostnameResolverSink* sink, void* context) : m_sink(sink), m_context(context) {}

    void Execute(UINT_PTR) override
    {
        // Taken out first, so that the sink is released on this thread whoever
        // drops the last reference to the answer.
        ZUnknownPointer<IHostnameResolverSink> sink = std::move(m_sink);
        if (sink)
            sink->OnHostname(m_context, &m_error, m_result);
        m_result.addresses.clear();
    }

    void Fail(uint32_t messageId) { m_error.Reset(messageId); }

    void Lookup(const std::string& host, unsigned short port, int family, int protocol)
    {
        m_error.Reset(0);
        addrinfo hints = {};
        hints.ai_family = family;
        hints.ai_protocol = protocol;
        hints.ai_socktype = protocol == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
        addrinfo* found = nullptr;
        const int error = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        if (error != 0) {
            m_error.Reset(ZPlatformHostnameResolver::MessageIdForError(error));
            return;
        }
        for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
            ZUnknownPointer<IInternetAddress> address;
            address.Attach(CreateAddressFromSockaddr(entry->ai_addr, entry->ai_addrlen));
            if (!address)
                continue;  // a family the socket cannot use
            address->SetSocketType(entry->ai_socktype);
            address->SetProtocol(entry->ai_protocol);
            m_result.addresses.push_back(std::move(address));
        }
        ::freeaddrinfo(found);
        if (m_result.addresses.empty())
            m_error.Reset(ZPlatformHostnameResolver::MessageIdForError(WSANO_DATA));
    }

private:
    ZUnknownPointer<IHostnameResolverSink> m_sink;
    void* m_context;
    ZReportMessageParams m_error;
    IHostnameResolverSink::Result m_result;
};

bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

}  // namespace

ZPlatformHostnameResolver::ZPlatformHostnameResolver(IDeferredProcedureDispatcher* dispatcher)
    : m_dispatcher(dispatcher)
{
}

IHostnameResolver* ZPlatformHostnameResolver::ForThisThread()
{
    thread_local ZUnknownPointer<ZPlatformHostnameResolver> resolver;
    if (!resolver) {
        auto dispatcher = ZAdoptReference(CreateZMsgDeferredProcedureDispatcher(nullptr));
        if (!dispatcher)
            return nullptr;
        resolver.Attach(new ZPlatformHostnameResolver(dispatcher.Get()));
    }
    return resolver.Get();
}

uint32_t ZPlatformHostnameResolver::MessageIdForError(int error)
{
    for (const ZResolverError& entry : kResolverErrors) {
        if (static_cast<int>(entry.socketError) == error)
            return entry.messageId;
    }
    return kHostNotFound;
}

void ZPlatformHostnameResolver::Resolve(IHostnameResolverSink* sink, void* context, const char* host,
                                        unsigned short port, int family, int protocol)
{
    auto answer = ZAdoptReference(new Answer(sink, context));
    ZUnknownPointer<IDeferredProcedureDispatcher> dispatcher = m_dispatcher;
    if (!host || !StartWinsock()) {
        // Still answered from the message loop, never inside the caller's call.
        answer->Fail(host ? MessageIdForError(WSANOTINITIALISED) : kHostNotFound);
        dispatcher->QueueProcedure(answer.Get(), 0);
        return;
    }
    std::thread([answer, dispatcher, name = std::string(host), port, family, protocol] {
        answer->Lookup(name, port, family, protocol);
        dispatcher->QueueProcedure(answer.Get(), 0);
    }).detach();
}
