// Message maps: each window class lists the messages it handles in a table of
// entries (message, notification code, control-id range, handler) chained to
// its base class's table. A handler is reached through a small typed caller,
// made per entry from the member, that unpacks wParam/lParam; so the member's
// signature is checked by the compiler and no member pointer is ever cast.
#pragma once

#include <commctrl.h>

class CWnd;
class CDC;
class CScrollBar;

// Messages a parent sends back to the child that notified it.
#define WM_REFLECT_BASE 0xBC00
#ifndef WM_CTLCOLOR
// The one entry every WM_CTLCOLOR... message is looked up under.
#define WM_CTLCOLOR 0x0019
#endif
// Marks an entry whose message number is registered at run time.
#define AFX_REGISTERED_MESSAGE 0xC000

// Calls the handler for one message; FALSE when the handler declined it (a
// reflected colour handler that returned no brush).
using AFX_MSGCALL = BOOL (*)(CWnd* target, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;              // 0 ends the table
    UINT nCode;                 // notification code for WM_COMMAND and WM_NOTIFY
    UINT nID;                   // first control id
    UINT nLastID;               // last control id (same as nID for one control)
    const UINT* pRegistered;    // the variable holding a registered message's number
    AFX_MSGCALL pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (AFXAPI* pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define afx_msg

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP* AFXAPI GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* AFXAPI theClass::GetThisMessageMap() \
    { \
        typedef theClass ThisClass; \
        typedef baseClass TheBaseClass; \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
            {0, 0, 0, 0, nullptr, nullptr}}; \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        (void)sizeof(ThisClass*); \
        return &messageMap; \
    }

// The typed callers. T is the class whose map holds the entry; F its member.
namespace AfxMsg {

inline CPoint PointOf(LPARAM lParam) { return CPoint(lParam); }
TESSARO_MFC_API CWnd* AFXAPI WndOf(HWND window);

template <class T, auto F> BOOL v_v(CWnd* w, WPARAM, LPARAM, LRESULT*)
{ (static_cast<T*>(w)->*F)(); return TRUE; }
template <class T, auto F> BOOL i_create(CWnd* w, WPARAM, LPARAM l, LRESULT* r)
{ *r = (static_cast<T*>(w)->*F)(reinterpret_cast<LPCREATESTRUCTW>(l)); return TRUE; }
template <class T, auto F> BOOL v_size(CWnd* w, WPARAM wp, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(static_cast<UINT>(wp), static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))); return TRUE; }
template <class T, auto F> BOOL v_move(CWnd* w, WPARAM, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))); return TRUE; }
template <class T, auto F> BOOL b_dc(CWnd* w, WPARAM wp, LPARAM, LRESULT* r);
template <class T, auto F> BOOL b_setcursor(CWnd* w, WPARAM wp, LPARAM l, LRESULT* r)
{ *r = (static_cast<T*>(w)->*F)(WndOf(reinterpret_cast<HWND>(wp)), LOWORD(l), HIWORD(l)); return TRUE; }
template <class T, auto F> BOOL v_mouse(CWnd* w, WPARAM wp, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(static_cast<UINT>(wp), PointOf(l)); return TRUE; }
template <class T, auto F> BOOL v_scroll(CWnd* w, WPARAM wp, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(LOWORD(wp), HIWORD(wp), reinterpret_cast<CScrollBar*>(WndOf(reinterpret_cast<HWND>(l)))); return TRUE; }
template <class T, auto F> BOOL b_wheel(CWnd* w, WPARAM wp, LPARAM l, LRESULT* r)
{ *r = (static_cast<T*>(w)->*F)(LOWORD(wp), static_cast<short>(HIWORD(wp)), PointOf(l)); return TRUE; }
template <class T, auto F> BOOL v_activate(CWnd* w, WPARAM wp, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(LOWORD(wp), WndOf(reinterpret_cast<HWND>(l)), HIWORD(wp)); return TRUE; }
template <class T, auto F> BOOL v_timer(CWnd* w, WPARAM wp, LPARAM, LRESULT*)
{ (static_cast<T*>(w)->*F)(static_cast<UINT_PTR>(wp)); return TRUE; }
template <class T, auto F> BOOL v_bool(CWnd* w, WPARAM wp, LPARAM, LRESULT*)
{ (static_cast<T*>(w)->*F)(static_cast<BOOL>(wp)); return TRUE; }
template <class T, auto F> BOOL v_wnd(CWnd* w, WPARAM wp, LPARAM, LRESULT*)
{ (static_cast<T*>(w)->*F)(WndOf(reinterpret_cast<HWND>(wp))); return TRUE; }
template <class T, auto F> BOOL v_key(CWnd* w, WPARAM wp, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(static_cast<UINT>(wp), LOWORD(l), HIWORD(l)); return TRUE; }
template <class T, auto F> BOOL v_minmax(CWnd* w, WPARAM, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(reinterpret_cast<MINMAXINFO*>(l)); return TRUE; }
template <class T, auto F> BOOL v_contextmenu(CWnd* w, WPARAM wp, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(WndOf(reinterpret_cast<HWND>(wp)), PointOf(l)); return TRUE; }
template <class T, auto F> BOOL v_syscommand(CWnd* w, WPARAM wp, LPARAM l, LRESULT*)
{ (static_cast<T*>(w)->*F)(static_cast<UINT>(wp), l); return TRUE; }
template <class T, auto F> BOOL h_ctlcolor(CWnd* w, WPARAM wp, LPARAM l, LRESULT* r);
template <class T, auto F> BOOL h_ctlcolor_reflect(CWnd* w, WPARAM wp, LPARAM l, LRESULT* r);
template <class T, auto F> BOOL l_message(CWnd* w, WPARAM wp, LPARAM l, LRESULT* r)
{ *r = (static_cast<T*>(w)->*F)(wp, l); return TRUE; }
template <class T, auto F> BOOL v_id(CWnd* w, WPARAM wp, LPARAM, LRESULT*)
{ (static_cast<T*>(w)->*F)(static_cast<UINT>(LOWORD(wp))); return TRUE; }
template <class T, auto F> BOOL v_notify(CWnd* w, WPARAM, LPARAM l, LRESULT* r)
{ (static_cast<T*>(w)->*F)(reinterpret_cast<NMHDR*>(l), r); return TRUE; }

}  // namespace AfxMsg

