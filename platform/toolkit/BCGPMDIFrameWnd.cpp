#include "BCGPMDIFrameWnd.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CBCGPTabWnd, CWnd)
IMPLEMENT_DYNAMIC(CBCGPMDIFrameWnd, CMDIFrameWnd)
IMPLEMENT_DYNAMIC(CBCGPMDIChildWnd, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CBCGPMDIChildWnd, CMDIChildWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CWnd* CBCGPTabWnd::GetTabWnd(int i) const
{
    return i >= 0 && i < GetTabsNum() ? m_tabs[static_cast<size_t>(i)] : nullptr;
}

void CBCGPTabWnd::AddTab(CWnd* window, LPCWSTR, UINT, BOOL)
{
    m_tabs.push_back(window);
    if (m_active < 0)
        m_active = 0;
}

BOOL CBCGPTabWnd::RemoveTab(int i)
{
    if (i < 0 || i >= GetTabsNum())
        return FALSE;
    m_tabs.erase(m_tabs.begin() + i);
    // The active tab keeps its window when one before it goes.
    if (i < m_active)
        --m_active;
    if (m_active >= GetTabsNum())
        m_active = GetTabsNum() - 1;
    return TRUE;
}

int CBCGPTabWnd::GetTabFromHwnd(HWND window) const
{
    for (int i = 0; i < GetTabsNum(); ++i) {
        if (m_tabs[static_cast<size_t>(i)]->GetSafeHwnd() == window)
            return i;
    }
    return -1;
}

BOOL CBCGPTabWnd::SetActiveTab(int i)
{
    if (i < 0 || i >= GetTabsNum())
        return FALSE;
    m_active = i;
    return TRUE;
}

CBCGPMDIFrameWnd::CBCGPMDIFrameWnd() = default;
CBCGPMDIFrameWnd::~CBCGPMDIFrameWnd() = default;

void CBCGPMDIFrameWnd::EnableMDITabs(BOOL enable)
{
    m_bMDITabs = enable;
    m_groups.clear();
    if (enable) {
        m_groups.push_back(std::make_unique<CBCGPTabWnd>());
        for (CBCGPMDIChildWnd* child : m_children)
            m_groups.front()->AddTab(child, nullptr);
        if (auto* active = dynamic_cast<CBCGPMDIChildWnd*>(MDIGetActive()))
            OnChildActivated(active);
    }
    RebuildGroupList();
}

BOOL CBCGPMDIFrameWnd::MDITabNewGroup(BOOL)
{
    CMDIChildWnd* active = MDIGetActive();
    int tab = -1;
    CBCGPTabWnd* group = GroupOf(active, &tab);
    if (!group || group->GetTabsNum() < 2)
        return FALSE;
    group->RemoveTab(tab);
    const auto at = std::find_if(m_groups.begin(), m_groups.end(), [&](const auto& g) { return g.get() == group; });
    auto inserted = m_groups.insert(at + 1, std::make_unique<CBCGPTabWnd>());
    (*inserted)->AddTab(active, nullptr);
    RebuildGroupList();
    return TRUE;
}

void CBCGPMDIFrameWnd::OnChildCreated(CBCGPMDIChildWnd* child)
{
    m_children.push_back(child);
    if (!m_bMDITabs)
        return;
    // New documents open in the active document's group.
    CBCGPTabWnd* group = GroupOf(MDIGetActive());
    (group ? group : m_groups.front().get())->AddTab(child, nullptr);
    // The new document may already be active: its activation came before its tab.
    if (MDIGetActive() == child)
        OnChildActivated(child);
}

void CBCGPMDIFrameWnd::OnChildActivated(CBCGPMDIChildWnd* child)
{
    int tab = -1;
    if (CBCGPTabWnd* group = GroupOf(child, &tab))
        group->SetActiveTab(tab);
}

void CBCGPMDIFrameWnd::OnChildDestroyed(CBCGPMDIChildWnd* child)
{
    std::erase(m_children, child);
    int tab = -1;
    if (CBCGPTabWnd* group = GroupOf(child, &tab)) {
        group->RemoveTab(tab);
        // An emptied group goes, but one group always stays.
        if (group->GetTabsNum() == 0 && m_groups.size() > 1) {
            std::erase_if(m_groups, [&](const auto& g) { return g.get() == group; });
            RebuildGroupList();
        }
    }
}

CBCGPTabWnd* CBCGPMDIFrameWnd::GroupOf(CWnd* child, int* tab) const
{
    for (const auto& group : m_groups) {
        for (int i = 0; child && i < group->GetTabsNum(); ++i) {
            if (group->GetTabWnd(i) == child) {
                if (tab)
                    *tab = i;
                return group.get();
            }
        }
    }
    return nullptr;
}

void CBCGPMDIFrameWnd::RebuildGroupList()
{
    m_lstTabbedGroups.RemoveAll();
    for (const auto& group : m_groups)
        m_lstTabbedGroups.AddTail(group.get());
}

CBCGPMDIFrameWnd* CBCGPMDIChildWnd::GetBCGPFrame() const
{
    return dynamic_cast<CBCGPMDIFrameWnd*>(GetMDIFrame());
}

LRESULT CBCGPMDIChildWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CMDIChildWnd::WindowProc(message, wParam, lParam);
    if (message == WM_MDIACTIVATE && reinterpret_cast<HWND>(lParam) == m_hWnd && m_frame)
        m_frame->OnChildActivated(this);
    return result;
}

int CBCGPMDIChildWnd::OnCreate(LPCREATESTRUCTW)
{
    if (Default() == -1)
        return -1;
    m_frame = GetBCGPFrame();
    if (m_frame)
        m_frame->OnChildCreated(this);
    return 0;
}

void CBCGPMDIChildWnd::OnDestroy()
{
    if (m_frame)
        m_frame->OnChildDestroyed(this);
    m_frame = nullptr;
    Default();
}
