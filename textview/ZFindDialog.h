// ZFindDialog: a modeless Find dialog over the platform's common one.
//
// It keeps the search options (direction, whole word, match case, wrap
// around), opens where it was last put when that is still on a monitor, and
// tells its host through IFindDialogSink whenever the user asks for the next
// match, edits the search text, moves, activates or closes it. The search
// itself is the host's: it reads the text and flags back from the dialog.
//
// The host owns the object and deletes it; the dialog never deletes itself.
// When the user closes the dialog the host hears OnFindDialogClosing, and may
// delete the object once that call has returned (from a posted message, say).
#pragma once

#include <afxdlgs.h>

#include <memory>

#include "controls/ZPoint.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnicodeString.h"

#ifndef FR_SHOWWRAPAROUND
#define FR_SHOWWRAPAROUND 0x00040000
#endif
#ifndef FR_WRAPAROUND
#define FR_WRAPAROUND 0x00100000
#endif

// Implemented by the host, called on the dialog's thread.
class IFindDialogSink {
public:
    // The user asked for the next match.
    virtual void OnFindNext() = 0;
    // The dialog is closing; wrapAround is the option as the user left it.
    virtual void OnFindDialogClosing(bool wrapAround) = 0;
    // The dialog was activated or deactivated.
    virtual void OnFindDialogActivate() = 0;
    virtual void OnFindDialogMove() = 0;
    // endOfBuffer true: the search reached the end of the buffer with wrap
    // around off. False: the search text changed, or wrap around is on for the
    // search about to run, so the next search starts afresh.
    virtual void OnFindRestart(bool endOfBuffer) = 0;

protected:
    ~IFindDialogSink() = default;
};

class ZFindHelperWnd;

class TESSARO_API ZFindDialog : public CFindReplaceDialog {
public:
    // Of flags only FR_DOWN, FR_WHOLEWORD and FR_MATCHCASE are kept.
    ZFindDialog(const wchar_t* findWhat, unsigned long flags, IFindDialogSink* sink, CWnd* parent, bool wrapAround);
    ~ZFindDialog() override;

    // Makes the notification window (a hidden child of the parent) and the
    // platform's dialog, at position when a monitor shows that point. False
    // when either cannot be made; the object may then be created again.
    bool Create(ZPoint position);
    // Moves the dialog to position (unless unset) and shows it.
    void BringToTop(ZPoint position, bool activate);
    void Hide();
    // The top-left corner of the dialog; unset without a dialog.
    ZPoint GetPosition() const;
    unsigned long GetFlags() const { return m_fr.Flags; }
    ZUnicodeString GetString() const;
    bool GetNotFound() const { return m_notFound; }
    void SetNotFound(bool notFound) { m_notFound = notFound; }

    // The host's search reached the end of its buffer: with wrap around off the
    // sink hears OnFindRestart(true); then as if the user pressed Find Next.
    void EndOfFindBufferReached();
    // "End of buffer reached", in a message box owned by the dialog.
    void PresentEndOfBufferMessage();
    void PresentMsgBox(ZReportMessageParams* report);

protected:
    void PostNcDestroy() override {}
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnMove(int x, int y);
    afx_msg LRESULT OnFindEditChange(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    // The platform dialog is only made together with its notification window.
    using CFindReplaceDialog::Create;
    friend class ZFindHelperWnd;

    static UINT_PTR CALLBACK HookProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // The platform dialog's notification, through the notification window.
    void OnFindReplaceMessage();
    void FindNextRequested();
    void ReleaseFindText();

    CWnd* m_parent;            // not owned
    IFindDialogSink* m_sink;   // not owned; null while the object is being destroyed
    CStringW m_findText;       // the platform dialog edits its buffer in place while it is held
    bool m_findTextHeld = false;
    std::unique_ptr<ZFindHelperWnd> m_notificationWindow;
    ZPoint m_position;         // where the dialog opens; unset: where the platform puts it
    bool m_notFound = true;
};

namespace Tessaro {

// Registers "commdlg_FindReplace" and "WM_FIND_EN_CHANGE"; called by the load notification.
void RegisterFindDialogMessages();

}  // namespace Tessaro
