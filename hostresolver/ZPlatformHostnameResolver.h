// ZPlatformHostnameResolver: a host's IHostnameResolver that looks names up with
// the platform (getaddrinfo on a worker thread) and answers on the thread that
// asked, as the socket requires. One resolver per thread; hand ForThisThread to
// TessaroInit as the resolver factory.
//
// Failures carry the message identifiers the socket maps to Winsock errors
// (kResolverErrors); an error with no entry there, such as an unknown name,
// carries kHostNotFound, which the socket reads as 11001.
#pragma once

#include <cstdint>

#include "foundation/ZUnknown.h"
#include "net/IDeferredProcedure.h"
#include "net/ISocket.h"

class ZPlatformHostnameResolver : public ZUnknown<IHostnameResolver> {
public:
    static constexpr uint32_t kHostNotFound = 0xE1040005;

    // The calling thread's resolver, made on its first call and kept until the
    // thread ends; null when its dispatcher cannot be made.
    static IHostnameResolver* ForThisThread();

    // Returns at once; the sink's OnHostname follows on this thread's message loop.
    void Resolve(IHostnameResolverSink* sink, void* context, const char* host, unsigned short port, int family,
                 int protocol) override;

    // The identifier a lookup that failed with this Winsock error reports.
    static uint32_t MessageIdForError(int error);

private:
    explicit ZPlatformHostnameResolver(IDeferredProcedureDispatcher* dispatcher);

    ZUnknownPointer<IDeferredProcedureDispatcher> m_dispatcher;
};
