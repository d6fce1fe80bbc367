#include "controls/ZPropertyTreeDialog.h"

#include <uxtheme.h>

#include <algorithm>

#include "foundation/TessaroInit.h"

IMPLEMENT_DYNAMIC(ZPropertyTreeDialog, ZDialog)

BEGIN_MESSAGE_MAP(ZPropertyTreeDialog, ZDialog)
    ON_NOTIFY(TVN_SELCHANGINGW, kTreeId, OnSelChanging)
    ON_NOTIFY(TVN_SELCHANGEDW, kTreeId, OnSelChanged)
    ON_NOTIFY(TVN_ITEMEXPANDINGW, kTreeId, OnItemExpanding)
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(kApplyId, OnApplyClicked)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

UINT TemplateOf(int index)
{
    constexpr int count = static_cast<int>(std::size(ZPropertyTreeDialog::kTemplates));
    return ZPropertyTreeDialog::kTemplates[index >= 0 && index < count ? index : 0];
}

ZUnicodeString WindowTextOf(const CWnd& window)
{
    CStringW text;
    window.GetWindowText(text);
    return ZUnicodeString(text);
}

}  // namespace

ZPropertyTreeDialog::ZPropertyTreeDialog(const wchar_t* caption, int templateIndex, ZPropertyPageStateMap* stateMap,
                                         CWnd* parent)
    : ZDialog(TemplateOf(templateIndex), GetTessaroDll(), parent), m_stateMap(stateMap), m_caption(caption ? caption : L"")
{
}

ZPropertyTreeDialog::~ZPropertyTreeDialog() = default;

void ZPropertyTreeDialog::RemovePage(ZPropertyTreePage* page)
{
    const auto found = std::find(m_pages.begin(), m_pages.end(), page);
    if (found != m_pages.end())
        m_pages.erase(found);
}

void ZPropertyTreeDialog::SetCaption(const wchar_t* caption)
{
    m_caption = caption ? caption : L"";
    if (m_hWnd)
        SetWindowText(m_caption);
}

void ZPropertyTreeDialog::DisableOkButton()
{
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->EnableWindow(FALSE);
}

BOOL ZPropertyTreeDialog::OnInitDialog()
{
    const BOOL result = ZDialog::OnInitDialog();
    m_tree.SubclassDlgItem(kTreeId, this);
    const DWORD styles = TVS_HASBUTTONS | TVS_LINESATROOT | TVS_DISABLEDRAGDROP | TVS_SHOWSELALWAYS;
    const bool themed = SUCCEEDED(::SetWindowTheme(m_tree.m_hWnd, L"Explorer", nullptr));
    m_tree.ModifyStyle(0, themed ? styles : styles | TVS_HASLINES);

    SetWindowText(m_caption);
    if (CWnd* placeholder = GetDlgItem(kPlaceholderId)) {
        RECT rect;
        placeholder->GetWindowRect(&rect);
        ScreenToClient(&rect);
        m_pageOrigin = POINT{rect.left, rect.top};
    }
    if (CWnd* header = GetDlgItem(kHeaderId)) {
        m_boldFont.DeleteObject();  // made by an earlier run of this object
        LOGFONTW font = {};
        if (CFont* dialogFont = GetFont(); dialogFont && dialogFont->GetLogFont(&font)) {
            font.lfWeight = FW_BOLD;
            if (m_boldFont.CreateFontIndirect(&font))
                header->SetFont(&m_boldFont);
        }
    }
    m_captionBrush = ::GetSysColorBrush(COLOR_ACTIVECAPTION);

    m_opening = true;
    for (ZPropertyTreePage* page : m_pages) {
        page->PreModal(this);
        InsertPage(page, nullptr, TVI_ROOT, TVI_LAST);
    }
    m_opening = false;

    if (!m_tree.GetSelectedItem() || m_newSession)
        m_tree.SelectItem(m_tree.GetRootItem());
    m_tree.SetFocus();
    (void)result;
    return FALSE;  // the focus is set
}

void ZPropertyTreeDialog::InsertPage(ZPropertyTreePage* page, ZPropertyTreePage* parentPage, HTREEITEM parent,
                                     HTREEITEM after)
{
    const ZUnicodeString text = ZPropertyTreePage::TreeTextOf(WindowTextOf(*page));
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = reinterpret_cast<LPARAM>(page);
    page->m_treeItem = m_tree.InsertItem(&insert);
    page->m_stateKey = parentPage ? ZPropertyPageStateMap::ChildKey(parentPage->m_stateKey, text) : text;

    // Children keep their own order below the page.
    for (ZPropertyTreePage* child : page->m_children) {
        if (m_opening)
            child->PreModal(this);
        InsertPage(child, page, page->m_treeItem, TVI_LAST);
    }

    page->SetPageState();
    if (page->IsExpanded())
        m_tree.Expand(page->m_treeItem, TVE_EXPAND);
    if (page->IsSelected())
        m_tree.SelectItem(page->m_treeItem);
    m_tree.Invalidate();
}

