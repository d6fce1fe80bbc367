#include "autocomplete/ZAutoComplete.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace {

constexpr wchar_t kListViewParentClass[] = L"ZAutoCompleteListViewParentWindowClass";
constexpr wchar_t kObjectProperty[] = L"ZAutoCompleteListViewObjectPointerProperty";
constexpr size_t kNoItem = static_cast<size_t>(-1);
constexpr UINT_PTR kEditSubclassId = 0;

using GetWindowSubclassFunction = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);

// Not in every import library: looked up by its ordinal.
BOOL HasSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id)
{
    static const auto getWindowSubclass = reinterpret_cast<GetWindowSubclassFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"comctl32.dll"), reinterpret_cast<LPCSTR>(411))));
    DWORD_PTR data = 0;
    return getWindowSubclass && getWindowSubclass(window, procedure, id, &data);
}

bool KeyHeld(int key)
{
    return ::GetKeyState(key) < 0;
}

bool MovesOrSizes(const WINDOWPOS* position)
{
    return position && (!(position->flags & SWP_NOMOVE) || !(position->flags & SWP_NOSIZE));
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

// A reference for the length of one message.
ZUnknownPointer<ZAutoComplete> Hold(ZAutoComplete* object)
{
    return ZUnknownPointer<ZAutoComplete>(object);
}

}  // namespace

std::map<HWND, ZUnknownPointer<ZAutoComplete>> ZAutoComplete::m_mapHwndAutoComplete;
std::map<DWORD, ZUnknownPointer<ZAutoComplete>> ZAutoComplete::m_mapThreadIdAutoComplete;
std::map<DWORD, ZAutoComplete::HookCount> ZAutoComplete::m_mapThreadIdHookCount;
std::mutex ZAutoComplete::m_mutexAutoComplete;
bool ZAutoComplete::m_bIsListViewParentWindowClassRegistered = false;

// --- life -------------------------------------------------------------------

bool ZAutoComplete::CreateAndAttach(HWND edit, IAutoCompleteDataSource* source, IAutoCompleteSink* sink)
{
    if (!edit || !::IsWindow(edit) || HasSubclass(edit, EditWindowSubclassProcedure, kEditSubclassId))
        return false;
    // The windows and maps now hold what keeps it alive; a failed attach lets it go.
    ZAdoptReference(new ZAutoComplete(edit, source, sink));
    return true;
}

ZAutoComplete::ZAutoComplete(HWND edit, IAutoCompleteDataSource* source, IAutoCompleteSink* sink)
    : ZAutoCompleteBase(source, sink), m_hwndEdit(edit), m_hwndEditParent(::GetParent(edit))
{
    if (!AttachEditWindowSubclassProcedure())
        return;
    AttachGetMessageHook();
    AttachEditParentWindowSubclassProcedure();
    CreateListViewParentWindow();
    AttachSizeboxWindowSubclassProcedure();
    OnEditParentCommandChange();
}

ZAutoComplete::~ZAutoComplete() = default;

bool ZAutoComplete::AttachEditWindowSubclassProcedure()
{
    AddRef();
    if (::SetWindowSubclass(m_hwndEdit, EditWindowSubclassProcedure, kEditSubclassId,
                            reinterpret_cast<DWORD_PTR>(this)))
        return true;
    m_hwndEdit = nullptr;
    Release();
    return false;
}

void ZAutoComplete::AttachGetMessageHook()
{
    ZUnknownPointer<ZAutoComplete> replaced;
    {
        std::lock_guard<std::mutex> lock(m_mutexAutoComplete);
        ZUnknownPointer<ZAutoComplete>& entry = m_mapHwndAutoComplete[m_hwndEdit];
        replaced = std::move(entry);
        entry = this;
        const DWORD thread = ::GetCurrentThreadId();
        auto found = m_mapThreadIdHookCount.find(thread);
        if (found != m_mapThreadIdHookCount.end()) {
            ++found->second.count;
        } else {
            HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, GetMessageHookProcedure, nullptr, thread);
            m_mapThreadIdHookCount[thread] = HookCount{hook, 1};
        }
    }
    // Released outside the lock: a last release may run anything.
}

