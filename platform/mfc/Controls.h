// The standard controls and menus as thin wrappers: each member sends the one
// message that does the work through CWnd::Send. Create makes a child control
// of the class with CWnd::Create.
//
//   CStatic, CButton, CEdit, CComboBox, CListBox, CScrollBar
//   CMenu
#pragma once

#include "CWnd.h"

class TESSARO_MFC_API CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    using CWnd::Create;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF)
    { return CWnd::Create(L"Static", text, style, rect, parent, id); }
    HICON SetIcon(HICON icon) { return Send<HICON>(STM_SETICON, reinterpret_cast<WPARAM>(icon), 0); }
    HICON GetIcon() const { return Send<HICON>(STM_GETICON); }
    HBITMAP SetBitmap(HBITMAP bitmap) { return Send<HBITMAP>(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)); }
};

class TESSARO_MFC_API CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    using CWnd::Create;
    BOOL Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
    { return CWnd::Create(L"Button", text, style, rect, parent, id); }
    int GetCheck() const { return Send<int>(BM_GETCHECK); }
    void SetCheck(int check) { Send(BM_SETCHECK, static_cast<WPARAM>(check), 0); }
    UINT GetState() const { return Send<UINT>(BM_GETSTATE); }
    void SetState(BOOL highlight) { Send(BM_SETSTATE, static_cast<WPARAM>(highlight), 0); }
    UINT GetButtonStyle() const { ASSERT(::IsWindow(m_hWnd)); return static_cast<UINT>(GetStyle() & 0xFFFF); }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) { Send(BM_SETSTYLE, style, redraw); }
    HICON SetIcon(HICON icon) { return Send<HICON>(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)); }
};

class TESSARO_MFC_API CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create(L"Edit", nullptr, style, rect, parent, id); }
    void SetSel(int start, int end, BOOL noScroll = FALSE)
    {
        ASSERT(::IsWindow(m_hWnd));
        Send(EM_SETSEL, static_cast<WPARAM>(start), end);
        if (!noScroll)
            Send(EM_SCROLLCARET);
    }
    void GetSel(int& start, int& end) const
    {
        ASSERT(::IsWindow(m_hWnd));
        DWORD first = 0, last = 0;
        Send(EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
        start = static_cast<int>(first);
        end = static_cast<int>(last);
    }
    void ReplaceSel(LPCWSTR text, BOOL canUndo = FALSE) { Send(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text)); }
    void SetLimitText(UINT maximum) { Send(EM_SETLIMITTEXT, maximum, 0); }
    void LimitText(int maximum = 0) { SetLimitText(static_cast<UINT>(maximum)); }
    UINT GetLimitText() const { return Send<UINT>(EM_GETLIMITTEXT); }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return Send<BOOL>(EM_SETREADONLY, readOnly, 0); }
    void SetPasswordChar(wchar_t ch) { Send(EM_SETPASSWORDCHAR, ch, 0); }
    int GetLineCount() const { return Send<int>(EM_GETLINECOUNT); }
    BOOL SetCueBanner(LPCWSTR text, BOOL showOnFocus = FALSE) { return Send<BOOL>(EM_SETCUEBANNER, showOnFocus, reinterpret_cast<LPARAM>(text)); }
    BOOL Undo() { return Send<BOOL>(EM_UNDO); }
    void Copy() { Send(WM_COPY); }
    void Cut() { Send(WM_CUT); }
    void Paste() { Send(WM_PASTE); }
    void Clear() { Send(WM_CLEAR); }
};

