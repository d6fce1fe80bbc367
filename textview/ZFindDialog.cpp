#include "textview/ZFindDialog.h"

#include "TessaroMessages.h"
#include "foundation/ZMessageBox.h"

namespace {

// Registered once at load.
UINT g_findReplaceMessage = 0;
UINT g_findEditChangeMessage = 0;

// Room for the search text that the platform dialog edits in place.
constexpr int kFindTextLength = 1024;

constexpr unsigned long kKeptFlags = FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE;

BOOL CALLBACK FindFirstEdit(HWND child, LPARAM found)
{
    wchar_t className[16] = {};
    if (::GetClassNameW(child, className, 16) && ::lstrcmpiW(className, L"Edit") == 0) {
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
    }
    return TRUE;
}

HWND SearchFieldOf(HWND dialog)
{
    HWND edit = nullptr;
    ::EnumChildWindows(dialog, FindFirstEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

}  // namespace

namespace Tessaro {

void RegisterFindDialogMessages()
{
    g_findReplaceMessage = ::RegisterWindowMessageW(FINDMSGSTRINGW);
    g_findEditChangeMessage = ::RegisterWindowMessageW(L"WM_FIND_EN_CHANGE");
}

}  // namespace Tessaro

// The owner of the platform dialog: it receives the dialog's requests and hands
// them to the ZFindDialog it serves.
class ZFindHelperWnd : public CWnd {
public:
    explicit ZFindHelperWnd(ZFindDialog& dialog) : m_dialog(dialog) {}

protected:
    afx_msg LRESULT OnFindReplace(WPARAM, LPARAM lParam)
    {
        if (CFindReplaceDialog::GetNotifier(lParam) == &m_dialog)
            m_dialog.OnFindReplaceMessage();
        return 0;
    }
    DECLARE_MESSAGE_MAP()

private:
    ZFindDialog& m_dialog;
};

BEGIN_MESSAGE_MAP(ZFindHelperWnd, CWnd)
    ON_REGISTERED_MESSAGE(g_findReplaceMessage, OnFindReplace)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(ZFindDialog, CFindReplaceDialog)
    ON_WM_ACTIVATE()
    ON_WM_MOVE()
    ON_REGISTERED_MESSAGE(g_findEditChangeMessage, OnFindEditChange)
END_MESSAGE_MAP()

ZFindDialog::ZFindDialog(const wchar_t* findWhat, unsigned long flags, IFindDialogSink* sink, CWnd* parent,
                         bool wrapAround)
    : m_parent(parent), m_sink(sink), m_findText(findWhat ? findWhat : L"")
{
    m_fr.Flags = (flags & kKeptFlags) | FR_SHOWWRAPAROUND | (wrapAround ? FR_WRAPAROUND : 0);
}

ZFindDialog::~ZFindDialog()
{
    m_sink = nullptr;  // the platform's last messages reach nobody
    if (m_hWnd)
        DestroyWindow();
    ReleaseFindText();
    m_notificationWindow.reset();
}

bool ZFindDialog::Create(ZPoint position)
{
    if (m_hWnd)
        return false;
    auto window = std::make_unique<ZFindHelperWnd>(*this);
    if (!window->CreateEx(0, AfxRegisterWndClass(0), L"ZFindDialog Sink", WS_CHILD, 0, 0, 0, 0,
                          m_parent->GetSafeHwnd(), nullptr))
        return false;
    m_notificationWindow = std::move(window);

    m_position = ::MonitorFromPoint(POINT{position.x, position.y}, MONITOR_DEFAULTTONULL) ? position : ZPoint{};

    if (!m_findTextHeld) {
        m_fr.lpstrFindWhat = m_findText.GetBuffer(kFindTextLength);
        m_findTextHeld = true;
    }
    m_fr.wFindWhatLen = kFindTextLength;
    m_fr.Flags &= ~static_cast<DWORD>(FR_DIALOGTERM | FR_FINDNEXT);
    m_fr.Flags |= FR_ENABLEHOOK;
    m_fr.lpfnHook = HookProcedure;
    m_fr.lCustData = reinterpret_cast<LPARAM>(this);
    return CFindReplaceDialog::Create(TRUE, nullptr, nullptr, 0, m_notificationWindow.get()) != FALSE;
}

UINT_PTR CALLBACK ZFindDialog::HookProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        const auto* fr = reinterpret_cast<const FINDREPLACEW*>(lParam);
        const auto* self = fr ? reinterpret_cast<const ZFindDialog*>(fr->lCustData) : nullptr;
        if (self && self->m_position.IsSet())
            ::SetWindowPos(dialog, nullptr, self->m_position.x, self->m_position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && lParam &&
        reinterpret_cast<HWND>(lParam) == SearchFieldOf(dialog))
        ::PostMessageW(dialog, g_findEditChangeMessage, 0, 0);
    return 0;  // the platform handles every message too
}

void ZFindDialog::OnFindReplaceMessage()
{
    if (m_fr.Flags & FR_DIALOGTERM) {
        const bool wrapAround = (m_fr.Flags & FR_WRAPAROUND) != 0;
        ReleaseFindText();
        // Last: the host may be about to delete this object.
        if (m_sink)
            m_sink->OnFindDialogClosing(wrapAround);
        return;
    }
    FindNextRequested();
}

void ZFindDialog::FindNextRequested()
{
    if (!m_sink)
        return;
    if (m_fr.Flags & FR_WRAPAROUND)
        m_sink->OnFindRestart(false);
    m_sink->OnFindNext();
}

void ZFindDialog::EndOfFindBufferReached()
{
    if (m_sink && !(m_fr.Flags & FR_WRAPAROUND))
        m_sink->OnFindRestart(true);
    FindNextRequested();
}

LRESULT ZFindDialog::OnFindEditChange(WPARAM, LPARAM)
{
    if (m_sink)
        m_sink->OnFindRestart(false);
    return 0;
}

void ZFindDialog::OnActivate(UINT, CWnd*, BOOL)
{
    Default();
    if (m_sink)
        m_sink->OnFindDialogActivate();
}

void ZFindDialog::OnMove(int, int)
{
    Default();
    if (m_sink)
        m_sink->OnFindDialogMove();
}

void ZFindDialog::ReleaseFindText()
{
    if (!m_findTextHeld)
        return;
    m_findText.ReleaseBuffer();
    m_findTextHeld = false;
    m_fr.lpstrFindWhat = nullptr;
    m_fr.wFindWhatLen = 0;
}

void ZFindDialog::BringToTop(ZPoint position, bool activate)
{
    if (!m_hWnd)
        return;
    if (position.IsSet())
        SetWindowPos(nullptr, position.x, position.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | (activate ? 0 : SWP_NOACTIVATE));
    ShowWindow(activate ? SW_SHOW : SW_SHOWNOACTIVATE);
}

void ZFindDialog::Hide()
{
    if (m_hWnd)
        ShowWindow(SW_HIDE);
}

ZPoint ZFindDialog::GetPosition() const
{
    if (!m_hWnd)
        return ZPoint{};
    CRect rect;
    GetWindowRect(&rect);
    return ZPoint{rect.left, rect.top};
}

ZUnicodeString ZFindDialog::GetString() const
{
    return m_findTextHeld ? ZUnicodeString(m_fr.lpstrFindWhat) : ZUnicodeString(m_findText);
}

void ZFindDialog::PresentEndOfBufferMessage()
{
    ZReportMessageParams report(MSG_FIND_END_OF_BUFFER);
    ZMessageBox(this, &report, MB_OK);
}

void ZFindDialog::PresentMsgBox(ZReportMessageParams* report)
{
    if (report)
        ZMessageBox(this, report, MB_OK);
}
