#include "net/ZMfcThread.h"

#include <afxwin.h>

#include <limits>

ZMfcThread::ZMfcThread() = default;

ZMfcThread::~ZMfcThread() = default;

bool ZMfcThread::Create(unsigned (*function)(void*), void* parameter, unsigned flags,
                        unsigned long long stackSize)
{
    // One thread per object: a second start would orphan the first.
    if (m_thread || !function || stackSize > std::numeric_limits<UINT>::max())
        return false;
    m_function = function;
    m_parameter = parameter;
    // The worker's own reference: the caller may release this object as soon as
    // Create returns, while the worker still has to read the function and its
    // framework thread object stays current for as long as the function runs.
    AddRef();
    CWinThread* thread = ::AfxBeginThread(ThreadFunction, this, THREAD_PRIORITY_NORMAL,
                                          static_cast<UINT>(stackSize), flags | CREATE_SUSPENDED);
    if (!thread) {
        Release();
        return false;
    }
    // Born suspended, so this is settled before the worker can end.
    thread->m_bAutoDelete = FALSE;
    m_thread.reset(thread);
    if (!(flags & CREATE_SUSPENDED))
        m_thread->ResumeThread();
    return true;
}

bool ZMfcThread::Wait(unsigned milliseconds)
{
    return m_thread && ::WaitForSingleObject(m_thread->m_hThread, milliseconds) == WAIT_OBJECT_0;
}

unsigned long ZMfcThread::GetId()
{
    return m_thread ? m_thread->m_nThreadID : 0;
}

void* ZMfcThread::GetHandle()
{
    return m_thread ? m_thread->m_hThread : nullptr;
}

DWORD ZMfcThread::Suspend()
{
    return m_thread ? ::SuspendThread(m_thread->m_hThread) : static_cast<DWORD>(-1);
}

DWORD ZMfcThread::Resume()
{
    return m_thread ? ::ResumeThread(m_thread->m_hThread) : static_cast<DWORD>(-1);
}

unsigned __cdecl ZMfcThread::ThreadFunction(void* self)
{
    ZUnknownPointer<ZMfcThread> thread;
    thread.Attach(static_cast<ZMfcThread*>(self));  // the reference Create took for this worker
    return thread->m_function(thread->m_parameter);
}
