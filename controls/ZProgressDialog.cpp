#include "controls/ZProgressDialog.h"

#include <commctrl.h>

#include "resources/TessaroResource.h"

IMPLEMENT_DYNAMIC(ZProgressDialog, ZDialog)

BEGIN_MESSAGE_MAP(ZProgressDialog, ZDialog)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

ZProgressDialog::ZProgressDialog(UINT templateId, const ZUnicodeString& message, const ZUnicodeString& title,
                                 CWnd* parent)
    : ZDialog(templateId, GetTessaroDll(), parent),
      m_title(title),
      m_message(message),
      m_initialised(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

ZProgressDialog::ZProgressDialog(const ZUnicodeString& message, CWnd* parent)
    : ZProgressDialog(IDD_PROGRESS_7LINE, message, ZUnicodeString(), parent)
{
}

ZProgressDialog::ZProgressDialog(const ZUnicodeString& message, const ZUnicodeString& title, CWnd* parent)
    : ZProgressDialog(IDD_PROGRESS_TITLED, message, title, parent)
{
}

ZProgressDialog::ZProgressDialog(const ZUnicodeString& message, bool alternate, CWnd* parent)
    : ZProgressDialog(alternate ? IDD_PROGRESS_ALTERNATE : IDD_PROGRESS, message, ZUnicodeString(), parent)
{
}

ZProgressDialog::~ZProgressDialog()
{
    if (m_initialised) {
        // A worker still waiting in PostClose must not wait on a closed handle
        // forever, nor wake up to one: release it and let it leave first.
        ::SetEvent(m_initialised);
        while (m_closersInside.load() > 0)
            ::Sleep(1);
        ::CloseHandle(m_initialised);
    }
}

ZProgressDialog* ZProgressDialog::Create7LineProgressDialog(const ZUnicodeString& message, CWnd* parent)
{
    return new ZProgressDialog(message, parent);
}

INT_PTR ZProgressDialog::DoModal()
{
    if (m_shown.exchange(true))
        return -1;
    const INT_PTR result = ZDialog::DoModal();
    // Refused, failed or ended: a later PostClose has nothing to wait for.
    m_window = nullptr;
    if (m_initialised)
        ::SetEvent(m_initialised);
    return result;
}

BOOL ZProgressDialog::OnInitDialog()
{
    ZDialog::OnInitDialog();
    SetDlgItemText(IDC_PROGRESS_MESSAGE, m_message.c_str());
    SetWindowText(m_title.c_str());
    if (CWnd* bar = GetDlgItem(IDC_PROGRESS_BAR)) {
        bar->ModifyStyle(0, PBS_MARQUEE | PBS_SMOOTHREVERSE);
        bar->SendMessage(PBM_SETMARQUEE, TRUE, 0);
    }
    m_window = m_hWnd;
    if (m_initialised)
        ::SetEvent(m_initialised);
    return TRUE;
}

void ZProgressDialog::PostClose()
{
    ++m_closersInside;
    if (m_initialised)
        ::WaitForSingleObject(m_initialised, INFINITE);
    m_closingAllowed = true;
    // Never a null window: that would post to the calling thread instead.
    if (const HWND window = m_window.load())
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    --m_closersInside;  // the last touch of this object
}

void ZProgressDialog::OnClose()
{
    if (m_closingAllowed)
        Default();
}

BOOL ZProgressDialog::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        return TRUE;
    return ZDialog::PreTranslateMessage(msg);
}
