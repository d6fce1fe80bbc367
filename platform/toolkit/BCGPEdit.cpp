#include "BCGPEdit.h"

IMPLEMENT_DYNAMIC(CBCGPEdit, CEdit)

BEGIN_MESSAGE_MAP(CBCGPEdit, CEdit)
    ON_WM_NCPAINT()
    ON_MESSAGE(WM_NCCALCSIZE, OnNcCalcSize)
    ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
    ON_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDown)
    ON_WM_KEYDOWN()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CBCGPEdit::~CBCGPEdit()
{
    if (m_image)
        ::DeleteObject(m_image);
}

void CBCGPEdit::EnableBrowseButton(BOOL enable, LPCWSTR text)
{
    m_buttonEnabled = enable;
    m_buttonText = text ? text : L"";
    RecalcFrame();
}

void CBCGPEdit::SetBrowseButtonImage(UINT bitmapId)
{
    if (m_image)
        ::DeleteObject(m_image);
    const HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEW(bitmapId), RT_BITMAP);
    m_image = static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0));
    if (m_hWnd)
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void CBCGPEdit::EnableSearchMode(BOOL enable, LPCWSTR prompt, COLORREF promptColor, BOOL clearOnEscape)
{
    m_searchMode = enable;
    m_prompt = prompt ? prompt : L"";
    m_promptColor = promptColor == static_cast<COLORREF>(-1) ? RGB(128, 128, 128) : promptColor;
    m_clearOnEscape = clearOnEscape;
    RecalcFrame();
}

int CBCGPEdit::ButtonWidth() const
{
    return HasButton() ? ::GetSystemMetrics(SM_CXVSCROLL) : 0;
}

void CBCGPEdit::RecalcFrame()
{
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBCGPEdit::GetButtonRect(RECT& rect) const
{
    rect = RECT{};
    if (!HasButton() || !m_hWnd)
        return;
    // The client rectangle already ends where the button begins.
    RECT window, client;
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    POINT origin = {0, 0};
    ::ClientToScreen(m_hWnd, &origin);
    const int left = origin.x - window.left + client.right;
    const int top = origin.y - window.top;
    rect = RECT{left, top, left + ButtonWidth(), top + client.bottom};
}

LRESULT CBCGPEdit::OnNcCalcSize(WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = Default();
    if (HasButton()) {
        RECT* client = reinterpret_cast<RECT*>(lParam);  // rgrc[0] in both forms
        (void)wParam;
        client->right -= ButtonWidth();
        if (client->right < client->left)
            client->right = client->left;
    }
    return result;
}

bool CBCGPEdit::IsOnButton(LPARAM screenPoint) const
{
    RECT button;
    GetButtonRect(button);
    RECT window;
    GetWindowRect(&window);
    const POINT at = {static_cast<short>(LOWORD(screenPoint)) - window.left,
                      static_cast<short>(HIWORD(screenPoint)) - window.top};
    return ::PtInRect(&button, at) != FALSE;
}

LRESULT CBCGPEdit::OnNcHitTest(WPARAM, LPARAM lParam)
{
    if (IsOnButton(lParam))
        return HTBORDER;  // a non-client area DefWindowProc leaves alone
    return Default();
}

LRESULT CBCGPEdit::OnNcLButtonDown(WPARAM, LPARAM lParam)
{
    if (!IsOnButton(lParam))
        return Default();
    OnBrowse();
    return 0;
}

void CBCGPEdit::OnBrowse()
{
    if (m_searchMode && GetWindowTextLength() > 0) {
        SetWindowText(L"");
        SetFocus();
    }
}

void CBCGPEdit::OnKeyDown(UINT key, UINT, UINT)
{
    if (key == VK_ESCAPE && m_searchMode && m_clearOnEscape && GetWindowTextLength() > 0) {
        SetWindowText(L"");
        return;
    }
    Default();
}

void CBCGPEdit::DrawButton(HDC dc, const RECT& rect) const
{
    RECT face = rect;
    ::DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH);
    if (m_image && !m_searchMode) {
        BITMAP info = {};
        ::GetObjectW(m_image, sizeof(info), &info);
        const HDC memory = ::CreateCompatibleDC(dc);
        const HGDIOBJ old = ::SelectObject(memory, m_image);
        ::BitBlt(dc, rect.left + (rect.right - rect.left - info.bmWidth) / 2,
                 rect.top + (rect.bottom - rect.top - info.bmHeight) / 2, info.bmWidth, info.bmHeight, memory, 0, 0,
                 SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        return;
    }
    // Search mode: a magnifier sign while empty, a cross once there is text to clear.
    const wchar_t* text = m_searchMode ? (GetWindowTextLength() > 0 ? L"\u00D7" : L"\u2315") : m_buttonText.GetString();
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(Send(WM_GETFONT)));
    ::DrawTextW(dc, text, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
    ::SetBkMode(dc, oldMode);
}

void CBCGPEdit::OnNcPaint()
{
    Default();
    if (!HasButton())
        return;
    RECT button;
    GetButtonRect(button);
    const HDC dc = ::GetWindowDC(m_hWnd);
    if (!dc)
        return;
    DrawButton(dc, button);
    ::ReleaseDC(m_hWnd, dc);
}

void CBCGPEdit::OnPaint()
{
    Default();
    if (!m_searchMode || m_prompt.IsEmpty() || GetWindowTextLength() > 0 || CWnd::GetFocus() == this)
        return;
    const HDC dc = ::GetDC(m_hWnd);
    if (!dc)
        return;
    RECT client;
    GetClientRect(&client);
    // Where the edit starts typed text: its margin follows the font, so the display's resolution.
    client.left += LOWORD(Send(EM_GETMARGINS));
    const HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(Send(WM_GETFONT)));
    ::SetTextColor(dc, m_promptColor);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, m_prompt, -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(m_hWnd, dc);
}