void ZAutoComplete::DetachGetMessageHook()
{
    ZUnknownPointer<ZAutoComplete> entry;
    {
        std::lock_guard<std::mutex> lock(m_mutexAutoComplete);
        const DWORD thread = ::GetCurrentThreadId();
        auto found = m_mapThreadIdHookCount.find(thread);
        if (found != m_mapThreadIdHookCount.end() && --found->second.count == 0) {
            if (found->second.hook)
                ::UnhookWindowsHookEx(found->second.hook);
            m_mapThreadIdHookCount.erase(found);
        }
        auto mine = m_mapHwndAutoComplete.find(m_hwndEdit);
        if (mine != m_mapHwndAutoComplete.end() && mine->second.Get() == this) {
            entry = std::move(mine->second);
            m_mapHwndAutoComplete.erase(mine);
        }
    }
}

void ZAutoComplete::AttachEditParentWindowSubclassProcedure()
{
    if (m_hwndEditParent)
        ::SetWindowSubclass(m_hwndEditParent, EditParentWindowSubclassProcedure, reinterpret_cast<UINT_PTR>(this),
                            reinterpret_cast<DWORD_PTR>(this));
}

void ZAutoComplete::DetachEditParentWindowSubclassProcedure()
{
    if (m_hwndEditParent)
        ::RemoveWindowSubclass(m_hwndEditParent, EditParentWindowSubclassProcedure, reinterpret_cast<UINT_PTR>(this));
}

void ZAutoComplete::AttachEditTopLevelParentWindowSubclassProcedure()
{
    m_hwndEditTopLevelParent = ::GetAncestor(m_hwndEdit, GA_ROOT);
    if (m_hwndEditTopLevelParent)
        ::SetWindowSubclass(m_hwndEditTopLevelParent, EditTopLevelParentWindowSubclassProcedure,
                            reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
}

void ZAutoComplete::DetachEditTopLevelParentWindowSubclassProcedure()
{
    if (m_hwndEditTopLevelParent)
        ::RemoveWindowSubclass(m_hwndEditTopLevelParent, EditTopLevelParentWindowSubclassProcedure,
                               reinterpret_cast<UINT_PTR>(this));
    m_hwndEditTopLevelParent = nullptr;
}

void ZAutoComplete::AttachSizeboxWindowSubclassProcedure()
{
    if (m_hwndSizebox)
        ::SetWindowSubclass(m_hwndSizebox, SizeboxWindowSubclassProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
}

void ZAutoComplete::DetachSizeboxWindowSubclassProcedure()
{
    if (m_hwndSizebox)
        ::RemoveWindowSubclass(m_hwndSizebox, SizeboxWindowSubclassProcedure, 0);
}

void ZAutoComplete::Detach()
{
    PostToListViewParent(kHideMessage);
    if (!::RemoveWindowSubclass(m_hwndEdit, EditWindowSubclassProcedure, kEditSubclassId))
        return;
    // A shown list leaves no hook or subclass behind: the hide message will
    // find the pop-up gone.
    if (m_hMouseHook) {
        ::UnhookWindowsHookEx(std::exchange(m_hMouseHook, nullptr));
        DetachEditTopLevelParentWindowSubclassProcedure();
        ZUnknownPointer<ZAutoComplete> entry;
        std::lock_guard<std::mutex> lock(m_mutexAutoComplete);
        auto found = m_mapThreadIdAutoComplete.find(::GetCurrentThreadId());
        if (found != m_mapThreadIdAutoComplete.end() && found->second.Get() == this) {
            entry = std::move(found->second);
            m_mapThreadIdAutoComplete.erase(found);
        }
    }
    DetachSizeboxWindowSubclassProcedure();
    DestroyListViewParentWindow();
    DetachEditParentWindowSubclassProcedure();
    DetachGetMessageHook();
    m_hwndEdit = nullptr;
    Release();  // the edit subclass's reference
}

// --- the pop-up ---------------------------------------------------------------

void ZAutoComplete::RegisterListViewParentWindowClass()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DROPSHADOW;
    windowClass.lpfnWndProc = ListViewParentWindowProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kListViewParentClass;
    m_bIsListViewParentWindowClassRegistered =
        ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void ZAutoComplete::UnregisterListViewParentWindowClass()
{
    if (m_bIsListViewParentWindowClassRegistered)
        ::UnregisterClassW(kListViewParentClass, ::GetModuleHandleW(nullptr));
    m_bIsListViewParentWindowClassRegistered = false;
}

HWND ZAutoComplete::FindListViewParentWindow(HWND edit)
{
    std::lock_guard<std::mutex> lock(m_mutexAutoComplete);
    auto found = m_mapHwndAutoComplete.find(edit);
    return found == m_mapHwndAutoComplete.end() ? nullptr : found->second->m_hwndListViewParent.load();
}

bool ZAutoComplete::CreateListViewParentWindow()
{
    return ::CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOPARENTNOTIFY,
                             kListViewParentClass, L"", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER, 0,
                             0, 0, 0, nullptr, nullptr, ::GetModuleHandleW(nullptr), this) != nullptr;
}

void ZAutoComplete::DestroyListViewParentWindow()
{
    if (m_hwndListViewParent)
        ::DestroyWindow(m_hwndListViewParent);
}

void ZAutoComplete::CreateListViewWindow()
{
    m_hwndListView = ::CreateWindowExW(0, WC_LISTVIEWW, L"",
                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                                           LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOCOLUMNHEADER,
                                       0, 0, 0, 0, m_hwndListViewParent, nullptr, nullptr, nullptr);
    if (!m_hwndListView)
        return;
    // The property holds the object (no reference) in a block of its own.
    if (HGLOBAL block = ::GlobalAlloc(GMEM_ZEROINIT, sizeof(void*))) {
        if (auto* slot = static_cast<ZAutoComplete**>(::GlobalLock(block))) {
            *slot = this;
            ::GlobalUnlock(block);
        }
        if (!::SetPropW(m_hwndListView, kObjectProperty, block))
            ::GlobalFree(block);
    }
    m_pfnListViewWindowProcedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(m_hwndListView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListViewWindowProcedure)));
    ::SendMessageW(m_hwndListView, LVM_SETHOTCURSOR, 0, reinterpret_cast<LPARAM>(::LoadCursorW(nullptr, IDC_ARROW)));
    const DWORD extended = LVS_EX_TRACKSELECT | LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_DOUBLEBUFFER;
    ::SendMessageW(m_hwndListView, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = static_cast<int>(
        static_cast<uint16_t>(::GetSystemMetrics(SM_CXMAXTRACK) - ::GetSystemMetrics(SM_CXVSCROLL)));
    ::SendMessageW(m_hwndListView, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void ZAutoComplete::CreateScrollbarWindow()
{
    m_hwndScrollbar = ::CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_VERT | SBS_RIGHTALIGN, 0,
                                        0, 0, 0, m_hwndListViewParent, nullptr, nullptr, nullptr);
}

void ZAutoComplete::CreateSizeboxWindow()
{
    m_hwndSizebox =
        ::CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_SIZEBOX | SBS_SIZEBOXBOTTOMRIGHTALIGN, 0,
                          0, 0, 0, m_hwndListViewParent, nullptr, nullptr, nullptr);
}