ZPropertyTreePage* ZPropertyTreeDialog::PageOf(HTREEITEM item) const
{
    return item ? reinterpret_cast<ZPropertyTreePage*>(m_tree.GetItemData(item)) : nullptr;
}

void ZPropertyTreeDialog::OnSelChanging(NMHDR* header, LRESULT* result)
{
    *result = FALSE;
    if (m_selectingProgrammatically)
        return;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(header);
    ZPropertyTreePage* next = reinterpret_cast<ZPropertyTreePage*>(change->itemNew.lParam);
    const HWND focus = ::GetFocus();
    if ((m_currentPage && !m_currentPage->OnKillActive()) || (next && !next->OnSetActive())) {
        if (focus)
            ::SetFocus(focus);
        *result = TRUE;
    }
}

void ZPropertyTreeDialog::OnSelChanged(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(header);
    ZPropertyTreePage* next = reinterpret_cast<ZPropertyTreePage*>(change->itemNew.lParam);
    ZPropertyTreePage* previous = m_currentPage;
    if (previous && previous->m_hWnd)
        previous->ShowWindow(SW_HIDE);
    if (next) {
        const ZUnicodeString title = L"  " + ZPropertyTreePage::HeaderTextOf(WindowTextOf(*next));
        SetDlgItemText(kHeaderId, title.c_str());
        next->SetWindowPos(nullptr, m_pageOrigin.x, m_pageOrigin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        next->EnableWindow(TRUE);
        next->ShowWindow(SW_SHOW);
    } else {
        SetDlgItemText(kHeaderId, L"");
    }
    if (previous)
        previous->SetSelected(false);
    if (next)
        next->SetSelected(true);
    m_currentPage = next;
    if (next)
        next->OnShow();
}

void ZPropertyTreeDialog::OnItemExpanding(NMHDR* header, LRESULT* result)
{
    *result = FALSE;
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(header);
    if (ZPropertyTreePage* page = reinterpret_cast<ZPropertyTreePage*>(change->itemNew.lParam))
        page->SetExpanded((change->action & TVE_EXPAND) != 0);
}

HBRUSH ZPropertyTreeDialog::OnCtlColor(CDC* dc, CWnd* control, UINT kind)
{
    if (control && control->GetDlgCtrlID() == static_cast<int>(kHeaderId) && kind == CTLCOLOR_STATIC) {
        dc->SetTextColor(::GetSysColor(COLOR_CAPTIONTEXT));
        dc->SetBkColor(::GetSysColor(COLOR_ACTIVECAPTION));
        return m_captionBrush;
    }
    return static_cast<HBRUSH>(reinterpret_cast<HGDIOBJ>(Default()));
}

bool ZPropertyTreeDialog::HasCurrentPage(ZPropertyTreePage* page) const
{
    for (ZPropertyTreePage* at = m_currentPage; at; at = ParentPageOf(at))
        if (at == page)
            return true;
    return false;
}

ZPropertyTreePage* ZPropertyTreeDialog::ParentPageOf(ZPropertyTreePage* page) const
{
    // Depth-first over the caller's pages: a page's parent is the page whose
    // child list holds it.
    std::vector<ZPropertyTreePage*> pending(m_pages.begin(), m_pages.end());
    while (!pending.empty()) {
        ZPropertyTreePage* at = pending.back();
        pending.pop_back();
        for (ZPropertyTreePage* child : at->m_children) {
            if (child == page)
                return at;
            pending.push_back(child);
        }
    }
    return nullptr;
}

namespace {

bool FindIn(const std::vector<ZPropertyTreePage*>& pages, HTREEITEM parentItem, const ZPropertyTreePage* target,
            HTREEITEM& parent, HTREEITEM& insertAfter)
{
    HTREEITEM after = TVI_FIRST;
    for (ZPropertyTreePage* page : pages) {
        if (page == target) {
            parent = parentItem;
            insertAfter = after;
            return true;
        }
        if (page->GetTreeItem())
            after = page->GetTreeItem();
        if (FindIn(page->GetChildren(), page->GetTreeItem(), target, parent, insertAfter))
            return true;
    }
    return false;
}

}  // namespace

bool ZPropertyTreeDialog::FindPage(ZPropertyTreePage* page, HTREEITEM& parent, HTREEITEM& insertAfter) const
{
    return FindIn(m_pages, TVI_ROOT, page, parent, insertAfter);
}

void ZPropertyTreeDialog::HidePage(ZPropertyTreePage* page)
{
    if (!page || !page->m_treeItem)
        return;
    if (HasCurrentPage(page)) {
        // Leaving without validation: the page goes away whatever it holds.
        HTREEITEM first = m_tree.GetRootItem();
        if (first == page->m_treeItem)
            first = m_tree.GetNextSiblingItem(first);
        m_selectingProgrammatically = true;
        if (first)
            m_tree.SelectItem(first);
        else
            m_tree.SelectItem(nullptr);
        m_selectingProgrammatically = false;
    }
    RemoveFromTree(page);
    const HTREEITEM item = page->m_treeItem;
    ForgetTreeItems(page);
    m_tree.DeleteItem(item);
}

void ZPropertyTreeDialog::RemoveFromTree(ZPropertyTreePage* page)
{
    if (!page->m_treeItem)
        return;
    page->m_expanded = (m_tree.GetItemState(page->m_treeItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    if (page->m_selected) {
        if (m_tree.GetSelectedItem() == page->m_treeItem) {
            m_selectingProgrammatically = true;
            m_tree.SelectItem(nullptr);
            m_selectingProgrammatically = false;
        }
        page->m_selected = false;
    }
    if (page->m_hWnd)
        page->ShowWindow(SW_HIDE);
    for (ZPropertyTreePage* child : page->m_children)
        RemoveFromTree(child);
}

void ZPropertyTreeDialog::ForgetTreeItems(ZPropertyTreePage* page)
{
    page->m_treeItem = nullptr;
    for (ZPropertyTreePage* child : page->m_children)
        ForgetTreeItems(child);
}

void ZPropertyTreeDialog::ShowPage(ZPropertyTreePage* page)
{
    if (!page || page->m_treeItem || !m_tree.m_hWnd)
        return;
    HTREEITEM parent = nullptr, after = nullptr;
    if (!FindPage(page, parent, after) || !parent)
        return;  // not ours, or its parent is hidden: it comes back with the parent
    if (m_clearSelected || m_newSession)
        page->m_selected = false;
    ZPropertyTreePage* parentPage = parent == TVI_ROOT ? nullptr : PageOf(parent);
    InsertPage(page, parentPage, parent, after);
    if (parentPage && parentPage->IsExpanded())
        m_tree.Expand(parent, TVE_EXPAND);
}

void ZPropertyTreeDialog::CollapsePage(ZPropertyTreePage* page)
{
    if (!page || !page->m_treeItem)
        return;
    m_tree.Expand(page->m_treeItem, TVE_COLLAPSE);
    // A collapse from code sends no notification: record it here.
    page->SetExpanded(false);
}

bool ZPropertyTreeDialog::OnCurrentPageKillActive()
{
    return m_currentPage && m_currentPage->OnKillActive();
}

bool ZPropertyTreeDialog::DoOnOK()
{
    // Without a page there is nothing to validate.
    if (m_currentPage && !m_currentPage->OnKillActive())
        return false;
    EndDialog(IDOK);
    return true;
}

bool ZPropertyTreeDialog::SelectByKeyboard(bool forward)
{
    if (!m_currentPage || !m_currentPage->m_treeItem)
        return false;
    HTREEITEM item = m_tree.GetNextItem(m_currentPage->m_treeItem, forward ? TVGN_NEXTVISIBLE : TVGN_PREVIOUSVISIBLE);
    if (!item)
        item = forward ? m_tree.GetRootItem() : m_tree.GetNextItem(nullptr, TVGN_LASTVISIBLE);
    if (item)
        m_tree.SelectItem(item);
    // A key pressed on the page that went away leaves the focus hidden with it.
    const HWND focus = ::GetFocus();
    if (!focus || !::IsWindowVisible(focus))
        m_tree.SetFocus();
    return true;
}

BOOL ZPropertyTreeDialog::PreTranslateMessage(MSG* msg)
{
    // Before the dialog's own keys, which would take Ctrl+Tab for Tab.
    if (msg->message == WM_KEYDOWN && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (msg->wParam == VK_TAB)
            return SelectByKeyboard(!shift);
        if (msg->wParam == VK_NEXT)
            return SelectByKeyboard(true);
        if (msg->wParam == VK_PRIOR)
            return SelectByKeyboard(false);
    }
    return ZDialog::PreTranslateMessage(msg);
}

void ZPropertyTreeDialog::OnDestroy()
{
    // The windows go with the dialog; the page objects stay for the next run.
    for (ZPropertyTreePage* page : m_pages)
        ForgetTreeItems(page);
    m_currentPage = nullptr;
    ZDialog::OnDestroy();
}
