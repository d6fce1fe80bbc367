// ZSynchObjectLock: a scoped guard over an ISynchObject. It holds a reference to
// the object for its whole life and unlocks on destruction if it still holds
// the lock, so an exception between Lock and Unlock cannot leave it taken.
#pragma once

#include "net/ISynchObject.h"

class ZSynchObjectLock {
public:
    // A null object makes a guard that does nothing.
    explicit ZSynchObjectLock(ISynchObject* object, bool lockNow = true) : m_object(object)
    {
        if (m_object) {
            m_object->AddRef();
            if (lockNow)
                Lock();
        }
    }

    ~ZSynchObjectLock()
    {
        if (m_object) {
            Unlock();
            m_object->Release();
        }
    }

    ZSynchObjectLock(const ZSynchObjectLock&) = delete;
    ZSynchObjectLock& operator=(const ZSynchObjectLock&) = delete;

    // Each is a no-op when the guard is already in that state, so the guard
    // never unlocks a lock it does not hold.
    void Lock()
    {
        if (m_object && !m_locked) {
            m_object->Lock();
            m_locked = true;
        }
    }

    void Unlock()
    {
        if (m_object && m_locked) {
            m_locked = false;
            m_object->Unlock();
        }
    }

    bool IsLocked() const { return m_locked; }

private:
    ISynchObject* m_object;
    bool m_locked = false;
};