void ZAutoComplete::PostToListViewParent(UINT message) const
{
    // Never a null window: that would post to the calling thread itself.
    if (HWND popup = m_hwndListViewParent)
        ::PostMessageW(popup, message, 0, 0);
}

bool ZAutoComplete::IsListViewParentWindowVisible() const
{
    return m_hwndListViewParent && ::IsWindowVisible(m_hwndListViewParent);
}

int ZAutoComplete::GetItemCount() const
{
    return m_hwndListView ? static_cast<int>(::SendMessageW(m_hwndListView, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

bool ZAutoComplete::CanShowAutoCompleteListView() const
{
    return m_bEditHasFocus && GetItemCount() >= 1;
}

void ZAutoComplete::ShowListViewParentWindow()
{
    if (!CanShowAutoCompleteListView() || !m_hwndEdit)
        return;
    const RECT edit = WindowRect(m_hwndEdit);
    UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    int width = 0, height = 0;
    if (m_bListViewParentSized) {
        flags |= SWP_NOSIZE;
    } else {
        width = 2 * (edit.right - edit.left);
        const RECT root = WindowRect(::GetAncestor(m_hwndEdit, GA_ROOT));
        const LRESULT approximate = ::SendMessageW(m_hwndListView, LVM_APPROXIMATEVIEWRECT, GetItemCount(),
                                                   MAKELPARAM(-1, -1));
        height = std::min<int>((root.bottom - root.top) / 2, HIWORD(approximate));
    }
    ::SetWindowPos(m_hwndListViewParent, HWND_TOP, edit.left, edit.bottom, width, height, flags);
    if (m_hMouseHook)
        return;
    // The hook first: without it nothing else is attached, since the hook is
    // what tells Hide and Detach that there is something to undo. Its
    // procedure runs only when this thread next handles mouse input.
    m_hMouseHook = ::SetWindowsHookExW(WH_MOUSE, MouseHookProcedure, nullptr, ::GetCurrentThreadId());
    if (!m_hMouseHook)
        return;
    AttachEditTopLevelParentWindowSubclassProcedure();
    ZUnknownPointer<ZAutoComplete> replaced;
    {
        std::lock_guard<std::mutex> lock(m_mutexAutoComplete);
        ZUnknownPointer<ZAutoComplete>& entry = m_mapThreadIdAutoComplete[::GetCurrentThreadId()];
        replaced = std::move(entry);
        entry = this;
    }
}

void ZAutoComplete::HideListViewParentWindow()
{
    if (m_hwndListViewParent)
        ::ShowWindow(m_hwndListViewParent, SW_HIDE);
    ClearItemSelection(true);
    if (!m_hMouseHook)
        return;
    DetachEditTopLevelParentWindowSubclassProcedure();
    ::UnhookWindowsHookEx(std::exchange(m_hMouseHook, nullptr));
    ZUnknownPointer<ZAutoComplete> entry;
    std::lock_guard<std::mutex> lock(m_mutexAutoComplete);
    auto found = m_mapThreadIdAutoComplete.find(::GetCurrentThreadId());
    if (found != m_mapThreadIdAutoComplete.end()) {
        entry = std::move(found->second);
        m_mapThreadIdAutoComplete.erase(found);
    }
}

void ZAutoComplete::UpdateScrollbar()
{
    if (!m_hwndScrollbar || !m_hwndListView)
        return;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    const bool scrolls = (::GetWindowLongPtrW(m_hwndListView, GWL_STYLE) & WS_VSCROLL) &&
                         ::GetScrollInfo(m_hwndListView, SB_VERT, &info) && info.nMax != info.nMin;
    if (scrolls)
        ::SetScrollInfo(m_hwndScrollbar, SB_CTL, &info, TRUE);
    ::ShowScrollBar(m_hwndScrollbar, SB_CTL, scrolls);
}

// --- selection and the edit's text ---------------------------------------------

void ZAutoComplete::SelectItemAtIndex(size_t index, bool ensureVisible, bool updateEdit)
{
    if (static_cast<int>(index) >= 0 && static_cast<int>(index) < GetItemCount()) {
        m_nSelectedItem = index;
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        ::SendMessageW(m_hwndListView, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
        if (ensureVisible) {
            ::SendMessageW(m_hwndListView, LVM_ENSUREVISIBLE, index, FALSE);
            UpdateScrollbar();
        }
        if (updateEdit)
            SetEditText(GetCompletionAtIndex(index));
    } else {
        ClearItemSelection(updateEdit);
    }
}

void ZAutoComplete::ClearItemSelection(bool restore)
{
    if (m_nSelectedItem == kNoItem)
        return;
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    if (m_hwndListView)
        ::SendMessageW(m_hwndListView, LVM_SETITEMSTATE, m_nSelectedItem, reinterpret_cast<LPARAM>(&item));
    m_nSelectedItem = kNoItem;
    if (restore)
        SetEditText(m_strEditText);
}

void ZAutoComplete::SetEditText(const std::wstring& text)
{
    if (!m_hwndEdit)
        return;
    m_bHandleEditChange = false;
    ::SetWindowTextW(m_hwndEdit, text.c_str());
    const WPARAM end = text.size();
    ::SendMessageW(m_hwndEdit, EM_SETSEL, end, static_cast<LPARAM>(end));
    m_bHandleEditChange = true;
}

std::wstring ZAutoComplete::GetEditText() const
{
    const int length = ::GetWindowTextLengthW(m_hwndEdit);
    if (length < 1)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(m_hwndEdit, text.data(), length + 1)));
    return text;
}

void ZAutoComplete::Accept(const std::wstring& text, bool fromList)
{
    const bool alt = KeyHeld(VK_MENU), control = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT);
    PostToListViewParent(kHideMessage);
    ZAutoCompleteBase::Accept(text.c_str(), fromList, alt, control, shift, this);
}

void ZAutoComplete::OnAutoComplete()
{
    PostToListViewParent(kRefreshMessage);
}

// --- the edit ---------------------------------------------------------------------

LRESULT ZAutoComplete::EditWindowSubclassProcedure(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND edit = m_hwndEdit;
    switch (message) {
    case WM_KEYDOWN:
        if (OnEditKeyDown(wParam))
            return 0;
        break;
    case WM_KEYUP:
        if (wParam == VK_UP || wParam == VK_DOWN)
            return 0;
        break;
    case WM_WINDOWPOSCHANGING:
        if (OnEditWindowPositionChanging(reinterpret_cast<const WINDOWPOS*>(lParam)))
            PostToListViewParent(kHideMessage);
        break;
    case WM_NCDESTROY:
        Detach();
        break;
    default:
        break;
    }
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

bool ZAutoComplete::OnEditWindowPositionChanging(const WINDOWPOS* position)
{
    const HWND parent = ::GetParent(m_hwndEdit);
    if (parent != m_hwndEditParent) {
        // The edit moved to another parent: the notifications come from there now.
        DetachEditParentWindowSubclassProcedure();
        m_hwndEditParent = parent;
        AttachEditParentWindowSubclassProcedure();
        return false;
    }
    return MovesOrSizes(position);
}

bool ZAutoComplete::OnEditKeyDown(WPARAM key)
{
    switch (key) {
    case VK_DOWN:
        OnEditKeyDownVirtualKeyDown();
        return true;
    case VK_UP:
        OnEditKeyDownVirtualKeyUp();
        return true;
    case VK_TAB:
        OnEditKeyDownVirtualKeyTab();
        return true;
    case VK_RETURN:
        OnEditKeyDownVirtualKeyReturn();
        return true;
    case VK_ESCAPE:
        OnEditKeyDownVirtualKeyEscape();
        return true;
    default:
        return false;
    }
}

void ZAutoComplete::OnEditKeyDownVirtualKeyDown()
{
    PostToListViewParent(kShowMessage);
    SelectItemAtIndex(m_nSelectedItem == kNoItem ? 0 : m_nSelectedItem + 1, true, true);
}

void ZAutoComplete::OnEditKeyDownVirtualKeyUp()
{
    PostToListViewParent(kShowMessage);
    if (m_nSelectedItem == kNoItem) {
        if (const int count = GetItemCount(); count > 0)
            SelectItemAtIndex(static_cast<size_t>(count - 1), true, true);
    } else if (m_nSelectedItem == 0) {
        ClearItemSelection(true);
    } else {
        SelectItemAtIndex(m_nSelectedItem - 1, true, true);
    }
}

void ZAutoComplete::OnEditKeyDownVirtualKeyTab()
{
    if (KeyHeld(VK_SHIFT))
        OnEditKeyDownVirtualKeyUp();
    else
        OnEditKeyDownVirtualKeyDown();
}

void ZAutoComplete::OnEditKeyDownVirtualKeyReturn()
{
    if (IsListViewParentWindowVisible() && m_nSelectedItem != kNoItem)
        Accept(GetCompletionAtIndex(m_nSelectedItem), true);
    else
        Accept(GetEditText(), false);
}

void ZAutoComplete::OnEditKeyDownVirtualKeyEscape()
{
    const bool visible = IsListViewParentWindowVisible();
    // Counts as typed: the provider is asked for the empty text.
    ::SetWindowTextW(m_hwndEdit, L"");
    if (visible)
        PostToListViewParent(kHideMessage);
}

// --- the edit's parent and top-level window ------------------------------------------

LRESULT ZAutoComplete::EditParentWindowSubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == m_hwndEdit && m_hwndEdit)
        OnEditParentCommand(wParam, lParam);
    else if (message == WM_WINDOWPOSCHANGING && MovesOrSizes(reinterpret_cast<const WINDOWPOS*>(lParam)))
        PostToListViewParent(kHideMessage);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void ZAutoComplete::OnEditParentCommand(WPARAM wParam, LPARAM)
{
    switch (HIWORD(wParam)) {
    case EN_SETFOCUS:
        m_bEditHasFocus = true;
        break;
    case EN_KILLFOCUS:
        m_bEditHasFocus = false;
        PostToListViewParent(kHideMessage);
        break;
    case EN_CHANGE:
        OnEditParentCommandChange();
        break;
    default:
        break;
    }
}

void ZAutoComplete::OnEditParentCommandChange()
{
    if (!m_bHandleEditChange)
        return;
    m_strEditText = GetEditText();
    AutoComplete(m_strEditText.c_str());
}

LRESULT ZAutoComplete::EditTopLevelParentWindowSubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                                                 LPARAM lParam)
{
    switch (message) {
    case WM_WINDOWPOSCHANGING:
        if (MovesOrSizes(reinterpret_cast<const WINDOWPOS*>(lParam)))
            PostToListViewParent(kHideMessage);
        break;
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
        PostToListViewParent(kHideMessage);
        break;
    case WM_NCACTIVATE:
        // The pop-up never activates: the frame stays active while it shows.
        if (!wParam && ::GetForegroundWindow() == window && ::IsWindowEnabled(window))
            return 0;
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// --- the pop-up's messages ---------------------------------------------------------------

LRESULT ZAutoComplete::OnListViewParentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case kRefreshMessage:
        OnListViewParentAutoComplete();
        return 0;
    case kShowMessage:
        ShowListViewParentWindow();
        return 0;
    case kHideMessage:
        HideListViewParentWindow();
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        return OnListViewParentSetCursor();
    case WM_GETMINMAXINFO:
        OnListViewParentMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_SIZING:
        m_bListViewParentSized = true;
        break;
    case WM_SIZE:
        OnListViewParentSize();
        return 0;
    case WM_VSCROLL:
        return OnListViewParentVerticalScroll(window, wParam, lParam);
    case WM_NOTIFY:
        return OnListViewParentNotify(window, wParam, lParam);
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void ZAutoComplete::OnListViewParentAutoComplete()
{
    if (m_nSelectedItem != kNoItem)
        ClearItemSelection(false);
    const size_t count = GetCompletionCount();
    ::SendMessageW(m_hwndListView, LVM_SETITEMCOUNT, count, 0);
    if (count >= 1) {
        // Only the rows in view have anything to redraw; asking for all of them
        // costs one invalidation per row, seconds for a long list.
        const size_t top = static_cast<size_t>(::SendMessageW(m_hwndListView, LVM_GETTOPINDEX, 0, 0));
        const size_t page = static_cast<size_t>(::SendMessageW(m_hwndListView, LVM_GETCOUNTPERPAGE, 0, 0));
        const size_t last = std::min(count - 1, top + page);
        if (top <= last)
            ::SendMessageW(m_hwndListView, LVM_REDRAWITEMS, top, static_cast<LPARAM>(last));
    }
    PostToListViewParent(count >= 1 ? kShowMessage : kHideMessage);
    UpdateScrollbar();
}

void ZAutoComplete::OnListViewParentSize()
{
    RECT client = {};
    ::GetClientRect(m_hwndListViewParent, &client);
    const int bar = ::GetSystemMetrics(SM_CXVSCROLL);
    const UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
    // Far wider than the pop-up: the list's own scroll bar falls outside and is clipped away.
    ::SetWindowPos(m_hwndListView, HWND_BOTTOM, client.left, client.top, ::GetSystemMetrics(SM_CXMAXTRACK),
                   client.bottom, flags);
    ::SetWindowPos(m_hwndScrollbar, nullptr, client.right - bar, client.top, bar, client.bottom - bar,
                   flags | SWP_NOZORDER);
    ::SetWindowPos(m_hwndSizebox, nullptr, client.right - bar, client.bottom - bar, bar, bar, flags | SWP_NOZORDER);
    UpdateScrollbar();
}

void ZAutoComplete::OnListViewParentMinMaxInfo(MINMAXINFO* info)
{
    if (m_hwndEdit) {
        const RECT edit = WindowRect(m_hwndEdit);
        info->ptMaxPosition = POINT{edit.left, edit.bottom};
    }
    const int bar = ::GetSystemMetrics(SM_CXVSCROLL);
    info->ptMinTrackSize = POINT{bar, bar};
}

LRESULT ZAutoComplete::OnListViewParentSetCursor()
{
    POINT point = {};
    ::GetCursorPos(&point);
    const bool onGrip = m_hwndSizebox && ::WindowFromPoint(point) == m_hwndSizebox;
    ::SetCursor(::LoadCursorW(nullptr, onGrip ? IDC_SIZENWSE : IDC_ARROW));
    return TRUE;
}

LRESULT ZAutoComplete::OnListViewParentVerticalScroll(HWND window, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    const int request = LOWORD(wParam);
    if (request == SB_THUMBPOSITION || request == SB_THUMBTRACK) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        if (!::GetScrollInfo(m_hwndScrollbar, SB_CTL, &info)) {
            UpdateScrollbar();
            return ::DefWindowProcW(window, WM_VSCROLL, wParam, lParam);
        }
        // Dragging down brings the last row of the new page into view.
        const int row = info.nTrackPos > info.nPos ? info.nTrackPos - 1 + static_cast<int>(info.nPage) : info.nTrackPos;
        result = ::SendMessageW(m_hwndListView, LVM_ENSUREVISIBLE, row, FALSE);
    } else {
        result = ::SendMessageW(m_hwndListView, WM_VSCROLL, wParam, 0);
    }
    UpdateScrollbar();
    return result;
}

LRESULT ZAutoComplete::OnListViewParentNotify(HWND window, WPARAM wParam, LPARAM lParam)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->hwndFrom == m_hwndListView) {
        switch (header->code) {
        case NM_CUSTOMDRAW:
            return OnListViewParentNotifyCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        case LVN_GETDISPINFOW:
            OnListViewParentNotifyGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return 0;
        case LVN_HOTTRACK:
            OnListViewParentNotifyHotTracking(reinterpret_cast<NMLISTVIEW*>(lParam));
            break;
        case NM_CLICK:
            OnListViewParentNotifyClick(reinterpret_cast<NMITEMACTIVATE*>(lParam));
            return 0;
        default:
            break;
        }
    }
    return ::DefWindowProcW(window, WM_NOTIFY, wParam, lParam);
}

