#include "afxwin.h"
#include "afximpl.h"
#include "DynamicLayout.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace {

// Permanent objects: one map for the process, so that every module finds the
// object another module attached.
struct PermanentMap {
    std::mutex lock;
    std::map<HWND, CWnd*> objects;
};

PermanentMap& Permanent()
{
    static PermanentMap* map = new PermanentMap;  // lives until the process ends
    return *map;
}

// Temporary objects belong to the thread that asked for them and die in its
// idle time; a pointer, made on demand, so that a thread that never asks
// leaves nothing behind.
thread_local AfxTemporaryMap<HWND, CWnd, &CWnd::m_hWnd> t_temporary;

// The object whose window the calling thread is creating; the creation hook
// attaches it to the first window created. Creations nest (a window may make
// framework children in OnCreate): each keeps its own hook and outer object.
struct Creation {
    HHOOK hook;
    CWnd* outer;
};
thread_local CWnd* t_creating = nullptr;
thread_local Creation t_creations[16];
thread_local int t_creationDepth = 0;

// The message each thread is handling, for Default.
thread_local MSG t_currentMessage = {};

}  // namespace

IMPLEMENT_DYNCREATE(CWnd, CObject)

// CWnd's own map ends every chain.
const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP* AFXAPI CWnd::GetThisMessageMap()
{
    typedef CWnd ThisClass;
    static const AFX_MSGMAP_ENTRY entries[] = {
        AFX_MSG_ENTRY(WM_NCDESTROY, v_v, OnNcDestroy)
        {0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

CWnd* AFXAPI AfxMsg::WndOf(HWND window)
{
    return CWnd::FromHandle(window);
}

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);  // OnNcDestroy detaches
    if (m_hWnd)
        Detach();
    delete m_pDynamicLayout;
}

CWnd* AFXAPI CWnd::FromHandle(HWND window)
{
    if (!window)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(window))
        return permanent;
    return t_temporary.Get(window, [] { return std::make_unique<CWnd>(); });
}

CWnd* AFXAPI CWnd::FromHandlePermanent(HWND window)
{
    PermanentMap& map = Permanent();
    std::lock_guard<std::mutex> guard(map.lock);
    auto found = map.objects.find(window);
    return found == map.objects.end() ? nullptr : found->second;
}

void AFXAPI CWnd::DeleteTempMap()
{
    t_temporary.DeleteAll();
}

void AfxDeleteTempMaps()
{
    CWnd::DeleteTempMap();
    AfxDeleteTempGdiMap();
    AfxDeleteTempMenuMap();
}

size_t AFXAPI AfxGetTempWndCount()
{
    return t_temporary.Count();
}

BOOL CWnd::Attach(HWND window)
{
    ASSERT(m_hWnd == nullptr);
    if (!window || m_hWnd)
        return FALSE;
    PermanentMap& map = Permanent();
    std::lock_guard<std::mutex> guard(map.lock);
    if (!map.objects.emplace(window, this).second)
        return FALSE;
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    if (window) {
        PermanentMap& map = Permanent();
        std::lock_guard<std::mutex> guard(map.lock);
        auto found = map.objects.find(window);
        if (found != map.objects.end() && found->second == this)
            map.objects.erase(found);
    }
    m_hWnd = nullptr;
    return window;
}

HWND CWnd::GetSafeHwnd() const
{
    return AfxSafeHandle(this, &CWnd::m_hWnd);
}

