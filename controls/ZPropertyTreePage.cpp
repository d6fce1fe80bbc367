#include "controls/ZPropertyTreePage.h"

IMPLEMENT_DYNAMIC(ZPropertyTreePage, CDialog)

ZPropertyPageStateMap* ZPropertyTreePageBase::Map()
{
    IPropertyTreeDialog* dialog = GetParentDialog();
    return dialog ? dialog->GetPageStateMap() : nullptr;
}

void ZPropertyTreePageBase::SetExpanded(bool expanded)
{
    m_expanded = expanded;
    SavePageState();
}

void ZPropertyTreePageBase::SetSelected(bool selected)
{
    m_selected = selected;
    SavePageState();
}

void ZPropertyTreePageBase::SetPageState()
{
    ZPropertyPageStateMap* map = Map();
    if (!map)
        return;
    const ZUnicodeString key = GetStateMapName();
    if (const ZPropertyPageState* state = map->Lookup(key)) {
        m_expanded = state->expanded;
        m_selected = state->selected;
    } else {
        map->SetAt(key, ZPropertyPageState{m_expanded, m_selected});
    }
}

void ZPropertyTreePageBase::SavePageState()
{
    ZPropertyPageStateMap* map = Map();
    if (!map)
        return;
    if (ZPropertyPageState* state = map->Lookup(GetStateMapName())) {
        state->expanded = m_expanded;
        state->selected = m_selected;
    }
}

ZPropertyTreePage::ZPropertyTreePage(UINT resourceId) : CDialog(resourceId), m_resourceId(resourceId) {}

BOOL ZPropertyTreePage::OnSetActive()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL ZPropertyTreePage::OnKillActive()
{
    return UpdateData(TRUE);
}

BOOL ZPropertyTreePage::PreModal(CDialog* parent)
{
    return CDialog::Create(m_resourceId, parent);
}

BOOL ZPropertyTreePage::OnInitDialog()
{
    const BOOL result = CDialog::OnInitDialog();
    ModifyStyle(WS_CAPTION, 0);
    return result;
}

void ZPropertyTreePage::OnChange()
{
    if (IPropertyTreeDialog* dialog = GetParentDialog())
        dialog->SetModified(true);
}

IPropertyTreeDialog* ZPropertyTreePage::InternalGetParentDialog()
{
    if (!m_hWnd)
        return nullptr;
    return dynamic_cast<IPropertyTreeDialog*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
}

ZUnicodeString ZPropertyTreePage::TreeTextOf(const ZUnicodeString& windowText)
{
    const size_t lineFeed = windowText.find(L'\n');
    return lineFeed == ZUnicodeString::npos ? windowText : windowText.substr(0, lineFeed);
}

ZUnicodeString ZPropertyTreePage::HeaderTextOf(const ZUnicodeString& windowText)
{
    const size_t lineFeed = windowText.find(L'\n');
    return lineFeed == ZUnicodeString::npos ? windowText : windowText.substr(lineFeed + 1);
}