LRESULT ZAutoComplete::OnListViewParentNotifyCustomDraw(NMLVCUSTOMDRAW* draw)
{
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    const size_t row = draw->nmcd.dwItemSpec;
    const bool selected = row == m_nSelectedItem;
    const HDC dc = draw->nmcd.hdc;
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    ::SendMessageW(m_hwndListView, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::SetBkColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    // Lined up with the text in the edit.
    const int margin = m_hwndEdit ? LOWORD(::SendMessageW(m_hwndEdit, EM_GETMARGINS, 0, 0)) : 0;
    const std::wstring text = GetCompletionAtIndex(row);
    ::ExtTextOutW(dc, bounds.left + margin, bounds.top, ETO_OPAQUE | ETO_CLIPPED, &bounds, text.c_str(),
                  static_cast<UINT>(std::min<size_t>(text.size(), INT_MAX)), nullptr);
    return CDRF_SKIPDEFAULT;
}

void ZAutoComplete::OnListViewParentNotifyGetDisplayInfo(NMLVDISPINFOW* info)
{
    LVITEMW& item = info->item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax >= 1) {
        const std::wstring text = GetCompletionAtIndex(static_cast<size_t>(item.iItem));
        const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
        text.copy(item.pszText, length);
        item.pszText[length] = L'\0';
    }
    if (item.mask & LVIF_INDENT)
        item.iIndent = 0;
}

