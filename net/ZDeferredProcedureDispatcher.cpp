#include "net/ZDeferredProcedureDispatcher.h"

#include "net/ZCriticalSection.h"
#include "net/ZSynchObjectLock.h"

ZDeferredProcedureDispatcher::ZDeferredProcedureDispatcher() : m_lock(new ZCriticalSection) {}

ZDeferredProcedureDispatcher::~ZDeferredProcedureDispatcher()
{
    for (const Entry& entry : m_queue)
        entry.procedure->Release();
    m_lock->Release();
}

void ZDeferredProcedureDispatcher::Enqueue(IDeferredProcedure* procedure, UINT_PTR parameter)
{
    ZSynchObjectLock guard(m_lock);
    m_queue.push_back(Entry{procedure, parameter});
    procedure->AddRef();
}

bool ZDeferredProcedureDispatcher::RunQueue()
{
    ZSynchObjectLock guard(m_lock);
    if (m_running)
        return false;
    m_running = true;
    // Whatever way the loop ends, the flag drops under the lock.
    struct EndOfRun {
        ZSynchObjectLock& guard;
        bool& running;
        ~EndOfRun()
        {
            guard.Lock();
            running = false;
        }
    } endOfRun{guard, m_running};

    bool ranAny = false;
    while (!m_queue.empty()) {
        ZUnknownPointer<IDeferredProcedure> procedure;
        procedure.Attach(m_queue.front().procedure);  // the queue's reference moves here
        const UINT_PTR parameter = m_queue.front().parameter;
        m_queue.pop_front();
        guard.Unlock();
        ranAny = true;
        procedure->Execute(parameter);
        procedure.Reset();  // a last release runs host code: not under the lock
        guard.Lock();
    }
    return ranAny;
}