#define AFX_MSG_ENTRY(message, caller, member) \
    {message, 0, 0, 0, nullptr, &AfxMsg::caller<ThisClass, &ThisClass::member>},

#define ON_WM_CREATE() AFX_MSG_ENTRY(WM_CREATE, i_create, OnCreate)
#define ON_WM_DESTROY() AFX_MSG_ENTRY(WM_DESTROY, v_v, OnDestroy)
#define ON_WM_SIZE() AFX_MSG_ENTRY(WM_SIZE, v_size, OnSize)
#define ON_WM_MOVE() AFX_MSG_ENTRY(WM_MOVE, v_move, OnMove)
#define ON_WM_ERASEBKGND() AFX_MSG_ENTRY(WM_ERASEBKGND, b_dc, OnEraseBkgnd)
#define ON_WM_SETCURSOR() AFX_MSG_ENTRY(WM_SETCURSOR, b_setcursor, OnSetCursor)
#define ON_WM_LBUTTONDOWN() AFX_MSG_ENTRY(WM_LBUTTONDOWN, v_mouse, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MSG_ENTRY(WM_LBUTTONUP, v_mouse, OnLButtonUp)
#define ON_WM_MOUSEMOVE() AFX_MSG_ENTRY(WM_MOUSEMOVE, v_mouse, OnMouseMove)
#define ON_WM_HSCROLL() AFX_MSG_ENTRY(WM_HSCROLL, v_scroll, OnHScroll)
#define ON_WM_VSCROLL() AFX_MSG_ENTRY(WM_VSCROLL, v_scroll, OnVScroll)
#define ON_WM_MOUSEWHEEL() AFX_MSG_ENTRY(WM_MOUSEWHEEL, b_wheel, OnMouseWheel)
#define ON_WM_ACTIVATE() AFX_MSG_ENTRY(WM_ACTIVATE, v_activate, OnActivate)
#define ON_WM_TIMER() AFX_MSG_ENTRY(WM_TIMER, v_timer, OnTimer)
#define ON_WM_ENABLE() AFX_MSG_ENTRY(WM_ENABLE, v_bool, OnEnable)
#define ON_WM_PAINT() AFX_MSG_ENTRY(WM_PAINT, v_v, OnPaint)
#define ON_WM_NCPAINT() AFX_MSG_ENTRY(WM_NCPAINT, v_v, OnNcPaint)
#define ON_WM_SETFOCUS() AFX_MSG_ENTRY(WM_SETFOCUS, v_wnd, OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_MSG_ENTRY(WM_KILLFOCUS, v_wnd, OnKillFocus)
#define ON_WM_CHAR() AFX_MSG_ENTRY(WM_CHAR, v_key, OnChar)
#define ON_WM_KEYDOWN() AFX_MSG_ENTRY(WM_KEYDOWN, v_key, OnKeyDown)
#define ON_WM_GETMINMAXINFO() AFX_MSG_ENTRY(WM_GETMINMAXINFO, v_minmax, OnGetMinMaxInfo)
#define ON_WM_CONTEXTMENU() AFX_MSG_ENTRY(WM_CONTEXTMENU, v_contextmenu, OnContextMenu)
#define ON_WM_CLOSE() AFX_MSG_ENTRY(WM_CLOSE, v_v, OnClose)
#define ON_WM_SYSCOMMAND() AFX_MSG_ENTRY(WM_SYSCOMMAND, v_syscommand, OnSysCommand)
// Every WM_CTLCOLOR... message reaches OnCtlColor with the control's kind.
#define ON_WM_CTLCOLOR() AFX_MSG_ENTRY(WM_CTLCOLOR, h_ctlcolor, OnCtlColor)
// In a control: colours the control itself; a null brush leaves it to the parent.
#define ON_WM_CTLCOLOR_REFLECT() AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, h_ctlcolor_reflect, CtlColor)