void ZAutoComplete::OnListViewParentNotifyHotTracking(const NMLISTVIEW* hot)
{
    if (hot->iItem < 0)
        return;
    if (hot->iItem < GetItemCount())
        SelectItemAtIndex(static_cast<size_t>(hot->iItem), false, false);
    else
        ClearItemSelection(false);
}

void ZAutoComplete::OnListViewParentNotifyClick(const NMITEMACTIVATE* click)
{
    if (click->iItem != -1)
        Accept(GetCompletionAtIndex(static_cast<size_t>(click->iItem)), true);
}

LRESULT ZAutoComplete::OnListViewMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC own = m_pfnListViewWindowProcedure;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK: {
        LVHITTESTINFO hit = {};
        hit.pt = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (::SendMessageW(window, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 || hit.iItem < 0)
            return 0;  // empty space: nothing to choose
        break;
    }
    case WM_NCDESTROY:
        if (HANDLE block = ::RemovePropW(window, kObjectProperty))
            ::GlobalFree(block);
        m_hwndListView = nullptr;
        break;
    default:
        break;
    }
    return ::CallWindowProcW(own, window, message, wParam, lParam);
}

void ZAutoComplete::OnMouseHookMouseButtonDown(POINT point)
{
    if (!PointInAutoCompleteWindows(point))
        PostToListViewParent(kHideMessage);
}

