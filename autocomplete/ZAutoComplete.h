// ZAutoComplete: a drop-down list of completions under a single-line edit.
//
// CreateAndAttach hooks the object into the edit, its parent and (while the
// list is shown) its top-level window; it lives by itself and dies when the
// edit is destroyed. Typed text goes to the provider; the answer shows in a
// never-activated pop-up holding an owner-data list view, a scroll bar of its
// own and a size grip. The keyboard stays in the edit: Down, Up and Tab cycle
// through the rows (none, 0, 1, ..., last, none) writing each into the edit and
// restoring the typed text at the ends; Return accepts; Escape clears.
//
// All window and hook work runs on the edit's thread; only the refresh message
// crosses threads, posted by the provider's answer.
#pragma once

#include <windows.h>

#include <atomic>
#include <commctrl.h>

#include <map>
#include <mutex>
#include <string>

#include "autocomplete/ZAutoCompleteBase.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZUnknown.h"

class CWnd;

class TESSARO_API ZAutoComplete : public ZAutoCompleteBase {
public:
    // False, doing nothing, when edit already has a drop-down. source may be
    // null; sink must not be (Return always accepts).
    static bool CreateAndAttach(HWND edit, IAutoCompleteDataSource* source, IAutoCompleteSink* sink);
    ~ZAutoComplete() override;

    // Private messages, posted to the pop-up with both parameters 0.
    static constexpr UINT kRefreshMessage = WM_USER;
    static constexpr UINT kShowMessage = WM_USER + 1;
    static constexpr UINT kHideMessage = WM_USER + 2;

    // Registered at library load with the host executable's module.
    static void RegisterListViewParentWindowClass();
    static void UnregisterListViewParentWindowClass();

    // For tests and hosts that look: the pop-up of the drop-down attached to
    // edit, or null.
    static HWND FindListViewParentWindow(HWND edit);

private:
    ZAutoComplete(HWND edit, IAutoCompleteDataSource* source, IAutoCompleteSink* sink);
    void OnAutoComplete() override;
    using ZAutoCompleteBase::OnAutoComplete;

    // Attaching and detaching.
    bool AttachEditWindowSubclassProcedure();
    void DetachEditWindowSubclassProcedure();
    void AttachGetMessageHook();
    void DetachGetMessageHook();
    void AttachEditParentWindowSubclassProcedure();
    void DetachEditParentWindowSubclassProcedure();
    void AttachEditTopLevelParentWindowSubclassProcedure();
    void DetachEditTopLevelParentWindowSubclassProcedure();
    void AttachSizeboxWindowSubclassProcedure();
    void DetachSizeboxWindowSubclassProcedure();
    void Detach();

    // Windows.
    bool CreateListViewParentWindow();
    void DestroyListViewParentWindow();
    void CreateListViewWindow();
    void CreateScrollbarWindow();
    void CreateSizeboxWindow();
    void ShowListViewParentWindow();
    void HideListViewParentWindow();
    bool IsListViewParentWindowVisible() const;
    bool CanShowAutoCompleteListView() const;
    void UpdateScrollbar();
    void PostToListViewParent(UINT message) const;

    // Selection and the edit's text.
    void SelectItemAtIndex(size_t index, bool ensureVisible, bool updateEdit);
    void ClearItemSelection(bool restore);
    size_t GetSelectedItem() const { return m_nSelectedItem; }
    int GetItemCount() const;
    void SetEditText(const std::wstring& text);
    std::wstring GetEditText() const;
    void Accept(const std::wstring& text, bool fromList);

    // The edit.
    LRESULT EditWindowSubclassProcedure(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnEditKeyDown(WPARAM key);
    void OnEditKeyDownVirtualKeyDown();
    void OnEditKeyDownVirtualKeyUp();
    void OnEditKeyDownVirtualKeyTab();
    void OnEditKeyDownVirtualKeyReturn();
    void OnEditKeyDownVirtualKeyEscape();
    bool OnEditWindowPositionChanging(const WINDOWPOS* position);

    // The edit's parent and top-level window.
    LRESULT EditParentWindowSubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnEditParentCommand(WPARAM wParam, LPARAM lParam);
    void OnEditParentCommandChange();
    LRESULT EditTopLevelParentWindowSubclassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The pop-up and its children.
    LRESULT OnListViewParentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnListViewParentAutoComplete();
    void OnListViewParentSize();
    void OnListViewParentMinMaxInfo(MINMAXINFO* info);
    LRESULT OnListViewParentSetCursor();
    LRESULT OnListViewParentVerticalScroll(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnListViewParentNotify(HWND window, WPARAM wParam, LPARAM lParam);
    LRESULT OnListViewParentNotifyCustomDraw(NMLVCUSTOMDRAW* draw);
    void OnListViewParentNotifyGetDisplayInfo(NMLVDISPINFOW* info);
    void OnListViewParentNotifyHotTracking(const NMLISTVIEW* hot);
    void OnListViewParentNotifyClick(const NMITEMACTIVATE* click);
    LRESULT OnListViewMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnMouseHookMouseButtonDown(POINT point);
    bool PointInAutoCompleteWindows(POINT point) const;

    // The platform's entry points: each finds the object, holds a reference
    // while it handles the message and calls the member of the same name.
    static LRESULT CALLBACK EditWindowSubclassProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK EditParentWindowSubclassProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK EditTopLevelParentWindowSubclassProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR,
                                                                      DWORD_PTR);
    static LRESULT CALLBACK SizeboxWindowSubclassProcedure(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK ListViewParentWindowProcedure(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ListViewWindowProcedure(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK GetMessageHookProcedure(int, WPARAM, LPARAM);
    static LRESULT CALLBACK MouseHookProcedure(int, WPARAM, LPARAM);

    HWND m_hwndListView = nullptr;
    HWND m_hwndScrollbar = nullptr;
    HWND m_hwndSizebox = nullptr;
    std::atomic<HWND> m_hwndListViewParent{nullptr};  // read by the provider's thread too
    HWND m_hwndEdit = nullptr;
    HWND m_hwndEditParent = nullptr;
    HWND m_hwndEditTopLevelParent = nullptr;
    WNDPROC m_pfnListViewWindowProcedure = nullptr;
    HHOOK m_hMouseHook = nullptr;
    bool m_bEditHasFocus = false;
    bool m_bListViewParentSized = false;
    size_t m_nSelectedItem = static_cast<size_t>(-1);
    bool m_bHandleEditChange = true;
    std::wstring m_strEditText;

    struct HookCount {
        HHOOK hook;
        int count;
    };
    static std::map<HWND, ZUnknownPointer<ZAutoComplete>> m_mapHwndAutoComplete;
    static std::map<DWORD, ZUnknownPointer<ZAutoComplete>> m_mapThreadIdAutoComplete;
    static std::map<DWORD, HookCount> m_mapThreadIdHookCount;
    static std::mutex m_mutexAutoComplete;
    static bool m_bIsListViewParentWindowClassRegistered;
};

// Gives edit the shell's own file-system completion (folders only, or files
// and folders); unrelated to ZAutoComplete.
TESSARO_API void AddAutoComplete(CWnd* edit, bool foldersOnly);
