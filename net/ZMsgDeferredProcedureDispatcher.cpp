#include "net/ZMsgDeferredProcedureDispatcher.h"

#include <new>

#include "foundation/ZReportMessageParams.h"

ZMsgDeferredProcedureDispatcher::~ZMsgDeferredProcedureDispatcher()
{
    DestroyNotificationWindow();
    RunWhatIsLeft();
}

void ZMsgDeferredProcedureDispatcher::DeleteThis()
{
    // Once the window is gone no wake-up can take a reference. The one taken
    // here keeps a procedure that takes and drops its own from destroying the
    // dispatcher a second time while the queue drains.
    DestroyNotificationWindow();
    AddRef();
    RunWhatIsLeft();
    delete this;
}

void ZMsgDeferredProcedureDispatcher::RunWhatIsLeft()
{
    // Nothing queued is lost; a procedure that throws here cannot take the
    // remaining ones with it, nor leave the destructor.
    for (;;) {
        try {
            RunQueue();
            return;
        } catch (...) {
            ::OutputDebugStringW(L"Tessaro: a deferred procedure threw while its dispatcher was destroyed\n");
        }
    }
}

void ZMsgDeferredProcedureDispatcher::QueueProcedure(IDeferredProcedure* procedure, UINT_PTR parameter)
{
    if (!procedure)
        return;
    Enqueue(procedure, parameter);
    if (!m_posted.exchange(true) && !PostNotification(kRunQueueMessage, 0, 0)) {
        // No window, or its queue is full: the next producer tries again.
        m_posted.store(false);
    }
}

void ZMsgDeferredProcedureDispatcher::Shutdown()
{
    DestroyNotificationWindow();
}

LRESULT ZMsgDeferredProcedureDispatcher::OnNotify(UINT message, WPARAM, LPARAM)
{
    if (message != kRunQueueMessage)
        return 0;
    m_posted.store(false);
    // A procedure may release the last reference while the queue drains. When
    // another thread has already released it, its destructor waits for this
    // message to end and drains the queue itself.
    if (!TryAddRef())
        return 0;
    ZUnknownPointer<ZMsgDeferredProcedureDispatcher> keepAlive;
    keepAlive.Attach(this);
    try {
        RunQueue();
    } catch (...) {
        // An exception must not unwind through the platform's message dispatch.
        // What the thrower left queued gets a wake-up of its own.
        ::OutputDebugStringW(L"Tessaro: a deferred procedure threw; the rest of the queue runs later\n");
        if (!m_posted.exchange(true) && !PostNotification(kRunQueueMessage, 0, 0))
            m_posted.store(false);
    }
    return 0;
}

IDeferredProcedureDispatcher* CreateZMsgDeferredProcedureDispatcher(IReportMessageParams** error)
{
    auto dispatcher = ZAdoptReference(new ZMsgDeferredProcedureDispatcher);
    if (!dispatcher->Create()) {
        if (error) {
            auto* report = new ZReportMessageParams;
            report->Assign(&dispatcher->GetError());
            *error = report;
        }
        return nullptr;
    }
    return dispatcher.Detach();
}