bool ZAutoComplete::PointInAutoCompleteWindows(POINT point) const
{
    const RECT edit = m_hwndEdit ? WindowRect(m_hwndEdit) : RECT{};
    const RECT popup = m_hwndListViewParent ? WindowRect(m_hwndListViewParent) : RECT{};
    return ::PtInRect(&edit, point) || ::PtInRect(&popup, point);
}

// --- the platform's entry points ----------------------------------------------------------

LRESULT CALLBACK ZAutoComplete::EditWindowSubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                                            LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto self = Hold(reinterpret_cast<ZAutoComplete*>(data));
    if (!self || !self->m_hwndEdit)
        return ::DefSubclassProc(window, message, wParam, lParam);
    return self->EditWindowSubclassProcedure(message, wParam, lParam);
}

LRESULT CALLBACK ZAutoComplete::EditParentWindowSubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                                                  LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto self = Hold(reinterpret_cast<ZAutoComplete*>(data));
    return self->EditParentWindowSubclassProcedure(window, message, wParam, lParam);
}

LRESULT CALLBACK ZAutoComplete::EditTopLevelParentWindowSubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                                                          LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto self = Hold(reinterpret_cast<ZAutoComplete*>(data));
    return self->EditTopLevelParentWindowSubclassProcedure(window, message, wParam, lParam);
}

