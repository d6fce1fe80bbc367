// Data-exchange prompts follow the user's language (run with French).
#include <gtest/gtest.h>

#include "TessaroMessages.h"
#include "platform/mfc/afxwin.h"
#include "tests/platform/DialogTemplate.h"
#include "tests/support/MessageBoxWatcher.h"

#include <string>

namespace {

std::wstring TableText(DWORD id, LANGID language, DWORD_PTR first = 0, DWORD_PTR second = 0)
{
    DWORD_PTR arguments[] = {first, second};
    wchar_t buffer[512] = {};
    ::FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                     ::GetModuleHandleW(L"TessaroMfc.dll"), id, language, buffer, 512,
                     reinterpret_cast<va_list*>(arguments));
    std::wstring text = buffer;
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n'))
        text.pop_back();
    return text;
}

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
        std::wstring expected;
    };
    const LANGID french = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
    const Case cases[] = {
        {L"douze", L"", TableText(MSG_DDX_PARSE_INT, french)},
        {L"-6", L"", TableText(MSG_DDX_RANGE_INT, french, static_cast<DWORD_PTR>(static_cast<INT_PTR>(-5)), 5)},
        {L"1", L"quatre", TableText(MSG_DDX_MAX_CHARS, french, 3)},
    };
    for (const Case& c : cases) {
        NumberDialog dialog;
        ASSERT_TRUE(dialog.CreateIndirect(form.Get()));
        ::SetDlgItemTextW(dialog.m_hWnd, 100, c.number);
        ::SetDlgItemTextW(dialog.m_hWnd, 101, c.text);
        TestSupport::MessageBoxWatcher watcher(IDOK);
        EXPECT_FALSE(dialog.UpdateData(TRUE));
        ASSERT_EQ(watcher.Boxes().size(), 1u) << c.number;
        ASSERT_FALSE(c.expected.empty());
        EXPECT_EQ(watcher.Boxes()[0].text, c.expected) << c.number;
        dialog.DestroyWindow();
    }
    // The range text shows the negative bound as a signed number.
    EXPECT_NE(cases[1].expected.find(L"-5"), std::wstring::npos);
    EXPECT_NE(TableText(MSG_DDX_PARSE_INT, french), TableText(MSG_DDX_PARSE_INT, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
}

}  // namespace
