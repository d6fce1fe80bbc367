#include "controls/ZPluginPage.h"

#include "foundation/ZModuleResourceHandle.h"

IMPLEMENT_DYNAMIC(ZPluginPage, ZPropertyTreePage)

ZPluginPage::ZPluginPage(UINT templateId, HINSTANCE module) : ZPropertyTreePage(templateId), m_module(module) {}

BOOL ZPluginPage::Create(UINT templateId, CWnd* parent)
{
    ZModuleResourceHandle scope(m_module);
    return CDialog::Create(templateId, parent);
}

BOOL ZPluginPage::Create(const wchar_t* templateName, CWnd* parent)
{
    ZModuleResourceHandle scope(m_module);
    return CDialog::Create(templateName, parent);
}

BOOL ZPluginPage::PreModal(CDialog* parent)
{
    return Create(GetResourceID(), parent);
}