LRESULT CALLBACK ZAutoComplete::SizeboxWindowSubclassProcedure(HWND window, UINT message, WPARAM wParam,
                                                               LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK:
        return 0;  // a double-click on the grip would maximise nothing useful
    default:
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK ZAutoComplete::ListViewParentWindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                              LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ZAutoComplete*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->AddRef();  // the window's, until WM_NCDESTROY
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hwndListViewParent = window;
        self->CreateListViewWindow();
        self->CreateScrollbarWindow();
        self->CreateSizeboxWindow();
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    auto* object = reinterpret_cast<ZAutoComplete*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->m_hwndListViewParent = nullptr;
        object->Release();
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    auto self = Hold(object);
    return self->OnListViewParentMessage(window, message, wParam, lParam);
}

LRESULT CALLBACK ZAutoComplete::ListViewWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ZAutoComplete* object = nullptr;
    if (HANDLE block = ::GetPropW(window, kObjectProperty)) {
        if (auto* slot = static_cast<ZAutoComplete**>(::GlobalLock(block))) {
            object = *slot;
            ::GlobalUnlock(block);
        }
    }
    if (!object)
        return ::DefWindowProcW(window, message, wParam, lParam);
    auto self = Hold(object);
    return self->OnListViewMessage(window, message, wParam, lParam);
}

