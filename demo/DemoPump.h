// Pumping the demo's messages while a section waits for something to happen:
// the tests' waiting loops, with every message through the framework's walk.
#pragma once

#include <afxwin.h>

#include <functional>

#include "tests/support/MessagePump.h"

// Dispatches every message waiting now, through the framework's walk first.
inline void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// Pumps until done() holds; false after `milliseconds`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds)
{
    return TestSupport::PumpUntil(done, milliseconds, ::PumpPending);
}

inline void PumpFor(DWORD milliseconds)
{
    TestSupport::PumpFor(milliseconds, ::PumpPending);
}
