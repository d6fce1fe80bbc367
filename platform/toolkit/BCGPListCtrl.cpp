#include "BCGPListCtrl.h"

IMPLEMENT_DYNAMIC(CBCGPHeaderCtrl, CHeaderCtrl)
IMPLEMENT_DYNAMIC(CBCGPListCtrl, CListCtrl)

void CBCGPHeaderCtrl::ShowArrow(int column, int arrow)
{
    HDITEMW item = {};
    item.mask = HDI_FORMAT;
    if (!GetItem(column, &item))
        return;
    item.fmt = (item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN)) | arrow;
    SetItem(column, &item);
}

void CBCGPHeaderCtrl::SetSortColumn(int column, BOOL ascending, BOOL add)
{
    ASSERT(::IsWindow(m_hWnd));
    m_sortColumn = column;
    m_ascending = ascending;
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        if (i == column)
            ShowArrow(i, ascending ? HDF_SORTUP : HDF_SORTDOWN);
        else if (!add)
            ShowArrow(i, 0);
    }
}

BEGIN_MESSAGE_MAP(CBCGPListCtrl, CListCtrl)
    ON_WM_ENABLE()
    ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
END_MESSAGE_MAP()

CBCGPHeaderCtrl& CBCGPListCtrl::GetHeaderCtrl()
{
    ASSERT(::IsWindow(m_hWnd));
    if (!m_wndHeader.m_hWnd) {
        HWND header = Send<HWND>(LVM_GETHEADER);
        if (header)
            m_wndHeader.SubclassWindow(header);
    }
    return m_wndHeader;
}

void CBCGPListCtrl::SetSortColumn(int column, BOOL ascending, BOOL add)
{
    CBCGPHeaderCtrl& header = GetHeaderCtrl();
    if (header.m_hWnd)
        header.SetSortColumn(column, ascending, add);
}

COLORREF CBCGPListCtrl::OnGetCellTextColor(int, int)
{
    return CLR_DEFAULT;
}

COLORREF CBCGPListCtrl::OnGetCellBkColor(int, int)
{
    return CLR_DEFAULT;
}

void CBCGPListCtrl::OnEnable(BOOL)
{
    Default();
    Invalidate();
}

void CBCGPListCtrl::OnCustomDraw(NMHDR* header, LRESULT* result)
{
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *result = CDRF_NOTIFYITEMDRAW;
        return;
    case CDDS_ITEMPREPAINT:
        *result = CDRF_NOTIFYSUBITEMDRAW;
        return;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int row = static_cast<int>(draw->nmcd.dwItemSpec);
        const COLORREF text = OnGetCellTextColor(row, draw->iSubItem);
        const COLORREF back = OnGetCellBkColor(row, draw->iSubItem);
        if (text != CLR_DEFAULT)
            draw->clrText = text;
        if (back != CLR_DEFAULT)
            draw->clrTextBk = back;
        *result = CDRF_DODEFAULT;
        return;
    }
    default:
        *result = CDRF_DODEFAULT;
    }
}
