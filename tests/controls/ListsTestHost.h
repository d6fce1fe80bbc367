// The window the list tests put their controls in: a framework window (it reflects the controls'
// notifications back to them) answering WM_GETFONT with a font the test chooses.
#pragma once

#include <afxwin.h>

#include "tests/support/MessagePump.h"

namespace ListsTest {

// Handles what is queued, a few rounds (a handled message may post another).
inline void Pump()
{
    for (int round = 0; round < 3; ++round)
        TestSupport::PumpPending();
}

class Host : public CWnd {
public:
    ~Host() override;
    // A visible top-level window with a client area of width x height.
    bool Make(int width, int height);
    // A font of this character height (null: none), answered to WM_GETFONT.
    void UseFont(int height);
    // Sends parent's WM_NOTIFY as the control would: code and the list's id.
    static LRESULT Notify(CWnd& control, NMHDR& header, UINT code);

protected:
    afx_msg LRESULT OnGetFont(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    HFONT m_font = nullptr;
};

}  // namespace ListsTest
