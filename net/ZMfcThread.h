// ZMfcThread: an IThread over a framework worker thread (AfxBeginThread), so
// that the worker is known to the framework like any other.
//
// The thread object is kept until this object dies (it does not delete itself
// when the worker ends); releasing this object does not wait for the worker.
// A started worker holds a reference until its function returns, so the object
// may be released right after Create. A thread created suspended and never
// resumed keeps that reference, and the object, until the process ends.
#pragma once

#include <memory>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"
#include "net/IThread.h"

class CWinThread;

class TESSARO_API ZMfcThread : public ZUnknown<IThread> {
public:
    ZMfcThread();
    ~ZMfcThread() override;

    ZMfcThread(const ZMfcThread&) = delete;
    ZMfcThread& operator=(const ZMfcThread&) = delete;

    bool Create(unsigned (*function)(void*), void* parameter, unsigned flags,
                unsigned long long stackSize) override;
    bool Wait(unsigned milliseconds) override;
    unsigned long GetId() override;
    void* GetHandle() override;

    // The platform's previous suspend count, or (DWORD)-1 without a thread.
    virtual DWORD Suspend();
    virtual DWORD Resume();

    // The entry point handed to the platform: runs function(parameter).
    static unsigned __cdecl ThreadFunction(void* self);

private:
    std::unique_ptr<CWinThread> m_thread;
    unsigned (*m_function)(void*) = nullptr;
    void* m_parameter = nullptr;
};
