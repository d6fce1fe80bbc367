#include "controls/ZCheckListBox.h"

#include <algorithm>

#include "controls/ZCheckListScroll.h"
#include "controls/ZDpiScale.h"

IMPLEMENT_DYNAMIC(ZCheckListBox, CWnd)

BEGIN_MESSAGE_MAP(ZCheckListBox, CWnd)
    ON_WM_CREATE()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_LBUTTONUP()
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

BOOL ZCheckListBox::Create(DWORD style, CWnd* parent, UINT id, ChangeCallback callback)
{
    if (!parent || !parent->m_hWnd)
        return FALSE;
    HWND placeholder = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    if (!placeholder)
        return FALSE;
    CRect rect;
    ::GetWindowRect(placeholder, &rect);
    parent->ScreenToClient(&rect);
    ::DestroyWindow(placeholder);
    m_callback = callback;
    // No double clicks: a quick second click toggles the box again.
    static const LPCWSTR className = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    return CreateEx(WS_EX_CLIENTEDGE, className, L"CheckList_Control", style | WS_CHILD | WS_CLIPSIBLINGS | WS_VSCROLL,
                    rect, parent, id);
}

HFONT ZCheckListBox::ParentFont() const
{
    HWND parent = ::GetParent(m_hWnd);
    return parent ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
}

int ZCheckListBox::OnCreate(LPCREATESTRUCTW)
{
    if (Default() == -1)
        return -1;
    TEXTMETRICW metrics = {};
    int minimumHeight = kMinimumItemHeight;
    {
        CClientDC dc(this);
        minimumHeight = AdjustForDpiX(&dc, kMinimumItemHeight);
        HGDIOBJ old = nullptr;
        if (HFONT font = ParentFont())
            old = ::SelectObject(dc.m_hDC, font);
        dc.GetTextMetrics(&metrics);
        if (old)
            ::SelectObject(dc.m_hDC, old);
    }
    m_itemHeight = std::max(static_cast<int>(metrics.tmHeight), minimumHeight);
    CRect window;
    GetWindowRect(&window);
    // The height becomes whole rows and the frame; when that would be taller
    // than the window, one row fewer, and one row fewer counted as visible.
    m_visibleRows = window.Height() / m_itemHeight;
    if (m_visibleRows > 0 && m_visibleRows * m_itemHeight + 4 > window.Height())
        --m_visibleRows;
    SetWindowPos(nullptr, 0, 0, window.Width(), m_visibleRows * m_itemHeight + 4,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowScrollBar(m_hWnd, SB_VERT, FALSE);
    return 0;
}

void ZCheckListBox::AddCheckColumn(int x)
{
    CPoint point(x, 0);
    ScreenToClient(&point);
    m_columnX.Add(point.x);
}

int ZCheckListBox::AddItem(const wchar_t* text)
{
    Item item;
    item.text = text ? text : L"";
    for (size_t column = 0; column < m_columnX.GetCount(); ++column)
        item.checks.Add(0);
    const int index = static_cast<int>(m_items.Add(std::move(item)));
    const int rows = GetCount();
    if (rows > m_visibleRows && m_hWnd) {
        ::ShowScrollBar(m_hWnd, SB_VERT, TRUE);
        ::SetScrollRange(m_hWnd, SB_VERT, 0, rows - m_visibleRows, TRUE);
    }
    return index;
}

int ZCheckListBox::GetCheckState(int item, int column) const
{
    return m_items[static_cast<size_t>(item)].checks[static_cast<size_t>(column)];
}

void ZCheckListBox::SetCheckState(int item, int column, int state)
{
    ZArray<int>& checks = m_items[static_cast<size_t>(item)].checks;
    checks[static_cast<size_t>(column)] = state;
    if (m_radioStyle && state != 0) {
        for (size_t other = 0; other < checks.GetCount(); ++other)
            if (other != static_cast<size_t>(column))
                checks[other] = 0;
    }
    if (item >= m_topIndex && item <= m_topIndex + m_visibleRows)
        InvalidateRow(item);
}

void ZCheckListBox::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (m_hWnd)
        Invalidate();
}

