// The common controls as thin wrappers (comctl32; hosts and tests carry the
// version 6 manifest).
//
//   CImageList, CListCtrl, CHeaderCtrl, CTreeCtrl, CToolTipCtrl,
//   CDateTimeCtrl, CProgressCtrl
#pragma once

#include "afxwin.h"

#include <commctrl.h>

// An image list. The object destroys the list it made or attached.
class TESSARO_MFC_API CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)
public:
    CImageList() = default;
    ~CImageList() override { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT flags, int initial, int grow) { return Attach(ImageList_Create(cx, cy, flags, initial, grow)); }
    BOOL Attach(HIMAGELIST list);
    HIMAGELIST Detach();
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const;
    operator HIMAGELIST() const { return GetSafeHandle(); }

    int Add(HICON icon) { ASSERT(m_hImageList); return ImageList_ReplaceIcon(m_hImageList, -1, icon); }
    int Add(CBitmap* bitmap, COLORREF mask) { ASSERT(m_hImageList); return ImageList_AddMasked(m_hImageList, static_cast<HBITMAP>(bitmap->m_hObject), mask); }
    int Replace(int index, HICON icon) { ASSERT(m_hImageList); return ImageList_ReplaceIcon(m_hImageList, index, icon); }
    BOOL Remove(int index) { ASSERT(m_hImageList); return ImageList_Remove(m_hImageList, index); }
    int GetImageCount() const { ASSERT(m_hImageList); return ImageList_GetImageCount(m_hImageList); }
    HICON ExtractIcon(int index) { ASSERT(m_hImageList); return ImageList_GetIcon(m_hImageList, index, ILD_NORMAL); }
    BOOL Draw(CDC* dc, int index, POINT point, UINT style)
    { ASSERT(m_hImageList); return ImageList_Draw(m_hImageList, index, dc->GetSafeHdc(), point.x, point.y, style); }

    HIMAGELIST m_hImageList = nullptr;
};

class TESSARO_MFC_API CHeaderCtrl : public CWnd {
    DECLARE_DYNAMIC(CHeaderCtrl)
public:
    int GetItemCount() const { return Send<int>(HDM_GETITEMCOUNT); }
    BOOL GetItem(int index, HDITEMW* item) const { return Send<BOOL>(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)); }
    BOOL SetItem(int index, HDITEMW* item) { return Send<BOOL>(HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)); }
};

class TESSARO_MFC_API CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create(WC_LISTVIEWW, nullptr, style, rect, parent, id); }
    int InsertColumn(int column, LPCWSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
    BOOL DeleteColumn(int column) { return Send<BOOL>(LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0); }
    int GetColumnWidth(int column) const { return Send<int>(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0); }
    BOOL SetColumnWidth(int column, int width) { return Send<BOOL>(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)); }
    int InsertItem(const LVITEMW* item) { return Send<int>(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(item)); }
    int InsertItem(int index, LPCWSTR text, int image = -1);
    BOOL SetItemText(int index, int subItem, LPCWSTR text);
    CStringW GetItemText(int index, int subItem) const;
    BOOL DeleteItem(int index) { return Send<BOOL>(LVM_DELETEITEM, static_cast<WPARAM>(index), 0); }
    BOOL DeleteAllItems() { return Send<BOOL>(LVM_DELETEALLITEMS); }
    int GetItemCount() const { return Send<int>(LVM_GETITEMCOUNT); }
    BOOL SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    BOOL SetItemState(int index, UINT state, UINT mask);
    UINT GetItemState(int index, UINT mask) const { return Send<UINT>(LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask); }
    int GetNextItem(int start, int flags) const { return Send<int>(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)); }
    UINT GetSelectedCount() const { return Send<UINT>(LVM_GETSELECTEDCOUNT); }
    BOOL EnsureVisible(int index, BOOL partialOk) { return Send<BOOL>(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk); }
    DWORD SetExtendedStyle(DWORD style) { return Send<DWORD>(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)); }
    DWORD GetExtendedStyle() const { return Send<DWORD>(LVM_GETEXTENDEDLISTVIEWSTYLE); }
    BOOL GetCheck(int index) const { return ((GetItemState(index, LVIS_STATEIMAGEMASK) >> 12) - 1) != 0; }
    BOOL SetCheck(int index, BOOL check = TRUE) { return SetItemState(index, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), LVIS_STATEIMAGEMASK); }
    CHeaderCtrl* GetHeaderCtrl() const { return static_cast<CHeaderCtrl*>(CWnd::FromHandle(Send<HWND>(LVM_GETHEADER))); }
    BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data) { return Send<BOOL>(LVM_SORTITEMS, data, reinterpret_cast<LPARAM>(compare)); }
    int GetStringWidth(LPCWSTR text) const { return Send<int>(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)); }
    int FindItem(LVFINDINFOW* find, int start = -1) const { return Send<int>(LVM_FINDITEMW, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(find)); }
    HIMAGELIST SetImageList(CImageList* list, int kind) { return Send<HIMAGELIST>(LVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list->GetSafeHandle())); }

};

