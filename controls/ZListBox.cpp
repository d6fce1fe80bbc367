#include "controls/ZListBox.h"

#include <algorithm>

#include "controls/ZDpiScale.h"

IMPLEMENT_DYNAMIC(ZListBox, CBCGPListCtrl)

void ZListBox::Init()
{
    ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER);
    RECT window = {};
    GetWindowRect(&window);
    InsertColumn(0, L"Hidden Column", LVCFMT_LEFT, window.right - window.left);
}

int ZListBox::AddString(const wchar_t* text)
{
    const int index = InsertItem(GetItemCount(), text);
    if (index < 0)
        return -1;
    const int width = GetStringWidth(text);
    if (width > m_widestWidth)
        SetColumnWidth(width);
    return index;
}

void ZListBox::DeleteString(int index)
{
    DeleteItem(index);
    FixColumnWidth();
}

int ZListBox::FindStringExact(int start, const wchar_t* text) const
{
    LVFINDINFOW find = {};
    find.flags = LVFI_STRING;
    find.psz = text;
    return FindItem(&find, start);
}

void ZListBox::SetCurSel(int index)
{
    constexpr UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;
    // The list view applies -1 to every row; a list box takes it for no selection.
    if (index < 0) {
        SetItemState(-1, 0, kSelectedAndFocused);
        return;
    }
    SetItemState(index, kSelectedAndFocused, kSelectedAndFocused);
}

void ZListBox::FixColumnWidth()
{
    int widest = 0;
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i)
        widest = std::max(widest, GetStringWidth(GetItemText(i, 0).GetString()));
    SetColumnWidth(widest);
}

void ZListBox::SetColumnWidth(int width)
{
    m_widestWidth = width;
    CClientDC dc(this);
    CListCtrl::SetColumnWidth(0, width + AdjustForDpiX(&dc, kColumnMargin));
}
