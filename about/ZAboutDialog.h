// ZAboutDialog: the about box. A line with the product and its version over two
// pages, the acknowledgements and the version history, switched by tabs. The
// history comes from a text file in any encoding ZTextFile reads; when it
// cannot be read the history page shows the failure (0xE1330060) instead.
#pragma once

#include "controls/ZDialog.h"
#include "foundation/ZReportMessageParams.h"

class TESSARO_API ZAboutDialog : public ZDialog {
    DECLARE_DYNAMIC(ZAboutDialog)
public:
    enum Page { AcknowledgementsPage = 0, HistoryPage = 1 };

    // The caption is "About <productName>"; historyPath may be null (no history).
    ZAboutDialog(const wchar_t* productName, const wchar_t* versionText, const wchar_t* historyPath,
                 CWnd* parent = nullptr);

    // Reads the history now; the dialog reads it on opening when nobody did.
    // False with report filled as ZLoadVersionHistory does.
    bool LoadHistory(ZReportMessageParams& report);

    // Shows a page (the dialog must exist); the acknowledgements come first.
    void ShowPage(Page page);
    Page GetPage() const { return m_page; }
    // The text a page shows.
    ZUnicodeString PageText(Page page) const;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnPageChanged(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    ZUnicodeString m_product;
    ZUnicodeString m_version;
    ZUnicodeString m_historyPath;
    ZUnicodeString m_history;   // the history, or the failure's text
    bool m_historyRead = false;
    Page m_page = AcknowledgementsPage;
};
