#include "settings/ZIpcLock.h"

ZIpcLock::ZIpcLock(const wchar_t* name, PSECURITY_DESCRIPTOR descriptor)
{
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    m_mutex = ::CreateMutexW(&attributes, FALSE, name);
    // ERROR_ALREADY_EXISTS after a success is how processes share the lock.
    if (!m_mutex)
        m_report.Reset(::GetLastError());
}

ZIpcLock::~ZIpcLock()
{
    if (m_mutex)
        ::CloseHandle(m_mutex);
}

void ZIpcLock::Lock()
{
    if (!m_mutex)
        return;
    // WAIT_ABANDONED also hands over ownership; the dead owner's work is for
    // the caller to check, the lock itself is sound.
    ::WaitForSingleObject(m_mutex, INFINITE);
}

void ZIpcLock::Unlock()
{
    if (m_mutex)
        ::ReleaseMutex(m_mutex);
}
