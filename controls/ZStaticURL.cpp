#include "controls/ZStaticURL.h"

#include <shellapi.h>

#include "TessaroMessages.h"
#include "foundation/ZReportMessageParams.h"
#include "textview/ClipboardBuffer.h"

IMPLEMENT_DYNAMIC(ZStaticURL, CStatic)

BEGIN_MESSAGE_MAP(ZStaticURL, CStatic)
    ON_WM_SETCURSOR()
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_CONTEXTMENU()
    ON_CONTROL_REFLECT(STN_CLICKED, OnClicked)
    ON_COMMAND(kOpenCommand, OnURLContextOpen)
    ON_COMMAND(kCopyCommand, OnURLContextCopy)
END_MESSAGE_MAP()

namespace {

// Opens the address without any configuration of the host; an address the
// shell cannot open only beeps.
void OpenWithShell(const wchar_t* address)
{
    const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        ::MessageBeep(MB_ICONEXCLAMATION);
}

ZStaticURL::Opener g_opener = OpenWithShell;

}  // namespace

ZStaticURL::Opener ZStaticURL::SetOpener(Opener opener)
{
    const Opener previous = g_opener;
    g_opener = opener ? opener : OpenWithShell;
    return previous;
}

ZStaticURL::ZStaticURL(UINT stringId, int cursorId) : m_cursorId(cursorId)
{
    CStringW text;
    if (text.LoadString(stringId))
        m_address.assign(text.GetString(), static_cast<size_t>(text.GetLength()));
}

ZStaticURL::ZStaticURL(const wchar_t* address, int cursorId) : m_address(address ? address : L""), m_cursorId(cursorId)
{
}

void ZStaticURL::PreSubclassWindow()
{
    ModifyStyle(0, SS_NOTIFY);
    if (!m_cursor) {
        const LPCWSTR name = MAKEINTRESOURCEW(m_cursorId);
        if (const HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_CURSOR))
            m_cursor = ::LoadCursorW(module, name);
    }
    CStatic::PreSubclassWindow();
}

BOOL ZStaticURL::OnSetCursor(CWnd*, UINT hitTest, UINT)
{
    if (hitTest == HTCLIENT && m_cursor) {
        ::SetCursor(m_cursor);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

HBRUSH ZStaticURL::CtlColor(CDC* dc, UINT)
{
    dc->SetTextColor(kLinkColor);
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

void ZStaticURL::OnClicked()
{
    g_opener(m_address.c_str());
}

void ZStaticURL::OnURLContextCopy()
{
    ZCopyTextToClipboard(m_address.c_str());
}

void ZStaticURL::OnContextMenu(CWnd*, CPoint)
{
    POINT at;
    if (!::GetCursorPos(&at))
        return;
    CMenu menu;
    if (!menu.CreatePopupMenu())
        return;
    menu.AppendMenu(MF_STRING, kOpenCommand, LoadMessageLabel(MSG_MENU_OPEN).c_str());
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, kCopyCommand, LoadMessageLabel(MSG_MENU_COPY_SHORTCUT).c_str());
    ::SetMenuDefaultItem(menu.m_hMenu, kOpenCommand, FALSE);
    menu.TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, this);
}
