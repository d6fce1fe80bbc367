#include "controls/ZPluginDialog.h"

IMPLEMENT_DYNAMIC(ZPluginDialog, ZDialog)

ZPluginDialog::ZPluginDialog(UINT templateId, HINSTANCE module, CWnd* parent)
    : ZDialog(templateId, module, parent), m_pluginTemplateId(templateId)
{
}

bool ZPluginDialog::SavePageData()
{
    return UpdateData(TRUE) != FALSE;
}
