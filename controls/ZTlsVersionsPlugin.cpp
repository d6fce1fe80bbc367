#include "controls/ZTlsVersionsPlugin.h"

#include <memory>

#include "TessaroMessages.h"
#include "resources/TessaroResource.h"
#include "foundation/TessaroInit.h"
#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"

IMPLEMENT_DYNAMIC(ZTlsVersionsPluginBase, ZPluginDialog)
IMPLEMENT_DYNAMIC(ZTlsVersionsPlugin, ZTlsVersionsPluginBase)

ZTlsVersionsPlugin::ZTlsVersionsPlugin(CWnd* parent, int value, ZProfileTlsVersions* setting)
    : ZTlsVersionsPluginBase(IDD_TLS_VERSIONS, GetTessaroDll(), parent, setting), m_value(value)
{
}

ZPluginDialog* ZTlsVersionsPlugin::Create(CDialog* parent, int value, ZProfileTlsVersions* setting)
{
    std::unique_ptr<ZTlsVersionsPlugin> plugin(new ZTlsVersionsPlugin(parent, value, setting));
    if (!plugin->ZDialog::Create())
        return nullptr;
    return plugin.release();
}

void ZTlsVersionsPlugin::InitSize()
{
    CWnd* list = GetDlgItem(IDC_TLS_VERSION_LIST);
    if (!list)
        return;
    RECT frame;
    GetWindowRect(&frame);
    ScreenToClient(&frame);
    ::InflateRect(&frame, -1, -1);
    list->SetWindowPos(nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL ZTlsVersionsPlugin::OnInitDialog()
{
    const BOOL result = ZTlsVersionsPluginBase::OnInitDialog();
    PopulateListBox();
    if (m_toolTip.Create(this))
        m_toolTip.Activate(TRUE);
    return result;
}

void ZTlsVersionsPlugin::PopulateListBox()
{
    m_list.ResetContent();
    unsigned mask = 0;
    if (!m_setting || !m_setting->GetEnabledVersions(mask))
        mask = ZProfileTlsVersions::kDefaultVersions;
    std::wstring name;
    unsigned bit = 0;
    for (size_t index = 0; ZProfileTlsVersions::GetVersionInfo(index, name, bit); ++index)
        AddListItem(name, (mask & bit) != 0, bit);
}

void ZTlsVersionsPlugin::AddListItem(const std::wstring& text, bool checked, unsigned bit)
{
    const int index = m_list.AddString(text.c_str());
    if (index < 0)
        return;
    m_list.SetItemData(index, bit);
    m_list.SetCheck(index, checked ? 1 : 0);
}

void ZTlsVersionsPlugin::DoDataExchange(CDataExchange* dx)
{
    ZTlsVersionsPluginBase::DoDataExchange(dx);
    DDX_Control(dx, IDC_TLS_VERSION_LIST, m_list);
    if (!dx->m_bSaveAndValidate)
        return;
    unsigned mask = 0;
    for (int index = 0; index < m_list.GetCount(); ++index) {
        if (m_list.GetCheck(index))
            mask |= static_cast<unsigned>(m_list.GetItemData(index));
    }
    if (mask == 0) {
        ZReportMessageParams report(MSG_TLS_VERSION_REQUIRED);
        ZMessageBox(this, &report, MB_OK | MB_ICONEXCLAMATION);
        dx->PrepareCtrl(IDC_TLS_VERSION_LIST);
        dx->Fail();
    }
    if (m_setting)
        m_setting->SetEnabledVersions(mask);
}

BOOL ZTlsVersionsPlugin::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(msg);
    return ZTlsVersionsPluginBase::PreTranslateMessage(msg);
}