class TESSARO_MFC_API CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create(L"ComboBox", nullptr, style, rect, parent, id); }
    int AddString(LPCWSTR text) { return Send<int>(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    int InsertString(int index, LPCWSTR text) { return Send<int>(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)); }
    int DeleteString(UINT index) { return Send<int>(CB_DELETESTRING, index, 0); }
    void ResetContent() { Send(CB_RESETCONTENT); }
    int GetCount() const { return Send<int>(CB_GETCOUNT); }
    int GetCurSel() const { return Send<int>(CB_GETCURSEL); }
    int SetCurSel(int index) { return Send<int>(CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    int GetLBTextLen(int index) const { return Send<int>(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0); }
    void GetLBText(int index, CStringW& text) const;
    int FindString(int after, LPCWSTR text) const { return Send<int>(CB_FINDSTRING, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(text)); }
    int FindStringExact(int after, LPCWSTR text) const { return Send<int>(CB_FINDSTRINGEXACT, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(text)); }
    int SelectString(int after, LPCWSTR text) { return Send<int>(CB_SELECTSTRING, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(text)); }
    DWORD_PTR GetItemData(int index) const { return Send<DWORD_PTR>(CB_GETITEMDATA, static_cast<WPARAM>(index), 0); }
    int SetItemData(int index, DWORD_PTR data) { return Send<int>(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
    void ShowDropDown(BOOL show = TRUE) { Send(CB_SHOWDROPDOWN, show, 0); }
    BOOL GetDroppedState() const { return Send<BOOL>(CB_GETDROPPEDSTATE); }
    BOOL LimitText(int maximum) { return Send<BOOL>(CB_LIMITTEXT, static_cast<WPARAM>(maximum), 0); }
    BOOL SetEditSel(int start, int end) { return Send<BOOL>(CB_SETEDITSEL, 0, MAKELPARAM(start, end)); }
};

class TESSARO_MFC_API CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create(L"ListBox", nullptr, style, rect, parent, id); }
    int AddString(LPCWSTR text) { return Send<int>(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    int InsertString(int index, LPCWSTR text) { return Send<int>(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)); }
    int DeleteString(UINT index) { return Send<int>(LB_DELETESTRING, index, 0); }
    void ResetContent() { Send(LB_RESETCONTENT); }
    int GetCount() const { return Send<int>(LB_GETCOUNT); }
    int GetCurSel() const { return Send<int>(LB_GETCURSEL); }
    int SetCurSel(int index) { return Send<int>(LB_SETCURSEL, static_cast<WPARAM>(index), 0); }
    int GetSel(int index) const { return Send<int>(LB_GETSEL, static_cast<WPARAM>(index), 0); }
    int SetSel(int index, BOOL select = TRUE) { return Send<int>(LB_SETSEL, select, index); }
    int GetSelCount() const { return Send<int>(LB_GETSELCOUNT); }
    int GetTextLen(int index) const { return Send<int>(LB_GETTEXTLEN, static_cast<WPARAM>(index), 0); }
    void GetText(int index, CStringW& text) const;
    int FindStringExact(int after, LPCWSTR text) const { return Send<int>(LB_FINDSTRINGEXACT, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(text)); }
    DWORD_PTR GetItemData(int index) const { return Send<DWORD_PTR>(LB_GETITEMDATA, static_cast<WPARAM>(index), 0); }
    int SetItemData(int index, DWORD_PTR data) { return Send<int>(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
    int GetTopIndex() const { return Send<int>(LB_GETTOPINDEX); }
    int SetTopIndex(int index) { return Send<int>(LB_SETTOPINDEX, static_cast<WPARAM>(index), 0); }
    int GetItemHeight(int index) const { return Send<int>(LB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0); }
    int GetItemRect(int index, LPRECT rect) const { return Send<int>(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)); }
};

class TESSARO_MFC_API CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
public:
    using CWnd::Create;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) { return CWnd::Create(L"ScrollBar", nullptr, style, rect, parent, id); }
    int GetScrollPos() const { ASSERT(::IsWindow(m_hWnd)); return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int position, BOOL redraw = TRUE) { ASSERT(::IsWindow(m_hWnd)); return ::SetScrollPos(m_hWnd, SB_CTL, position, redraw); }
    void SetScrollRange(int minimum, int maximum, BOOL redraw = TRUE) { ASSERT(::IsWindow(m_hWnd)); ::SetScrollRange(m_hWnd, SB_CTL, minimum, maximum, redraw); }
    BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE) { return CWnd::SetScrollInfo(SB_CTL, info, redraw); }
    BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL) { return CWnd::GetScrollInfo(SB_CTL, info, mask); }
};

// A menu. The object destroys a menu it made or attached; FromHandle gives a
// temporary wrapper (freed with the thread's other temporaries) that never does.
class TESSARO_MFC_API CMenu : public CObject {
    DECLARE_DYNCREATE(CMenu)
public:
    CMenu() = default;
    ~CMenu() override { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    static CMenu* AFXAPI FromHandle(HMENU menu);
    BOOL Attach(HMENU menu);
    HMENU Detach();
    HMENU GetSafeHmenu() const;
    operator HMENU() const { return GetSafeHmenu(); }

    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL LoadMenu(UINT id);
    BOOL DestroyMenu();

    BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, LPCWSTR text = nullptr) { ASSERT(::IsMenu(m_hMenu)); return ::AppendMenuW(m_hMenu, flags, idOrPopup, text); }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, LPCWSTR text = nullptr) { ASSERT(::IsMenu(m_hMenu)); return ::InsertMenuW(m_hMenu, position, flags, idOrPopup, text); }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, LPCWSTR text = nullptr) { ASSERT(::IsMenu(m_hMenu)); return ::ModifyMenuW(m_hMenu, position, flags, idOrPopup, text); }
    BOOL DeleteMenu(UINT position, UINT flags) { ASSERT(::IsMenu(m_hMenu)); return ::DeleteMenu(m_hMenu, position, flags); }
    BOOL RemoveMenu(UINT position, UINT flags) { ASSERT(::IsMenu(m_hMenu)); return ::RemoveMenu(m_hMenu, position, flags); }
    UINT EnableMenuItem(UINT item, UINT enable) { ASSERT(::IsMenu(m_hMenu)); return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, enable)); }
    UINT CheckMenuItem(UINT item, UINT check) { ASSERT(::IsMenu(m_hMenu)); return static_cast<UINT>(::CheckMenuItem(m_hMenu, item, check)); }
    UINT GetMenuState(UINT item, UINT flags) const { ASSERT(::IsMenu(m_hMenu)); return ::GetMenuState(m_hMenu, item, flags); }
    int GetMenuItemCount() const { ASSERT(::IsMenu(m_hMenu)); return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int position) const { ASSERT(::IsMenu(m_hMenu)); return ::GetMenuItemID(m_hMenu, position); }
    int GetMenuString(UINT item, CStringW& text, UINT flags) const;
    BOOL GetMenuItemInfo(UINT item, LPMENUITEMINFOW info, BOOL byPosition = FALSE) { ASSERT(::IsMenu(m_hMenu)); return ::GetMenuItemInfoW(m_hMenu, item, byPosition, info); }
    BOOL SetMenuItemInfo(UINT item, LPMENUITEMINFOW info, BOOL byPosition = FALSE) { ASSERT(::IsMenu(m_hMenu)); return ::SetMenuItemInfoW(m_hMenu, item, byPosition, info); }
    CMenu* GetSubMenu(int position) const { ASSERT(::IsMenu(m_hMenu)); return FromHandle(::GetSubMenu(m_hMenu, position)); }
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT = nullptr)
    { ASSERT(::IsMenu(m_hMenu)); return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner->GetSafeHwnd(), nullptr); }

    HMENU m_hMenu = nullptr;
};

// Frees the calling thread's temporary menu wrappers.
TESSARO_MFC_API void AFXAPI AfxDeleteTempMenuMap();
