// The framework's exceptions are thrown as pointers the catcher deletes.
#pragma once

#include <afx.h>

// The m_cause of the E that f throws (0 for an E without one); -1 when it throws nothing.
template <class E, class F>
int ThrownCause(F f)
{
    try {
        f();
    } catch (E* e) {
        int cause = 0;
        if constexpr (requires { e->m_cause; })
            cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}