#define ON_MESSAGE(message, memberFxn) \
    {message, 0, 0, 0, nullptr, &AfxMsg::l_message<ThisClass, &ThisClass::memberFxn>},
#define ON_REGISTERED_MESSAGE(messageVariable, memberFxn) \
    {AFX_REGISTERED_MESSAGE, 0, 0, 0, &messageVariable, &AfxMsg::l_message<ThisClass, &ThisClass::memberFxn>},

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), nullptr, &AfxMsg::v_v<ThisClass, &ThisClass::memberFxn>},
#define ON_CONTROL(code, id, memberFxn) \
    {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), nullptr, &AfxMsg::v_v<ThisClass, &ThisClass::memberFxn>},
// The handler receives the control's id.
#define ON_CONTROL_RANGE(code, firstId, lastId, memberFxn) \
    {WM_COMMAND, (UINT)(code), (UINT)(firstId), (UINT)(lastId), nullptr, &AfxMsg::v_id<ThisClass, &ThisClass::memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)

#define ON_NOTIFY(code, id, memberFxn) \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id), nullptr, &AfxMsg::v_notify<ThisClass, &ThisClass::memberFxn>},
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0, nullptr, &AfxMsg::v_notify<ThisClass, &ThisClass::memberFxn>},
#define ON_CONTROL_REFLECT(code, memberFxn) \
    {WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, nullptr, &AfxMsg::v_v<ThisClass, &ThisClass::memberFxn>},
