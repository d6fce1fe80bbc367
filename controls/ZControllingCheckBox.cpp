#include "controls/ZControllingCheckBox.h"

#include "controls/ZPropertyTreePage.h"

IMPLEMENT_DYNAMIC(ZControllingCheckBox, CButton)

BEGIN_MESSAGE_MAP(ZControllingCheckBox, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

void ZControllingCheckBox::Init(bool checked, std::vector<UINT> ids)
{
    SetCheck(checked ? BST_CHECKED : BST_UNCHECKED);
    m_controlled.insert(m_controlled.end(), ids.begin(), ids.end());
    Update();
}

void ZControllingCheckBox::OnClicked()
{
    Update();
    if (m_page)
        m_page->OnChange();
}

void ZControllingCheckBox::Update()
{
    if (!m_page || !m_page->m_hWnd)
        return;
    const BOOL enable = IsChecked();
    for (const UINT id : m_controlled)
        if (CWnd* control = m_page->GetDlgItem(static_cast<int>(id)))
            control->EnableWindow(enable);
}
