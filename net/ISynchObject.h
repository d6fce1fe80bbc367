// ISynchObject: the library's reference-counted lock. Implementations derive
// from ZUnknown<ISynchObject>, so the slots run QueryInterface, AddRef, Release,
// Lock, Unlock. Holders keep a reference while they use the lock.
#pragma once

#include <windows.h>
#include <unknwn.h>

class ISynchObject : public IUnknown {
public:
    // Blocks until the calling thread owns the lock; a thread that already owns
    // it may take it again and must unlock as often.
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
};
