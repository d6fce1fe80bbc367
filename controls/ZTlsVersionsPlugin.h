// The TLS versions plug-in: a check list of the TLS versions a connection may
// use, read from and written to the host's setting. Saving refuses a list
// with nothing checked.
//
//   ZTlsVersionsPluginBase   a plug-in bound to a setting (not owned)
//   ZTlsVersionsPlugin       the check list in template IDD_TLS_VERSIONS
#pragma once

#include <afxcmn.h>

#include <string>

#include "controls/ZPluginDialog.h"
#include "controls/ZProfileTlsVersions.h"
#include "foundation/TessaroApi.h"
#include "platform/toolkit/BCGPCheckListBox.h"

class TESSARO_API ZTlsVersionsPluginBase : public ZPluginDialog {
    DECLARE_DYNAMIC(ZTlsVersionsPluginBase)
public:
    ZTlsVersionsPluginBase(UINT templateId, HINSTANCE module, CWnd* parent, ZProfileTlsVersions* setting)
        : ZPluginDialog(templateId, module, parent), m_setting(setting)
    {
    }

protected:
    ZProfileTlsVersions* m_setting;  // not owned
};

class TESSARO_API ZTlsVersionsPlugin : public ZTlsVersionsPluginBase {
    DECLARE_DYNAMIC(ZTlsVersionsPlugin)
public:
    // A modeless child of parent showing setting; value is the host's own and
    // only kept. Null when the window cannot be made. The caller owns the result.
    static ZPluginDialog* Create(CDialog* parent, int value, ZProfileTlsVersions* setting);

    // The list fills the plug-in, less a pixel on every side.
    void InitSize();
    int GetValue() const { return m_value; }
    CBCGPCheckListBox& GetList() { return m_list; }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    ZTlsVersionsPlugin(CWnd* parent, int value, ZProfileTlsVersions* setting);

    void PopulateListBox();
    void AddListItem(const std::wstring& text, bool checked, unsigned bit);
    void DoDataExchange(CDataExchange* dx) override;

private:
    int m_value;
    CBCGPCheckListBox m_list;
    CToolTipCtrl m_toolTip;
};
