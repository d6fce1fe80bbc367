// ZProgressDialog: a modal waiting dialog with a message and an endless
// progress bar. The user cannot close it (the close command, Enter and Escape
// do nothing); the worker doing the job closes it with PostClose.
//
// One object shows one dialog: a second DoModal is refused with -1, showing
// nothing, since a worker's close meant for the first run could not be told
// from one for the second. The object must outlive every PostClose call (join
// the worker before destroying it); a PostClose still waiting when the
// destructor runs is released and finishes before the destructor returns.
#pragma once

#include <atomic>

#include "controls/ZDialog.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZProgressDialog : public ZDialog {
    DECLARE_DYNAMIC(ZProgressDialog)
public:
    ZProgressDialog(const ZUnicodeString& message, const ZUnicodeString& title, CWnd* parent = nullptr);
    // A literal title would otherwise choose the bool form below.
    ZProgressDialog(const ZUnicodeString& message, const wchar_t* title, CWnd* parent = nullptr)
        : ZProgressDialog(message, ZUnicodeString(title), parent)
    {
    }
    // alternate picks the compact one-line layout.
    ZProgressDialog(const ZUnicodeString& message, bool alternate, CWnd* parent = nullptr);
    ~ZProgressDialog() override;

    // A dialog with room for seven lines of message; the caller owns it.
    static ZProgressDialog* Create7LineProgressDialog(const ZUnicodeString& message, CWnd* parent = nullptr);

    INT_PTR DoModal() override;
    // From any thread. Waits until the dialog has appeared, then closes it. A
    // dialog that could not open, or has already ended, needs no closing: the
    // call returns at once.
    void PostClose();

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()

private:
    ZProgressDialog(const ZUnicodeString& message, CWnd* parent);
    ZProgressDialog(UINT templateId, const ZUnicodeString& message, const ZUnicodeString& title, CWnd* parent);

    ZReportMessageParams m_report;
    std::atomic<bool> m_closingAllowed{false};
    ZUnicodeString m_title;
    ZUnicodeString m_message;
    // Manual reset; set once the dialog is up, and again when DoModal ends.
    HANDLE m_initialised;
    std::atomic<HWND> m_window{nullptr};
    std::atomic<bool> m_shown{false};     // DoModal has run once
    std::atomic<int> m_closersInside{0};  // PostClose calls not yet returned
};