LRESULT CALLBACK ZAutoComplete::GetMessageHookProcedure(int code, WPARAM wParam, LPARAM lParam)
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_TAB || msg->wParam == VK_ESCAPE)) {
        ZUnknownPointer<ZAutoComplete> self;
        {
            std::lock_guard<std::mutex> lock(m_mutexAutoComplete);
            auto found = m_mapHwndAutoComplete.find(msg->hwnd);
            if (found != m_mapHwndAutoComplete.end())
                self = found->second;
        }
        // Tab and Escape belong to the drop-down, not to a dialog's keyboard handling.
        if (self) {
            const WPARAM key = msg->wParam;
            msg->message = WM_NULL;
            if (wParam == PM_REMOVE)
                self->OnEditKeyDown(key);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK ZAutoComplete::MouseHookProcedure(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0 && (wParam == WM_LBUTTONDOWN || wParam == WM_RBUTTONDOWN || wParam == WM_MBUTTONDOWN ||
                      wParam == WM_XBUTTONDOWN)) {
        ZUnknownPointer<ZAutoComplete> self;
        {
            std::lock_guard<std::mutex> lock(m_mutexAutoComplete);
            auto found = m_mapThreadIdAutoComplete.find(::GetCurrentThreadId());
            if (found != m_mapThreadIdAutoComplete.end())
                self = found->second;
        }
        if (self)
            self->OnMouseHookMouseButtonDown(reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