class TESSARO_MFC_API CTreeCtrl : public CWnd {
    DECLARE_DYNAMIC(CTreeCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create(WC_TREEVIEWW, nullptr, style, rect, parent, id); }
    HTREEITEM InsertItem(const TVINSERTSTRUCTW* insert) { return Send<HTREEITEM>(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(insert)); }
    HTREEITEM InsertItem(LPCWSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item) { return Send<BOOL>(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)); }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const { return Send<HTREEITEM>(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)); }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM item) { return Send<BOOL>(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)); }
    BOOL Expand(HTREEITEM item, UINT code) { return Send<BOOL>(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)); }
    BOOL EnsureVisible(HTREEITEM item) { return Send<BOOL>(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)); }
    CStringW GetItemText(HTREEITEM item) const;
    BOOL SetItemText(HTREEITEM item, LPCWSTR text);
    DWORD_PTR GetItemData(HTREEITEM item) const;
    BOOL SetItemData(HTREEITEM item, DWORD_PTR data);
    UINT GetItemState(HTREEITEM item, UINT mask) const { return Send<UINT>(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask); }
    BOOL ItemHasChildren(HTREEITEM item) const;
    UINT GetCount() const { return Send<UINT>(TVM_GETCOUNT); }
    HIMAGELIST SetImageList(CImageList* list, int kind) { return Send<HIMAGELIST>(TVM_SETIMAGELIST, static_cast<WPARAM>(kind), reinterpret_cast<LPARAM>(list->GetSafeHandle())); }

};

class TESSARO_MFC_API CToolTipCtrl : public CWnd {
    DECLARE_DYNAMIC(CToolTipCtrl)
public:
    using CWnd::Create;
    // A popup owned by parent's window.
    BOOL Create(CWnd* parent, DWORD style = 0);
    // A tool for window (its whole area unless rect), identified by id or,
    // with id 0, by the window itself.
    BOOL AddTool(CWnd* window, LPCWSTR text, LPCRECT rect = nullptr, UINT_PTR id = 0);
    void UpdateTipText(LPCWSTR text, CWnd* window, UINT_PTR id = 0);
    void Activate(BOOL activate) { Send(TTM_ACTIVATE, activate, 0); }
    void RelayEvent(LPMSG msg) { Send(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    int SetMaxTipWidth(int width) { return Send<int>(TTM_SETMAXTIPWIDTH, 0, width); }
    void SetDelayTime(UINT kind, int milliseconds) { Send(TTM_SETDELAYTIME, kind, milliseconds); }

private:
    void FillToolInfo(TTTOOLINFOW& info, CWnd* window, UINT_PTR id) const;
};

class TESSARO_MFC_API CDateTimeCtrl : public CWnd {
    DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create(DATETIMEPICK_CLASSW, nullptr, style, rect, parent, id); }
    // A null time clears a picker with DTS_SHOWNONE. The picker ignores the
    // time given with GDT_NONE, but some refuse GDT_NONE without one.
    BOOL SetTime(const SYSTEMTIME* time)
    {
        const SYSTEMTIME ignored = {};
        return Send<BOOL>(DTM_SETSYSTEMTIME, time ? GDT_VALID : GDT_NONE,
                                      reinterpret_cast<LPARAM>(time ? time : &ignored));
    }
    // GDT_VALID, or GDT_NONE when a DTS_SHOWNONE picker is cleared.
    DWORD GetTime(SYSTEMTIME* time) const { return Send<DWORD>(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)); }
    BOOL SetFormat(LPCWSTR format) { return Send<BOOL>(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format)); }
    BOOL SetRange(const SYSTEMTIME* minimum, const SYSTEMTIME* maximum);

};

// The picker's date and time as a FILETIME, taken as they are shown: no
// time-zone conversion either way. A zero FILETIME stands for "no date": it
// clears a DTS_SHOWNONE picker, and a cleared picker gives it back.
TESSARO_MFC_API void AFXAPI DDX_DateTimeCtrl(CDataExchange* dx, int id, FILETIME& value);

class TESSARO_MFC_API CProgressCtrl : public CWnd {
    DECLARE_DYNAMIC(CProgressCtrl)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create(PROGRESS_CLASSW, nullptr, style, rect, parent, id); }
    void SetRange32(int lower, int upper) { Send(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange(int& lower, int& upper) const
    {
        PBRANGE range = {};
        Send(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        lower = range.iLow;
        upper = range.iHigh;
    }
    int SetPos(int position) { return Send<int>(PBM_SETPOS, static_cast<WPARAM>(position), 0); }
    int GetPos() const { return Send<int>(PBM_GETPOS); }
    int OffsetPos(int delta) { return Send<int>(PBM_DELTAPOS, static_cast<WPARAM>(delta), 0); }
    int SetStep(int step) { return Send<int>(PBM_SETSTEP, static_cast<WPARAM>(step), 0); }
    int StepIt() { return Send<int>(PBM_STEPIT); }
    BOOL SetMarquee(BOOL on, int milliseconds) { return Send<BOOL>(PBM_SETMARQUEE, on, milliseconds); }

};
