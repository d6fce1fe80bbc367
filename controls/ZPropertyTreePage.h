// A page of a property tree dialog, and the interface through which pages
// reach their dialog.
//
//   IPropertyTreeDialog     what a page may ask of the dialog that shows it
//   ZPropertyTreePageBase   the page's state: expanded and selected, saved to
//                           the dialog's state map under the page's key
//   ZPropertyTreePage       a child dialog from a template, with child pages
//
// Page objects are the caller's; their windows are made when the dialog opens
// and destroyed with it. A page's tree text is its window text up to the first
// line feed, its header text what follows.
#pragma once

#include <afxcmn.h>

#include <vector>

#include "controls/ZPropertyPageStateMap.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class ZPropertyTreePage;

class TESSARO_API IPropertyTreeDialog {
public:
    virtual void AddPage(ZPropertyTreePage* page) = 0;
    virtual void RemovePage(ZPropertyTreePage* page) = 0;
    virtual void ShowPage(ZPropertyTreePage* page) = 0;
    virtual void HidePage(ZPropertyTreePage* page) = 0;
    virtual void SetModified(bool modified) = 0;
    virtual void SetClearSelected(bool clear) = 0;
    virtual ZPropertyPageStateMap* GetPageStateMap() = 0;

protected:
    ~IPropertyTreeDialog() = default;
};

class TESSARO_API ZPropertyTreePageBase {
public:
    virtual ~ZPropertyTreePageBase() = default;

    bool IsExpanded() const { return m_expanded; }
    bool IsSelected() const { return m_selected; }
    // Each also saves the state.
    void SetExpanded(bool expanded);
    void SetSelected(bool selected);
    // Takes the state from the map, or stores the current one there when the
    // map has none for the key.
    void SetPageState();
    // Stores the state under a key that the map already has.
    void SavePageState();
    IPropertyTreeDialog* GetParentDialog() { return InternalGetParentDialog(); }

protected:
    virtual IPropertyTreeDialog* InternalGetParentDialog() = 0;
    virtual ZUnicodeString GetStateMapName() = 0;

    bool m_expanded = true;
    bool m_selected = false;

private:
    ZPropertyPageStateMap* Map();
};

class TESSARO_API ZPropertyTreePage : public CDialog, public ZPropertyTreePageBase {
    DECLARE_DYNAMIC(ZPropertyTreePage)
public:
    explicit ZPropertyTreePage(UINT resourceId);

    void AddPage(ZPropertyTreePage* child) { m_children.push_back(child); }
    UINT GetResourceID() const { return m_resourceId; }
    HTREEITEM GetTreeItem() const { return m_treeItem; }
    const std::vector<ZPropertyTreePage*>& GetChildren() const { return m_children; }
    const ZUnicodeString& GetStateKey() const { return m_stateKey; }

    virtual BOOL OnSetActive();
    // Validation: FALSE keeps the page.
    virtual BOOL OnKillActive();
    virtual void OnShow() {}
    // Makes the page window, a child of parent.
    virtual BOOL PreModal(CDialog* parent);
    virtual void Refresh() {}
    void OnOK() override {}
    void OnCancel() override {}

    BOOL OnInitDialog() override;
    // Pages call this when the user changes a value.
    void OnChange();

    // The tree text (before the first line feed) and the header text (after
    // it, or all of the text when there is none).
    static ZUnicodeString TreeTextOf(const ZUnicodeString& windowText);
    static ZUnicodeString HeaderTextOf(const ZUnicodeString& windowText);

protected:
    IPropertyTreeDialog* InternalGetParentDialog() override;
    ZUnicodeString GetStateMapName() override { return m_stateKey; }

private:
    friend class ZPropertyTreeDialog;

    UINT m_resourceId;
    HTREEITEM m_treeItem = nullptr;
    std::vector<ZPropertyTreePage*> m_children;  // not owned
    ZUnicodeString m_stateKey;
};
