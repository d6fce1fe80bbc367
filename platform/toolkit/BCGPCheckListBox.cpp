#include "BCGPCheckListBox.h"

IMPLEMENT_DYNAMIC(CBCGPCheckListBox, CListBox)

BEGIN_MESSAGE_MAP(CBCGPCheckListBox, CListBox)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

void CBCGPCheckListBox::SetCheck(int index, int check)
{
    if (index < 0 || static_cast<size_t>(index) >= m_checks.size())
        return;
    m_checks[static_cast<size_t>(index)] = check ? 1 : 0;
    InvalidateRow(index);
}

int CBCGPCheckListBox::GetCheck(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_checks.size())
        return 0;
    return m_checks[static_cast<size_t>(index)];
}

LRESULT CBCGPCheckListBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CListBox::WindowProc(message, wParam, lParam);
    // The list box decides where a row goes (sorted lists); the checks follow.
    switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
        if (result >= 0 && static_cast<size_t>(result) <= m_checks.size())
            m_checks.insert(m_checks.begin() + result, 0);
        break;
    case LB_DELETESTRING:
        if (result != LB_ERR && wParam < m_checks.size())
            m_checks.erase(m_checks.begin() + static_cast<ptrdiff_t>(wParam));
        break;
    case LB_RESETCONTENT:
        m_checks.clear();
        break;
    default:
        break;
    }
    return result;
}

RECT CBCGPCheckListBox::CheckRect(const RECT& row)
{
    const int side = row.bottom - row.top - 2;
    return RECT{row.left + 1, row.top + 1, row.left + 1 + side, row.top + 1 + side};
}

BOOL CBCGPCheckListBox::OnEraseBkgnd(CDC*)
{
    return TRUE;  // OnPaint fills every pixel
}

void CBCGPCheckListBox::OnPaint()
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (!dc)
        return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
    ::FillRect(dc, &client, ::GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    const HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const int count = GetCount();
    for (int index = GetTopIndex(); index >= 0 && index < count; ++index) {
        RECT row;
        if (GetItemRect(index, &row) == LB_ERR || row.top >= client.bottom)
            break;
        const bool selected = GetSel(index) > 0;
        if (selected)
            ::FillRect(dc, &row, ::GetSysColorBrush(COLOR_HIGHLIGHT));
        RECT check = CheckRect(row);
        ::DrawFrameControl(dc, &check, DFC_BUTTON,
                           DFCS_BUTTONCHECK | (GetCheck(index) ? DFCS_CHECKED : 0) | (enabled ? 0 : DFCS_INACTIVE));
        CStringW text;
        GetText(index, text);
        RECT textRect = row;
        textRect.left = check.right + 4;
        ::SetTextColor(dc, ::GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::DrawTextW(dc, text.GetString(), text.GetLength(), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (selected && ::GetFocus() == m_hWnd)
            ::DrawFocusRect(dc, &row);
    }
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, oldFont);
    ::EndPaint(m_hWnd, &paint);
}

void CBCGPCheckListBox::OnLButtonDown(UINT flags, CPoint point)
{
    Default();  // selection and focus as the list box does them
    // The list box draws a selection change itself, without the checks.
    Invalidate();
    (void)flags;
    const int count = GetCount();
    for (int index = GetTopIndex(); index >= 0 && index < count; ++index) {
        RECT row;
        if (GetItemRect(index, &row) == LB_ERR)
            break;
        if (point.y < row.top || point.y >= row.bottom)
            continue;
        const RECT check = CheckRect(row);
        if (::PtInRect(&check, point))
            Toggle(index);
        break;
    }
}

void CBCGPCheckListBox::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_SPACE) {
        const int index = GetCurSel();
        if (index >= 0)
            Toggle(index);
        return;
    }
    (void)repeat;
    (void)flags;
    Default();
    Invalidate();
}

void CBCGPCheckListBox::Toggle(int index)
{
    SetCheck(index, GetCheck(index) ? 0 : 1);
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), CLBN_CHKCHANGE), reinterpret_cast<LPARAM>(m_hWnd));
}

void CBCGPCheckListBox::InvalidateRow(int index)
{
    RECT row;
    if (m_hWnd && GetItemRect(index, &row) != LB_ERR)
        ::InvalidateRect(m_hWnd, &row, TRUE);
}
