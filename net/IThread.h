// IThread: a thread the library or a host starts; reference counted (ZUnknown),
// slot order part of the binary contract.
#pragma once

#include <windows.h>
#include <unknwn.h>

class IThread : public IUnknown {
public:
    // Starts function(parameter). flags may hold CREATE_SUSPENDED; stackSize 0
    // takes the default. False when the thread cannot be made.
    virtual bool Create(unsigned (*function)(void*), void* parameter, unsigned flags,
                        unsigned long long stackSize) = 0;
    // True when the thread ended within the time.
    virtual bool Wait(unsigned milliseconds) = 0;
    virtual unsigned long GetId() = 0;
    virtual void* GetHandle() = 0;
};
