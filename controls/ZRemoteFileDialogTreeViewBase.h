// ZRemoteFileDialogTreeViewBase: the window-free controller of the remote
// folder browse dialog. It implements the operation's sink and drives the
// operation: the initial path, lazy listings on select and expand, the start
// path opened level by level (one listing of the root, every level below it
// inserted directly, the last one listed through its selection), and new
// folders made from an edited placeholder. The tree itself is reached only
// through the virtual operations, which the window class supplies.
//
// At most one request is outstanding: while busy the OK button is disabled,
// the selection cannot move and the user cannot expand items.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "controls/IRemoteFileDialog.h"
#include "foundation/TessaroApi.h"

class CWnd;

// The data of every tree item; deleted when the tree deletes the item.
struct RemoteFolderItem {
    IRemoteFileDialogEntry* entry = nullptr;  // one reference; null for a new folder's placeholder
    bool listed = false;
    std::wstring displayName;                 // the tree's text points into it
};

class TESSARO_API ZRemoteFileDialogTreeViewBase : public IRemoteFileDialogOperationSink {
public:
    // The context menu's command.
    static constexpr UINT kNewFolderCommand = 33000;

    explicit ZRemoteFileDialogTreeViewBase(IRemoteFileDialogOperation* operation);

    void OnListEntry(IRemoteFileDialogEntry* entry) override;
    void OnListComplete(unsigned error, IReportMessageParams* report) override;
    void OnInitialPath(unsigned error, IReportMessageParams* report, const wchar_t* path) override;
    void OnCreateFolderComplete(int error, IReportMessageParams* report) override;
    virtual ~ZRemoteFileDialogTreeViewBase();

    ZRemoteFileDialogTreeViewBase(const ZRemoteFileDialogTreeViewBase&) = delete;
    ZRemoteFileDialogTreeViewBase& operator=(const ZRemoteFileDialogTreeViewBase&) = delete;

    // The tree, as the window class supplies it.
    virtual HTREEITEM InsertItem(HTREEITEM parent, RemoteFolderItem* record) = 0;
    virtual void SelectItem(HTREEITEM item) = 0;
    virtual HTREEITEM GetChildItem(HTREEITEM item) = 0;
    virtual HTREEITEM GetNextSiblingItem(HTREEITEM item) = 0;
    virtual HTREEITEM GetSelectedItem() = 0;
    virtual RemoteFolderItem* GetItemRecord(HTREEITEM item) = 0;
    virtual bool ItemHasChildren(HTREEITEM item) = 0;
    virtual void DeleteChildren(HTREEITEM item) = 0;
    virtual void SortChildren(HTREEITEM item) = 0;
    virtual void Expand(HTREEITEM item) = 0;
    virtual void SetChildCount(HTREEITEM item, int count) = 0;
    virtual void SetBusy(bool busy) = 0;
    virtual CWnd* GetDialog() = 0;
    virtual void ShowReport(IReportMessageParams* report) = 0;
    virtual void ShowContextMenu(POINT point) = 0;
    virtual HTREEITEM HitTest(POINT screen) = 0;
    virtual bool GetItemScreenRect(HTREEITEM item, RECT& rect) = 0;
    virtual void EditLabel(HTREEITEM item) = 0;

    // Called by the dialog and the tree's notifications.
    void Start(const std::wstring& initialPath);
    bool StartListing(HTREEITEM item, bool force);
    bool IsBusy() const { return m_busy; }
    // False refuses the change.
    bool OnSelectionChanging();
    void OnSelectionChanged(HTREEITEM oldItem, HTREEITEM newItem);
    bool OnItemExpanding(HTREEITEM item, bool expanding);
    void OnGetDisplayInfo(HTREEITEM item, TVITEMW& info);
    void OnDeleteItem(HTREEITEM item, LPARAM data);
    bool OnBeginLabelEdit();
    void OnEndLabelEdit(const wchar_t* text);
    void OnContextMenu(POINT screen);
    void OnNewFolder();
    // The full path of the selected folder; false when it has none.
    bool GetSelectedPath(std::wstring& path);
    IRemoteFileDialogOperation* GetOperation() const { return m_operation; }

protected:
    // Enables or disables the dialog's OK button.
    virtual void EnableOK(bool enable) = 0;
    // Ends the dialog as Cancel would (the initial path could not be had).
    virtual void CancelDialog() = 0;

    void EnterBusy();
    void LeaveBusy();
    void ReleasePathComponents();
    void DeleteStaleChildren();
    void ExpandAsController(HTREEITEM item);
    void ShowFailure(uint32_t messageId, IReportMessageParams* report);
    void WalkStartPath(HTREEITEM item);
    void SelectPendingName(HTREEITEM item);
    // Selects item again without listing it; nothing for null.
    void RestoreSelection(HTREEITEM item);

    IRemoteFileDialogOperation* m_operation;
    HTREEITEM m_listingItem = nullptr;
    std::wstring m_path;
    uint32_t m_entryCount = 0;
    bool m_firstEntryPending = false;
    RemotePathComponents m_pathComponents;
    bool m_expanding = false;
    bool m_busy = false;
    HTREEITEM m_previousSelection = nullptr;
    bool m_labelEditAllowed = false;
    bool m_editingNewFolder = false;     // a placeholder's name is being edited
    bool m_restoringSelection = false;
    HTREEITEM m_targetItem = nullptr;
    std::wstring m_pendingName;
};