// --- creation and subclassing ---------------------------------------------

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_creating) {
        CWnd* wnd = t_creating;
        t_creating = nullptr;  // only the first window: not the children it makes
        HWND window = reinterpret_cast<HWND>(wParam);
        if (wnd->Attach(window)) {
            wnd->PreSubclassWindow();
            wnd->HookProcedure();
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL AfxHookWindowCreate(CWnd* wnd)
{
    if (t_creationDepth >= static_cast<int>(sizeof t_creations / sizeof t_creations[0]))
        return FALSE;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
    if (!hook)
        return FALSE;
    t_creations[t_creationDepth++] = Creation{hook, t_creating};
    t_creating = wnd;
    return TRUE;
}

void AfxUnhookWindowCreate()
{
    ASSERT(t_creationDepth > 0);
    if (t_creationDepth <= 0)
        return;
    const Creation& creation = t_creations[--t_creationDepth];
    ::UnhookWindowsHookEx(creation.hook);
    t_creating = creation.outer;
}

BOOL CWnd::HookProcedure()
{
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC));
    if (current == AfxWndProc)
        return TRUE;
    if (!::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)))
        return FALSE;
    m_pfnSuper = current;
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, LPVOID param)
{
    ASSERT(m_hWnd == nullptr);
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTW cs = {param, AfxGetInstanceHandle(), menuOrId, parent, height, width, y, x,
                        static_cast<LONG>(style), windowName, className, exStyle};
    if (!PreCreateWindow(cs))
        return FALSE;

    if (!AfxHookWindowCreate(this))
        return FALSE;
    HWND window = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx,
                                    cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    AfxUnhookWindowCreate();
    // A window refused in WM_NCCREATE or WM_CREATE is already destroyed and
    // detached (OnNcDestroy).
    return window != nullptr && window == m_hWnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, LPVOID param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent->GetSafeHwnd(),
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    // Create makes child windows.
    ASSERT(parent != nullptr && !(style & WS_POPUP));
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::SubclassWindow(HWND window)
{
    if (!Attach(window))
        return FALSE;
    PreSubclassWindow();
    if (!HookProcedure()) {
        Detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    ASSERT(parent != nullptr && ::IsWindow(parent->m_hWnd));
    HWND control = ::GetDlgItem(parent->GetSafeHwnd(), static_cast<int>(id));
    return control && SubclassWindow(control);
}

HWND CWnd::UnsubclassWindow()
{
    ASSERT(::IsWindow(m_hWnd));
    if (m_pfnSuper)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

void CWnd::OnNcDestroy()
{
    HWND window = m_hWnd;
    const LRESULT unused = Default();
    (void)unused;
    // Leave the window as it was found, then let go of it.
    if (m_pfnSuper && reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) == AfxWndProc)
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    // The layout holds the children's handles: a later window starts without it.
    delete m_pDynamicLayout;
    m_pDynamicLayout = nullptr;
    Detach();
    PostNcDestroy();
}

// --- message handling -------------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(window);
    if (!wnd) {
        // Detached while still hooked: the class's own procedure carries on.
        const auto classProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrW(window, GCLP_WNDPROC));
        if (classProc && classProc != AfxWndProc)
            return ::CallWindowProcW(classProc, window, message, wParam, lParam);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    const MSG outer = t_currentMessage;
    t_currentMessage = MSG{window, message, wParam, lParam, 0, {}};
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    t_currentMessage = outer;
    return result;
}

const MSG* AFXAPI AfxGetCurrentMessage()
{
    return &t_currentMessage;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& current = t_currentMessage;
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

const AFX_MSGMAP_ENTRY* CWnd::FindEntry(UINT message, UINT code, UINT id) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry) {
            const bool sameMessage = entry->nMessage == AFX_REGISTERED_MESSAGE
                                         ? message >= 0xC000 && *entry->pRegistered == message
                                         : entry->nMessage == message;
            if (sameMessage && entry->nCode == code && entry->nID <= id && id <= entry->nLastID)
                return entry;
        }
    }
    return nullptr;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    LRESULT local = 0;
    if (!result)
        result = &local;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *result = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT notifyResult = 0;
        if (!OnNotify(wParam, lParam, &notifyResult))
            return FALSE;
        *result = notifyResult;
        return TRUE;
    }
    if (message == WM_SIZE && m_pDynamicLayout)
        ResizeDynamicLayout();
    UINT lookup = message;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        if (ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam, result))
            return TRUE;
        lookup = WM_CTLCOLOR;
    }
    const AFX_MSGMAP_ENTRY* entry = FindEntry(lookup, 0, 0);
    return entry && entry->pfn(this, wParam, lParam, result);
}

BOOL CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    CWnd* control = child ? FromHandlePermanent(child) : nullptr;
    if (!control || control == this)
        return FALSE;
    return control->OnChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    UINT code = HIWORD(wParam);
    LRESULT result = 0;
    if (control) {
        if (ReflectToChild(control, WM_COMMAND, wParam, lParam, &result))
            return TRUE;
    } else {
        code = 0;  // menus and accelerators are plain commands
    }
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, code, id);
    return entry && entry->pfn(this, wParam, lParam, &result);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header)
        return FALSE;
    if (ReflectToChild(header->hwndFrom, WM_NOTIFY, wParam, lParam, result))
        return TRUE;
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
    return entry && entry->pfn(this, wParam, lParam, result);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const AFX_MSGMAP_ENTRY* entry = nullptr;
    if (message == WM_COMMAND)
        entry = FindEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
    else if (message == WM_NOTIFY)
        entry = FindEntry(WM_REFLECT_BASE + WM_NOTIFY, reinterpret_cast<const NMHDR*>(lParam)->code, 0);
    else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        entry = FindEntry(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0);
    return entry && entry->pfn(this, wParam, lParam, result);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL AFXAPI CWnd::WalkPreTranslateTree(HWND stop, MSG* msg)
{
    for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
        CWnd* wnd = FromHandlePermanent(window);
        if (wnd && wnd->PreTranslateMessage(msg))
            return TRUE;
        if (window == stop)
            break;
    }
    return FALSE;
}

