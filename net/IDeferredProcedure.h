// Work handed from any thread to the thread that owns a dispatcher.
//
//   IDeferredProcedure            one queued item; Execute runs on the owner thread
//   IDeferredProcedureDispatcher  queues items; Shutdown stops the wake-ups
//
// Both are reference counted (ZUnknown); the slot order is part of the binary
// contract with the hosts.
#pragma once

#include <windows.h>
#include <unknwn.h>

class IDeferredProcedure : public IUnknown {
public:
    virtual void Execute(UINT_PTR parameter) = 0;
};

class IDeferredProcedureDispatcher : public IUnknown {
public:
    // Any thread. The dispatcher takes its own reference to the procedure.
    virtual void QueueProcedure(IDeferredProcedure* procedure, UINT_PTR parameter) = 0;
    virtual void Shutdown() = 0;
};
