#include "afxcmn.h"
#include "afximpl.h"

#include <map>
#include <memory>

namespace {

thread_local AfxTemporaryMap<HMENU, CMenu, &CMenu::m_hMenu> t_temporaryMenus;

// Reads a text of known length with the message that copies it.
CStringW ReadText(HWND window, UINT message, WPARAM index, int length)
{
    CStringW text;
    if (length <= 0)
        return text;
    LPWSTR buffer = text.GetBuffer(length + 1);
    const LRESULT copied = ::SendMessageW(window, message, index, reinterpret_cast<LPARAM>(buffer));
    text.ReleaseBuffer(copied < 0 ? 0 : static_cast<int>(copied));
    return text;
}

// Reads a text whose length the control does not tell: read(buffer, capacity)
// copies at most capacity - 1 characters and returns how many; the buffer
// doubles until the text fits.
template <class Read>
CStringW ReadGrowing(Read read)
{
    CStringW text;
    for (int capacity = 256;; capacity *= 2) {
        const int copied = read(text.GetBuffer(capacity), capacity);
        text.ReleaseBuffer(copied);
        if (copied < capacity - 1)
            return text;
    }
}

}  // namespace

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CScrollBar, CWnd)
IMPLEMENT_DYNCREATE(CMenu, CObject)
IMPLEMENT_DYNCREATE(CImageList, CObject)
IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

void CComboBox::GetLBText(int index, CStringW& text) const
{
    ASSERT(::IsWindow(m_hWnd));
    text = ReadText(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), GetLBTextLen(index));
}

void CListBox::GetText(int index, CStringW& text) const
{
    ASSERT(::IsWindow(m_hWnd));
    text = ReadText(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(index), GetTextLen(index));
}

// --- menus ------------------------------------------------------------------

void AFXAPI AfxDeleteTempMenuMap()
{
    t_temporaryMenus.DeleteAll();
}

CMenu* AFXAPI CMenu::FromHandle(HMENU menu)
{
    if (!menu)
        return nullptr;
    return t_temporaryMenus.Get(menu, [] { return std::make_unique<CMenu>(); });
}

BOOL CMenu::Attach(HMENU menu)
{
    return AfxAttachHandle(m_hMenu, menu);
}

HMENU CMenu::Detach()
{
    return AfxDetachHandle(m_hMenu);
}

HMENU CMenu::GetSafeHmenu() const
{
    return AfxSafeHandle(this, &CMenu::m_hMenu);
}

BOOL CMenu::LoadMenu(UINT id)
{
    LPCWSTR name = MAKEINTRESOURCEW(id);
    return Attach(::LoadMenuW(AfxFindResourceHandle(name, RT_MENU), name));
}

BOOL CMenu::DestroyMenu()
{
    if (!m_hMenu)
        return FALSE;
    return ::DestroyMenu(Detach());
}

int CMenu::GetMenuString(UINT item, CStringW& text, UINT flags) const
{
    ASSERT(::IsMenu(m_hMenu));
    const int length = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
    if (length <= 0) {
        text.Empty();
        return 0;
    }
    LPWSTR buffer = text.GetBuffer(length + 1);
    const int copied = ::GetMenuStringW(m_hMenu, item, buffer, length + 1, flags);
    text.ReleaseBuffer(copied);
    return copied;
}

// --- image lists ----------------------------------------------------------------

BOOL CImageList::Attach(HIMAGELIST list)
{
    return AfxAttachHandle(m_hImageList, list);
}

HIMAGELIST CImageList::Detach()
{
    return AfxDetachHandle(m_hImageList);
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    return ImageList_Destroy(Detach());
}

HIMAGELIST CImageList::GetSafeHandle() const
{
    return AfxSafeHandle(this, &CImageList::m_hImageList);
}

// --- list view ------------------------------------------------------------------