// --- thin members -------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    ASSERT(::IsWindow(m_hWnd));
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    ASSERT(::IsWindow(m_hWnd));
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep) const
{
    ASSERT(::IsWindow(m_hWnd));
    for (HWND child = ::GetTopWindow(m_hWnd); child; child = ::GetNextWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, message, wParam, lParam);
        if (deep && ::GetTopWindow(child))
            CWnd::FromHandle(child)->SendMessageToDescendants(message, wParam, lParam, TRUE);
    }
}

CWnd* CWnd::GetDlgItem(int id) const
{
    ASSERT(::IsWindow(m_hWnd));
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

int CWnd::GetDlgCtrlID() const
{
    ASSERT(::IsWindow(m_hWnd));
    return ::GetDlgCtrlID(m_hWnd);
}

void CWnd::SetDlgItemText(int id, LPCWSTR text)
{
    ASSERT(::IsWindow(m_hWnd));
    ::SetDlgItemTextW(m_hWnd, id, text);
}

int CWnd::GetDlgItemText(int id, CStringW& text) const
{
    ASSERT(::IsWindow(m_hWnd));
    text.Empty();
    if (HWND item = ::GetDlgItem(m_hWnd, id))
        CWnd::FromHandle(item)->GetWindowText(text);
    return text.GetLength();
}

CWnd* CWnd::GetParent() const
{
    ASSERT(::IsWindow(m_hWnd));
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::GetLastActivePopup() const
{
    ASSERT(::IsWindow(m_hWnd));
    return FromHandle(::GetLastActivePopup(m_hWnd));
}

DWORD CWnd::GetStyle() const
{
    ASSERT(::IsWindow(m_hWnd));
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const
{
    ASSERT(::IsWindow(m_hWnd));
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
}

namespace {

BOOL ModifyWindowLong(HWND window, int index, DWORD remove, DWORD add, UINT swpFlags)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window, index));
    const DWORD changed = (style & ~remove) | add;
    if (style == changed)
        return FALSE;
    ::SetWindowLongPtrW(window, index, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    ASSERT(::IsWindow(m_hWnd));
    return ModifyWindowLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags)
{
    ASSERT(::IsWindow(m_hWnd));
    return ModifyWindowLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int width, int height, UINT flags)
{
    ASSERT(::IsWindow(m_hWnd));
    return ::SetWindowPos(m_hWnd, insertAfter->GetSafeHwnd(), x, y, width, height, flags);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    ASSERT(::IsWindow(m_hWnd));
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(LPCRECT rect, BOOL repaint)
{
    MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* placement) const
{
    ASSERT(::IsWindow(m_hWnd));
    placement->length = sizeof(WINDOWPLACEMENT);
    return ::GetWindowPlacement(m_hWnd, placement);
}

BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* placement)
{
    ASSERT(::IsWindow(m_hWnd));
    WINDOWPLACEMENT copy = *placement;
    copy.length = sizeof(WINDOWPLACEMENT);
    return ::SetWindowPlacement(m_hWnd, &copy);
}

void CWnd::GetClientRect(LPRECT rect) const
{
    ASSERT(::IsWindow(m_hWnd));
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    ASSERT(::IsWindow(m_hWnd));
    ::GetWindowRect(m_hWnd, rect);
}

void CWnd::ClientToScreen(LPPOINT point) const
{
    ASSERT(::IsWindow(m_hWnd));
    ::ClientToScreen(m_hWnd, point);
}

void CWnd::ClientToScreen(LPRECT rect) const
{
    ASSERT(::IsWindow(m_hWnd));
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::ScreenToClient(LPPOINT point) const
{
    ASSERT(::IsWindow(m_hWnd));
    ::ScreenToClient(m_hWnd, point);
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    ASSERT(::IsWindow(m_hWnd));
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::Invalidate(BOOL erase)
{
    ASSERT(::IsWindow(m_hWnd));
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::InvalidateRect(LPCRECT rect, BOOL erase)
{
    ASSERT(::IsWindow(m_hWnd));
    ::InvalidateRect(m_hWnd, rect, erase);
}

void CWnd::UpdateWindow()
{
    ASSERT(::IsWindow(m_hWnd));
    ::UpdateWindow(m_hWnd);
}

BOOL CWnd::ShowWindow(int command)
{
    ASSERT(::IsWindow(m_hWnd));
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::IsWindowVisible() const
{
    ASSERT(::IsWindow(m_hWnd));
    return ::IsWindowVisible(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    ASSERT(::IsWindow(m_hWnd));
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::IsWindowEnabled() const
{
    ASSERT(::IsWindow(m_hWnd));
    return ::IsWindowEnabled(m_hWnd);
}

CWnd* CWnd::SetFocus()
{
    ASSERT(::IsWindow(m_hWnd));
    return FromHandle(::SetFocus(m_hWnd));
}

CWnd* AFXAPI CWnd::GetFocus()
{
    return FromHandle(::GetFocus());
}

void CWnd::SetWindowText(LPCWSTR text)
{
    ASSERT(::IsWindow(m_hWnd));
    ::SetWindowTextW(m_hWnd, text);
}

void CWnd::GetWindowText(CStringW& text) const
{
    ASSERT(::IsWindow(m_hWnd));
    const int length = ::GetWindowTextLengthW(m_hWnd);
    LPWSTR buffer = text.GetBuffer(length + 1);
    const int copied = ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer(copied);
}

int CWnd::GetWindowTextLength() const
{
    ASSERT(::IsWindow(m_hWnd));
    return ::GetWindowTextLengthW(m_hWnd);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC function)
{
    ASSERT(::IsWindow(m_hWnd));
    return ::SetTimer(m_hWnd, id, elapse, function);
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    ASSERT(::IsWindow(m_hWnd));
    return ::KillTimer(m_hWnd, id);
}

BOOL CWnd::GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask)
{
    ASSERT(::IsWindow(m_hWnd));
    info->cbSize = sizeof(SCROLLINFO);
    info->fMask = mask;
    return ::GetScrollInfo(m_hWnd, bar, info);
}

BOOL CWnd::SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw)
{
    ASSERT(::IsWindow(m_hWnd));
    info->cbSize = sizeof(SCROLLINFO);
    ::SetScrollInfo(m_hWnd, bar, info, redraw);
    return TRUE;
}

int CWnd::GetScrollPos(int bar) const
{
    ASSERT(::IsWindow(m_hWnd));
    return ::GetScrollPos(m_hWnd, bar);
}

int CWnd::SetScrollPos(int bar, int position, BOOL redraw)
{
    ASSERT(::IsWindow(m_hWnd));
    return ::SetScrollPos(m_hWnd, bar, position, redraw);
}

void CWnd::SetScrollRange(int bar, int minimum, int maximum, BOOL redraw)
{
    ASSERT(::IsWindow(m_hWnd));
    ::SetScrollRange(m_hWnd, bar, minimum, maximum, redraw);
}

CWnd* CWnd::SetCapture()
{
    ASSERT(::IsWindow(m_hWnd));
    return FromHandle(::SetCapture(m_hWnd));
}

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type)
{
    if (!caption)
        caption = AfxGetAppName();
    return ::MessageBoxW(GetSafeHwnd(), text, caption, type);
}

// --- dynamic layout -------------------------------------------------------------

void CWnd::EnableDynamicLayout(BOOL enable)
{
    delete m_pDynamicLayout;
    m_pDynamicLayout = enable ? new CMFCDynamicLayout : nullptr;
}

BOOL CWnd::LoadDynamicLayoutResource(LPCWSTR resourceName)
{
    static const LPCWSTR kLayoutType = L"AFX_DIALOG_LAYOUT";
    if (!resourceName || !::IsWindow(GetSafeHwnd()))
        return FALSE;
    HINSTANCE module = AfxFindResourceHandle(resourceName, kLayoutType);
    HRSRC resource = ::FindResourceW(module, resourceName, kLayoutType);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return FALSE;
    return CMFCDynamicLayout::LoadResource(this, data, ::SizeofResource(module, resource));
}

void CWnd::ResizeDynamicLayout()
{
    if (m_pDynamicLayout)
        m_pDynamicLayout->Adjust();
}

// --- window classes -------------------------------------------------------------

LPCWSTR AFXAPI AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::mutex lock;
    static std::set<std::wstring>* names = new std::set<std::wstring>;  // handed out for the process's life
    wchar_t name[96];
    HINSTANCE instance = AfxGetInstanceHandle();
    swprintf(name, 96, L"Afx:%p:%x:%p:%p:%p", static_cast<void*>(instance), classStyle,
             static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    std::lock_guard<std::mutex> guard(lock);
    WNDCLASSW existing = {};
    if (!::GetClassInfoW(instance, name, &existing)) {
        WNDCLASSW wc = {};
        wc.style = classStyle;
        wc.lpfnWndProc = ::DefWindowProcW;  // CreateEx hooks each window
        wc.hInstance = instance;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        if (!::RegisterClassW(&wc))
            return nullptr;
    }
    return names->insert(name).first->c_str();
}
