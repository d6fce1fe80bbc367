// The toolkit's MDI frame with document tabs, minimal:
//
//   CBCGPTabWnd        one tab group: the document windows in tab order
//   CBCGPMDIFrameWnd   the frame; with MDI tabs on, its children are the tabs
//                      of its tab groups (GetMDITabGroups), in group order
//   CBCGPMDIChildWnd   a document window that joins its frame's tabs
#pragma once

#include <afxcoll.h>
#include <afxwin.h>

#include <memory>
#include <vector>

#include "BCGPExport.h"

class CBCGPMDIChildWnd;

class TESSARO_TOOLKIT_API CBCGPTabWnd : public CWnd {
    DECLARE_DYNAMIC(CBCGPTabWnd)
public:
    int GetTabsNum() const { return static_cast<int>(m_tabs.size()); }
    // The window of tab i, null outside the tabs.
    CWnd* GetTabWnd(int i) const;
    void AddTab(CWnd* window, LPCWSTR label, UINT image = static_cast<UINT>(-1), BOOL detachable = TRUE);
    BOOL RemoveTab(int i);
    // The tab showing window, -1 when none does.
    int GetTabFromHwnd(HWND window) const;
    // The frame keeps it on the group's active document.
    int GetActiveTab() const { return m_active; }
    BOOL SetActiveTab(int i);

private:
    std::vector<CWnd*> m_tabs;  // not owned
    int m_active = -1;
};

class TESSARO_TOOLKIT_API CBCGPMDIFrameWnd : public CMDIFrameWnd {
    DECLARE_DYNAMIC(CBCGPMDIFrameWnd)
public:
    CBCGPMDIFrameWnd();
    ~CBCGPMDIFrameWnd() override;

    // Turning tabs on puts the existing children into one group in creation
    // order; turning them off drops the groups.
    void EnableMDITabs(BOOL enable = TRUE);
    BOOL AreMDITabs() const { return m_bMDITabs; }
    // The tab groups (CBCGPTabWnd*), in order; empty without MDI tabs.
    const CObList& GetMDITabGroups() const { return m_lstTabbedGroups; }
    // Moves the active child into a new group after its own.
    BOOL MDITabNewGroup(BOOL vertical = TRUE);

    // Kept up to date by CBCGPMDIChildWnd.
    void OnChildCreated(CBCGPMDIChildWnd* child);
    void OnChildDestroyed(CBCGPMDIChildWnd* child);
    void OnChildActivated(CBCGPMDIChildWnd* child);

private:
    CBCGPTabWnd* GroupOf(CWnd* child, int* tab = nullptr) const;
    void RebuildGroupList();

    BOOL m_bMDITabs = FALSE;
    CObList m_lstTabbedGroups;
    std::vector<std::unique_ptr<CBCGPTabWnd>> m_groups;
    std::vector<CBCGPMDIChildWnd*> m_children;  // creation order, not owned
};

class TESSARO_TOOLKIT_API CBCGPMDIChildWnd : public CMDIChildWnd {
    DECLARE_DYNAMIC(CBCGPMDIChildWnd)
public:
    CBCGPMDIFrameWnd* GetBCGPFrame() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg int OnCreate(LPCREATESTRUCTW cs);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CBCGPMDIFrameWnd* m_frame = nullptr;  // the frame it joined
};