int ZCheckListBox::HitTestItem(const CPoint& point) const
{
    if (point.y < 0)
        return -1;
    const int row = point.y / m_itemHeight + m_topIndex;
    return row < GetCount() ? row : -1;
}

CRect ZCheckListBox::CheckBoxRect(int row, int column) const
{
    CRect box(0, 0, m_itemHeight - 2, m_itemHeight - 2);
    box.OffsetRect(m_columnX[static_cast<size_t>(column)], (row - m_topIndex) * m_itemHeight);
    return box;
}

int ZCheckListBox::HitTestColumn(int item, const CPoint& point) const
{
    for (int column = 0; column < GetCheckColumnCount(); ++column)
        if (CheckBoxRect(item, column).PtInRect(point))
            return column;
    return -1;
}

void ZCheckListBox::InvalidateRow(int row)
{
    if (!m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    const CRect line(0, (row - m_topIndex) * m_itemHeight, client.right, (row - m_topIndex + 1) * m_itemHeight);
    InvalidateRect(&line);
}

void ZCheckListBox::OnLButtonUp(UINT, CPoint point)
{
    if (m_readOnly)
        return;
    const int row = HitTestItem(point);
    if (row < 0)
        return;
    const int column = HitTestColumn(row, point);
    if (column < 0)
        return;
    SetCheckState(row, column, GetCheckState(row, column) > 0 ? 0 : 1);
    InvalidateRow(row);
    if (m_callback)
        m_callback();
}

BOOL ZCheckListBox::OnEraseBkgnd(CDC* dc)
{
    RECT clip = {};
    ::GetClipBox(dc->m_hDC, &clip);
    ::FillRect(dc->m_hDC, &clip, ::GetSysColorBrush(BackgroundColorIndex()));
    return TRUE;
}

void ZCheckListBox::OnPaint()
{
    CPaintDC dc(this);
    const COLORREF oldColor = dc.SetBkColor(::GetSysColor(BackgroundColorIndex()));
    HGDIOBJ oldFont = nullptr;
    if (HFONT font = ParentFont())
        oldFont = ::SelectObject(dc.m_hDC, font);
    const int side = m_itemHeight - 2;
    const int end = std::min(GetCount(), m_topIndex + m_visibleRows);
    for (int row = m_topIndex; row < end; ++row) {
        const int y = (row - m_topIndex) * m_itemHeight;
        CRect text(0, y, m_itemHeight, y + m_itemHeight);
        const Item& item = m_items[static_cast<size_t>(row)];
        dc.DrawText(item.text.c_str(), -1, &text, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
        for (int column = 0; column < GetCheckColumnCount(); ++column) {
            CRect box(0, 0, side, side);
            box.OffsetRect(m_columnX[static_cast<size_t>(column)], y + 1);
            UINT state = DFCS_BUTTONCHECK;
            if (item.checks[static_cast<size_t>(column)] > 0)
                state |= DFCS_CHECKED;
            if (m_readOnly)
                state |= DFCS_INACTIVE;
            ::DrawFrameControl(dc.m_hDC, &box, DFC_BUTTON, state);
        }
    }
    dc.SetBkColor(oldColor);
    if (oldFont)
        ::SelectObject(dc.m_hDC, oldFont);
}

void ZCheckListBox::OnVScroll(UINT code, UINT position, CScrollBar*)
{
    const auto top = Tessaro::CheckListScroll::TopAfter(code, static_cast<int>(position), m_topIndex, m_visibleRows,
                                                        GetCount());
    if (!top)
        return;
    m_topIndex = *top;
    ::SetScrollPos(m_hWnd, SB_VERT, m_topIndex, TRUE);
    Invalidate();
}
