#include "about/ZAboutDialog.h"

#include <commctrl.h>

#include "TessaroMessages.h"
#include "about/ZVersionHistory.h"
#include "resources/TessaroAboutResource.h"

IMPLEMENT_DYNAMIC(ZAboutDialog, ZDialog)

BEGIN_MESSAGE_MAP(ZAboutDialog, ZDialog)
    ON_NOTIFY(TCN_SELCHANGE, IDC_ABOUT_PAGES, OnPageChanged)
END_MESSAGE_MAP()

namespace {

ZUnicodeString MessageText(uint32_t id, const wchar_t* insert = nullptr)
{
    ZReportMessageParams message(id);
    if (insert)
        message.AddInsert(insert);
    return ZUnicodeString(message.GetTextNoFinalBreak());
}

}  // namespace

ZAboutDialog::ZAboutDialog(const wchar_t* productName, const wchar_t* versionText, const wchar_t* historyPath,
                           CWnd* parent)
    : ZDialog(IDD_ABOUT, GetTessaroDll(), parent),
      m_product(productName ? productName : L""),
      m_version(versionText ? versionText : L""),
      m_historyPath(historyPath ? historyPath : L"")
{
}

bool ZAboutDialog::LoadHistory(ZReportMessageParams& report)
{
    m_historyRead = true;
    if (ZLoadVersionHistory(m_historyPath.c_str(), m_history, report))
        return true;
    m_history = report.GetTextNoFinalBreak();
    return false;
}

ZUnicodeString ZAboutDialog::PageText(Page page) const
{
    if (page == HistoryPage)
        return m_history;
    ZUnicodeString text;
    for (uint32_t id : {MSG_ABOUT_ACKNOWLEDGEMENT_1, MSG_ABOUT_ACKNOWLEDGEMENT_2, MSG_ABOUT_ACKNOWLEDGEMENT_3,
                        MSG_ABOUT_ACKNOWLEDGEMENT_4}) {
        if (!text.empty())
            text += L"\r\n\r\n";
        text += MessageText(id);
    }
    return text;
}

BOOL ZAboutDialog::OnInitDialog()
{
    ZDialog::OnInitDialog();
    if (!m_historyRead && !m_historyPath.empty()) {
        ZReportMessageParams report;
        LoadHistory(report);
    }
    SetWindowText(MessageText(MSG_ABOUT_TITLE, m_product.c_str()).c_str());
    ZUnicodeString product = m_product;
    if (!m_version.empty())
        product += L"\r\n" + m_version;
    SetDlgItemText(IDC_ABOUT_PRODUCT, product.c_str());
    if (CWnd* tabs = GetDlgItem(IDC_ABOUT_PAGES)) {
        ZUnicodeString acknowledgements = MessageText(MSG_ABOUT_ACKNOWLEDGEMENTS_PAGE);
        ZUnicodeString history = MessageText(MSG_ABOUT_HISTORY_PAGE);
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(acknowledgements.c_str());
        tabs->SendMessage(TCM_INSERTITEMW, AcknowledgementsPage, reinterpret_cast<LPARAM>(&item));
        if (!m_historyPath.empty()) {
            item.pszText = const_cast<wchar_t*>(history.c_str());
            tabs->SendMessage(TCM_INSERTITEMW, HistoryPage, reinterpret_cast<LPARAM>(&item));
        }
    }
    ShowPage(AcknowledgementsPage);
    return TRUE;
}

void ZAboutDialog::ShowPage(Page page)
{
    if (page == HistoryPage && m_historyPath.empty())
        page = AcknowledgementsPage;
    m_page = page;
    if (CWnd* tabs = GetDlgItem(IDC_ABOUT_PAGES))
        tabs->SendMessage(TCM_SETCURSEL, page, 0);
    SetDlgItemText(IDC_ABOUT_TEXT, PageText(page).c_str());
}

void ZAboutDialog::OnPageChanged(NMHDR*, LRESULT* result)
{
    const LRESULT selected = GetDlgItem(IDC_ABOUT_PAGES)->SendMessage(TCM_GETCURSEL, 0, 0);
    ShowPage(selected == HistoryPage ? HistoryPage : AcknowledgementsPage);
    *result = 0;
}
