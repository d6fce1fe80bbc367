// Pumping the calling thread's messages in tests: posted answers, timers and
// notifications arrive only while a loop dispatches them.
#pragma once

#include <windows.h>

#include <functional>

namespace TestSupport {

// Dispatches (and translates) every message waiting now.
inline void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Pumps until done() holds; false after `milliseconds`. `pending` dispatches
// what is waiting (a host may route it through its framework first).
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 10000,
                      void (*pending)() = PumpPending)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    for (;;) {
        pending();
        if (done())
            return true;
        if (::GetTickCount64() > end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// Pumps for a while whatever happens: for checking that something does not come.
inline void PumpFor(DWORD milliseconds, void (*pending)() = PumpPending)
{
    PumpUntil([] { return false; }, milliseconds, pending);
}

}  // namespace TestSupport
