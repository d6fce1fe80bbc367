// The remote folder browse dialog: a modal "Browse for Folder" dialog with a
// lazily filled tree of the folders of a remote file system that the host's
// operation lists.
//
//   ShowRemoteFileDialog       runs the dialog; true with the chosen path
//   ZRemoteFileDialogTreeView  the tree control, supplying the controller's tree
//   ZRemoteFileDialogBase      the dialog (template 3017), owning the tree view
//   ZRemoteFileDialog          the dialog with its initial path
#pragma once

#include <afxcmn.h>

#include <memory>
#include <string>

#include "controls/IRemoteFileDialog.h"
#include "controls/ZDialog.h"
#include "controls/ZRemoteFileDialogTreeViewBase.h"
#include "foundation/TessaroApi.h"

class ZRemoteFileDialogBase;

class TESSARO_API ZRemoteFileDialogTreeView : public CTreeCtrl, public ZRemoteFileDialogTreeViewBase {
public:
    ZRemoteFileDialogTreeView(IRemoteFileDialogOperation* operation, ZRemoteFileDialogBase& dialog);

    HTREEITEM InsertItem(HTREEITEM parent, RemoteFolderItem* record) override;
    void SelectItem(HTREEITEM item) override;
    HTREEITEM GetChildItem(HTREEITEM item) override;
    HTREEITEM GetNextSiblingItem(HTREEITEM item) override;
    HTREEITEM GetSelectedItem() override;
    RemoteFolderItem* GetItemRecord(HTREEITEM item) override;
    bool ItemHasChildren(HTREEITEM item) override;
    void DeleteChildren(HTREEITEM item) override;
    void SortChildren(HTREEITEM item) override;
    void Expand(HTREEITEM item) override;
    void SetChildCount(HTREEITEM item, int count) override;
    void SetBusy(bool busy) override;
    CWnd* GetDialog() override;
    void ShowReport(IReportMessageParams* report) override;
    void ShowContextMenu(POINT point) override;
    HTREEITEM HitTest(POINT screen) override;
    bool GetItemScreenRect(HTREEITEM item, RECT& rect) override;
    void EditLabel(HTREEITEM item) override;

    BOOL PreTranslateMessage(MSG* msg) override;
    HWND GetLabelEdit() const { return m_labelEdit; }

protected:
    void EnableOK(bool enable) override;
    void CancelDialog() override;

    afx_msg void OnSelChanging(NMHDR* header, LRESULT* result);
    afx_msg void OnSelChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnItemExpanding(NMHDR* header, LRESULT* result);
    afx_msg void OnGetDispInfo(NMHDR* header, LRESULT* result);
    afx_msg void OnDeleteItem(NMHDR* header, LRESULT* result);
    afx_msg void OnBeginLabelEdit(NMHDR* header, LRESULT* result);
    afx_msg void OnEndLabelEdit(NMHDR* header, LRESULT* result);
    afx_msg void OnRightClick(NMHDR* header, LRESULT* result);
    afx_msg void OnContextMenu(CWnd* window, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    afx_msg void OnNewFolderCommand();
    DECLARE_MESSAGE_MAP()

private:
    ZRemoteFileDialogBase& m_dialog;
    bool m_busyCursor = false;
    HWND m_labelEdit = nullptr;
};

class TESSARO_API ZRemoteFileDialogBase : public ZDialog {
public:
    static constexpr UINT kTemplate = 3017;
    static constexpr int kTreeControl = 5012;

    ZRemoteFileDialogBase(IRemoteFileDialogOperation* operation, CWnd* parent);
    ~ZRemoteFileDialogBase() override;

    virtual void EnableOK(bool enable);
    const std::wstring& GetResultPath() const { return m_resultPath; }
    bool GetResult() const { return m_result; }
    ZRemoteFileDialogTreeView& GetTreeView() { return *m_treeView; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    // The controller starts from here.
    virtual std::wstring GetInitialPath() const { return std::wstring(); }
    BOOL OnInitDialog() override;

private:
    std::unique_ptr<ZRemoteFileDialogTreeView> m_treeView;
    std::wstring m_resultPath;
    bool m_result = false;
};

class TESSARO_API ZRemoteFileDialog : public ZRemoteFileDialogBase {
public:
    ZRemoteFileDialog(IRemoteFileDialogOperation* operation, const std::wstring& path, CWnd* parent);

protected:
    std::wstring GetInitialPath() const override { return m_initialPath; }

private:
    std::wstring m_initialPath;
};

// Runs the dialog modally. With OK: path := the chosen folder's path (empty
// when none could be had) and the result says whether there was one. Else
// path stays and the result is false.
TESSARO_API bool ShowRemoteFileDialog(IRemoteFileDialogOperation* operation, std::wstring& path, CWnd* parent);
