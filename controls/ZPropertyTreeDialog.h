// ZPropertyTreeDialog: an options dialog with a tree of pages on the left and
// the selected page on the right, pages nested to any depth. The tree opens as
// the caller's state map recorded it (expanded items, the selected page);
// leaving a page validates it and a failed validation keeps the page and the
// focus. Pages can be hidden and shown again while the dialog is open, and
// come back in their place among their visible siblings. Ctrl+Tab and
// Ctrl+Page Down move to the next visible page, wrapping; with Shift, or with
// Page Up, to the previous one.
//
// Page objects and the state map are the caller's; the dialog only points at them.
#pragma once

#include <afxcmn.h>

#include <vector>

#include "controls/ZDialog.h"
#include "controls/ZPropertyTreePage.h"
#include "foundation/TessaroApi.h"

class TESSARO_API ZPropertyTreeDialog : public ZDialog, public IPropertyTreeDialog {
    DECLARE_DYNAMIC(ZPropertyTreeDialog)
public:
    static constexpr UINT kTemplates[] = {5011, 5017, 5018, 5020};
    static constexpr UINT kTreeId = 5012;
    static constexpr UINT kPlaceholderId = 5013;
    static constexpr UINT kHeaderId = 5014;
    static constexpr UINT kApplyId = 5015;

    // templateIndex 0 to 3 picks one of kTemplates (others fall back to the first).
    ZPropertyTreeDialog(const wchar_t* caption, int templateIndex, ZPropertyPageStateMap* stateMap,
                        CWnd* parent = nullptr);
    ~ZPropertyTreeDialog() override;

    // IPropertyTreeDialog. AddPage and RemovePage change the top-level list
    // only (before the dialog opens).
    void AddPage(ZPropertyTreePage* page) override { m_pages.push_back(page); }
    void RemovePage(ZPropertyTreePage* page) override;
    void ShowPage(ZPropertyTreePage* page) override;
    void HidePage(ZPropertyTreePage* page) override;
    void SetModified(bool) override {}
    void SetClearSelected(bool clear) override { m_clearSelected = clear; }
    ZPropertyPageStateMap* GetPageStateMap() override { return m_stateMap; }

    void CollapsePage(ZPropertyTreePage* page);
    void SetCaption(const wchar_t* caption);
    void SetNewSession(bool newSession) { m_newSession = newSession; }
    void DisableOkButton();
    CWnd* GetApplyButton() { return GetDlgItem(kApplyId); }
    // The current page is page or one of its descendants.
    bool HasCurrentPage(ZPropertyTreePage* page) const;
    ZPropertyTreePage* GetCurrentPage() const { return m_currentPage; }
    CTreeCtrl& GetTree() { return m_tree; }
    // Where page belongs in the tree: its parent item (TVI_ROOT at the top)
    // and the item of its nearest earlier sibling in the tree (TVI_FIRST when
    // none). False when page is not among the dialog's pages.
    bool FindPage(ZPropertyTreePage* page, HTREEITEM& parent, HTREEITEM& insertAfter) const;

    // Validates the current page and ends the dialog with IDOK when it passes.
    bool DoOnOK();
    bool OnCurrentPageKillActive();
    virtual void OnApply() {}

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void OnOK() override { DoOnOK(); }

    afx_msg void OnSelChanging(NMHDR* header, LRESULT* result);
    afx_msg void OnSelChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnItemExpanding(NMHDR* header, LRESULT* result);
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);
    afx_msg void OnApplyClicked() { OnApply(); }
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void InsertPage(ZPropertyTreePage* page, ZPropertyTreePage* parentPage, HTREEITEM parent, HTREEITEM after);
    void RemoveFromTree(ZPropertyTreePage* page);
    void ForgetTreeItems(ZPropertyTreePage* page);
    ZPropertyTreePage* PageOf(HTREEITEM item) const;
    ZPropertyTreePage* ParentPageOf(ZPropertyTreePage* page) const;
    bool SelectByKeyboard(bool forward);

    ZPropertyPageStateMap* m_stateMap;  // not owned; may be null
    CTreeCtrl m_tree;
    CStringW m_caption;
    CFont m_boldFont;
    HBRUSH m_captionBrush = nullptr;  // a system brush: never deleted
    POINT m_pageOrigin = {};
    bool m_newSession = false;
    bool m_clearSelected = false;
    bool m_selectingProgrammatically = false;
    bool m_opening = false;
    ZPropertyTreePage* m_currentPage = nullptr;
    std::vector<ZPropertyTreePage*> m_pages;  // top level, not owned
};
