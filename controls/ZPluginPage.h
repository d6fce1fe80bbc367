// ZPluginPage: a property tree page whose template lives in another module
// (a plug-in's), made with that module as the framework's resource module.
#pragma once

#include "controls/ZPropertyTreePage.h"
#include "foundation/TessaroApi.h"

class TESSARO_API ZPluginPage : public ZPropertyTreePage {
    DECLARE_DYNAMIC(ZPluginPage)
public:
    ZPluginPage(UINT templateId, HINSTANCE module);

    BOOL Create(UINT templateId, CWnd* parent) override;
    BOOL Create(const wchar_t* templateName, CWnd* parent) override;
    // Makes the page window from its own module, a child of parent.
    BOOL PreModal(CDialog* parent) override;
    HINSTANCE GetModule() const { return m_module; }

private:
    HINSTANCE m_module;
};
