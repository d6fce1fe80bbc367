// Data-exchange prompts follow the user's language (run with French).
#include <gtest/gtest.h>

#include "platform/mfc/afxwin.h"
#include "tests/platform/DialogTemplate.h"
#include "tests/support/MessageBoxWatcher.h"

#include <string>

namespace {

class NumberDialog : public CDialog {
public:
    int m_value = 0;
    CStringW m_text;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, 100, m_value);
        DDV_MinMaxInt(dx, m_value, -5, 5);
        DDX_Text(dx, 101, m_text);
        DDV_MaxChars(dx, m_text, 3);
    }
};

TEST(DialogExchangeFrench, PromptsAreInTheUsersLanguage)
{
    TestSupport::DialogTemplate form(L"Nombre", 120, 60, WS_POPUP | WS_CAPTION | DS_SETFONT);
    form.Add(TestSupport::DialogTemplate::Edit, 100, L"", 5, 5, 60, 12, WS_BORDER | WS_TABSTOP)
        .Add(TestSupport::DialogTemplate::Edit, 101, L"", 5, 25, 60, 12, WS_BORDER | WS_TABSTOP);
    struct Case {
        const wchar_t* number;
        const wchar_t* text;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"douze", L"", L"Veuillez entrer un nombre entier."},
        {L"-6", L"", L"Veuillez entrer un nombre entier compris entre -5 et 5."},
        {L"1", L"quatre", L"Veuillez ne pas entrer plus de 3 caract\u00e8res."},
    };
    for (const Case& c : cases) {
        NumberDialog dialog;
        ASSERT_TRUE(dialog.CreateIndirect(form.Get()));
        ::SetDlgItemTextW(dialog.m_hWnd, 100, c.number);
        ::SetDlgItemTextW(dialog.m_hWnd, 101, c.text);
        TestSupport::MessageBoxWatcher watcher(IDOK);
        EXPECT_FALSE(dialog.UpdateData(TRUE));
        ASSERT_EQ(watcher.Boxes().size(), 1u) << c.number;
        EXPECT_EQ(watcher.Boxes()[0].text, c.expected) << c.number;
        dialog.DestroyWindow();
    }
}

}  // namespace