int CListCtrl::InsertColumn(int column, LPCWSTR heading, int format, int width, int subItem)
{
    LVCOLUMNW info = {};
    info.mask = LVCF_TEXT | LVCF_FMT;
    info.fmt = format;
    info.pszText = const_cast<LPWSTR>(heading);
    if (width != -1) {
        info.mask |= LVCF_WIDTH;
        info.cx = width;
    }
    if (subItem != -1) {
        info.mask |= LVCF_SUBITEM;
        info.iSubItem = subItem;
    }
    return Send<int>(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
}

int CListCtrl::InsertItem(int index, LPCWSTR text, int image)
{
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<LPWSTR>(text);
    if (image != -1) {
        item.mask |= LVIF_IMAGE;
        item.iImage = image;
    }
    return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int index, int subItem, LPCWSTR text)
{
    LVITEMW item = {};
    item.iSubItem = subItem;
    item.pszText = const_cast<LPWSTR>(text);
    return Send<BOOL>(LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

CStringW CListCtrl::GetItemText(int index, int subItem) const
{
    return ReadGrowing([&](LPWSTR buffer, int capacity) {
        LVITEMW item = {};
        item.iSubItem = subItem;
        item.cchTextMax = capacity;
        item.pszText = buffer;
        return Send<int>(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    });
}

BOOL CListCtrl::SetItemData(int index, DWORD_PTR data)
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = static_cast<LPARAM>(data);
    return Send<BOOL>(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

DWORD_PTR CListCtrl::GetItemData(int index) const
{
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<DWORD_PTR>(item.lParam);
}

BOOL CListCtrl::SetItemState(int index, UINT state, UINT mask)
{
    LVITEMW item = {};
    item.state = state;
    item.stateMask = mask;
    return Send<BOOL>(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

// --- tree view ------------------------------------------------------------------

HTREEITEM CTreeCtrl::InsertItem(LPCWSTR text, HTREEITEM parent, HTREEITEM after)
{
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<LPWSTR>(text);
    return InsertItem(&insert);
}

CStringW CTreeCtrl::GetItemText(HTREEITEM handle) const
{
    return ReadGrowing([&](LPWSTR buffer, int capacity) {
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = handle;
        item.cchTextMax = capacity;
        item.pszText = buffer;
        if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
            return 0;
        return static_cast<int>(::wcsnlen(buffer, static_cast<size_t>(capacity)));
    });
}

BOOL CTreeCtrl::SetItemText(HTREEITEM handle, LPCWSTR text)
{
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = handle;
    item.pszText = const_cast<LPWSTR>(text);
    return Send<BOOL>(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM handle) const
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = handle;
    Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<DWORD_PTR>(item.lParam);
}

BOOL CTreeCtrl::SetItemData(HTREEITEM handle, DWORD_PTR data)
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = handle;
    item.lParam = static_cast<LPARAM>(data);
    return Send<BOOL>(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM handle) const
{
    TVITEMW item = {};
    item.mask = TVIF_CHILDREN;
    item.hItem = handle;
    Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.cChildren != 0;
}

// --- tooltips ---------------------------------------------------------------------

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style)
{
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | style, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent->GetSafeHwnd(), nullptr);
}

void CToolTipCtrl::FillToolInfo(TTTOOLINFOW& info, CWnd* window, UINT_PTR id) const
{
    info = {};
    info.cbSize = sizeof info;
    if (id == 0) {
        info.hwnd = ::GetParent(window->GetSafeHwnd());
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(window->GetSafeHwnd());
    } else {
        info.hwnd = window->GetSafeHwnd();
        info.uId = id;
    }
}

BOOL CToolTipCtrl::AddTool(CWnd* window, LPCWSTR text, LPCRECT rect, UINT_PTR id)
{
    ASSERT(window != nullptr);
    TTTOOLINFOW info;
    FillToolInfo(info, window, id);
    info.uFlags |= TTF_SUBCLASS;
    info.lpszText = const_cast<LPWSTR>(text);
    if (rect)
        info.rect = *rect;
    else if (id != 0)
        ::GetClientRect(window->GetSafeHwnd(), &info.rect);
    return Send<BOOL>(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::UpdateTipText(LPCWSTR text, CWnd* window, UINT_PTR id)
{
    TTTOOLINFOW info;
    FillToolInfo(info, window, id);
    info.lpszText = const_cast<LPWSTR>(text);
    Send(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

// --- date and time picker -----------------------------------------------------------

BOOL CDateTimeCtrl::SetRange(const SYSTEMTIME* minimum, const SYSTEMTIME* maximum)
{
    SYSTEMTIME range[2] = {};
    WPARAM which = 0;
    if (minimum) {
        range[0] = *minimum;
        which |= GDTR_MIN;
    }
    if (maximum) {
        range[1] = *maximum;
        which |= GDTR_MAX;
    }
    return Send<BOOL>(DTM_SETRANGE, which, reinterpret_cast<LPARAM>(range));
}

void AFXAPI DDX_DateTimeCtrl(CDataExchange* dx, int id, FILETIME& value)
{
    auto* picker = static_cast<CDateTimeCtrl*>(CWnd::FromHandle(dx->PrepareCtrl(id)));
    SYSTEMTIME time = {};
    if (dx->m_bSaveAndValidate) {
        if (picker->GetTime(&time) != GDT_VALID || !::SystemTimeToFileTime(&time, &value))
            value = FILETIME{};
        return;
    }
    const bool none = value.dwLowDateTime == 0 && value.dwHighDateTime == 0;
    if (none || !::FileTimeToSystemTime(&value, &time)) {
        // Only a DTS_SHOWNONE picker can show no date; another keeps its own.
        picker->SetTime(nullptr);
        return;
    }
    if (!picker->SetTime(&time))
        TRACE(L"DDX_DateTimeCtrl: the picker refused the date\n");
}
