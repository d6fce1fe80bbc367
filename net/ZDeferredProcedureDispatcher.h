// ZDeferredProcedureDispatcher: a locked first-in-first-out queue of
// (procedure, parameter) pairs and the drain that runs them. Derived
// dispatchers decide how the owner thread is woken (ZMsgDeferredProcedureDispatcher
// posts a window message).
//
// The lock guards the queue and the running flag and is never held while a
// procedure runs, so a procedure may queue more work (it runs in the same pass)
// or pump messages (the drain does not re-enter).
#pragma once

#include <deque>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"
#include "net/IDeferredProcedure.h"
#include "net/ISynchObject.h"

class TESSARO_API ZDeferredProcedureDispatcher : public IDeferredProcedureDispatcher {
public:
    ZDeferredProcedureDispatcher();
    // Releases what is still queued without running it; derived dispatchers
    // drain before they get here.
    virtual ~ZDeferredProcedureDispatcher();

    ZDeferredProcedureDispatcher(const ZDeferredProcedureDispatcher&) = delete;
    ZDeferredProcedureDispatcher& operator=(const ZDeferredProcedureDispatcher&) = delete;

    void Shutdown() override {}

protected:
    struct Entry {
        IDeferredProcedure* procedure;  // one reference, held by the queue
        UINT_PTR parameter;
    };

    // Appends under the lock, taking a reference to the procedure.
    void Enqueue(IDeferredProcedure* procedure, UINT_PTR parameter);
    // Runs every entry, including those queued meanwhile, in order; returns
    // whether anything ran. Returns false at once when a drain is already
    // running on this dispatcher. A procedure that throws has already left the
    // queue; the exception passes on with the lock released and the drain over.
    bool RunQueue();

private:
    ISynchObject* m_lock;  // one reference
    bool m_running = false;
    std::deque<Entry> m_queue;
};
