// The create-certificate dialog on a real window, driven by the messages a
// user's typing and clicking send; message boxes are answered by a hook.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <tuple>

#include "certificates/CreateCertificateDialog.h"
#include "resources/TessaroResource.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ScratchFolder.h"

namespace {

using TestSupport::MessageBoxWatcher;

class CreateCertificateDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The host registers the common controls the dialog uses (the date picker).
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&init);
    }
    void SetUp() override
    {
        m_dialog = std::make_unique<CreateCertificateDialog>(m_scratch.File(L"server").c_str(), 0, nullptr);
        ASSERT_TRUE(m_dialog->Create());
    }
    void TearDown() override
    {
        m_dialog->DestroyWindow();
        m_dialog.reset();
        CWnd::DeleteTempMap();
    }
    void Type(int id, const wchar_t* text) { m_dialog->SetDlgItemText(id, text); }
    void FillSubject()
    {
        Type(IDC_CERT_COMMON_NAME, L"host1.example.com");
        Type(IDC_CERT_ORGANIZATION, L"Acme");
        Type(IDC_CERT_COUNTRY, L"US");
    }
    void ChooseAlgorithm(int index)
    {
        ::SendDlgItemMessageW(m_dialog->m_hWnd, IDC_CERT_SIGNATURE_ALGORITHM, CB_SETCURSEL, index, 0);
    }
    void Generate() { m_dialog->SendMessageW(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

    ScratchFolder m_scratch;
    std::unique_ptr<CreateCertificateDialog> m_dialog;
};

TEST_F(CreateCertificateDialogTest, GeneratesSha1CertificateWithPfxExtension)
{
    m_dialog->ShowWindow(SW_SHOW);
    FillSubject();
    ChooseAlgorithm(0);
    MessageBoxWatcher boxes(IDOK);
    Generate();
    for (const auto& box : boxes.Boxes())
        ADD_FAILURE() << "unexpected box: " << std::string(box.text.begin(), box.text.end());
    EXPECT_EQ(std::wstring(m_dialog->GetPath()), m_scratch.File(L"server.pfx"));
    EXPECT_TRUE(ScratchFolder::Exists(m_scratch.File(L"server.pfx")));
}

TEST_F(CreateCertificateDialogTest, ListsShowKeySizesAndAlgorithmsWithDefaults)
{
    CComboBox* sizes = static_cast<CComboBox*>(m_dialog->GetDlgItem(IDC_CERT_KEY_SIZE));
    ASSERT_EQ(sizes->GetCount(), 3);
    CStringW text;
    sizes->GetLBText(sizes->GetCurSel(), text);
    EXPECT_EQ(text, L"2048");
    CComboBox* algorithms = static_cast<CComboBox*>(m_dialog->GetDlgItem(IDC_CERT_SIGNATURE_ALGORITHM));
    ASSERT_EQ(algorithms->GetCount(), 2);
    algorithms->GetLBText(algorithms->GetCurSel(), text);
    EXPECT_EQ(text, L"SHA-2");
}

TEST_F(CreateCertificateDialogTest, TheIntroductionNamesTheApplicationOnlyWhenThereIsOne)
{
    struct Case { const wchar_t* appName; const wchar_t* says; };
    const Case cases[] = {
        {nullptr, L"certificate for use when establishing"},
        {L"", L"certificate for use when establishing"},
        {L"Demo Client", L"certificate for use by Demo Client when establishing"},
    };
    AFX_MODULE_STATE* module = AfxGetModuleState();
    const LPCWSTR saved = module->m_lpszCurrentAppName;
    for (const Case& c : cases) {
        module->m_lpszCurrentAppName = c.appName;
        CreateCertificateDialog dialog(m_scratch.File(L"other").c_str(), 0, nullptr);
        ASSERT_TRUE(dialog.Create());
        CStringW text;
        dialog.GetDlgItemText(IDC_CERT_INTRODUCTION, text);
        EXPECT_NE(std::wstring(text.GetString()).find(c.says), std::wstring::npos) << text.GetString();
        dialog.DestroyWindow();
    }
    module->m_lpszCurrentAppName = saved;
}

// The test runs with the time zone set (one run each side of UTC): local dates differ from UTC's.
TEST_F(CreateCertificateDialogTest, TheEarliestExpirationIsTodayInUtcAsTheValueIs)
{
    SYSTEMTIME range[2] = {};
    ASSERT_TRUE(DateTime_GetRange(m_dialog->GetDlgItem(IDC_CERT_EXPIRATION)->m_hWnd, range) & GDTR_MIN);
    SYSTEMTIME utc = {};
    ::GetSystemTime(&utc);
    EXPECT_EQ((std::tuple{range[0].wYear, range[0].wMonth, range[0].wDay}), (std::tuple{utc.wYear, utc.wMonth, utc.wDay}));
}

// "No" keeps the file and the dialog; "Yes" then replaces it.
TEST_F(CreateCertificateDialogTest, AnExistingFileIsReplacedOnlyOnYes)
{
    const std::wstring path = m_scratch.File(L"server.p12");
    ASSERT_TRUE(ScratchFolder::WriteBytes(path, "old"));
    Type(IDC_CERT_PATH, path.c_str());
    FillSubject();
    ChooseAlgorithm(0);
    for (const auto& [answer, replaced] : {std::pair{IDNO, false}, std::pair{IDYES, true}}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        MessageBoxWatcher boxes(answer);
        Generate();
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_TRUE(boxes.Boxes()[0].HasButton(IDYES));
        EXPECT_TRUE(boxes.Boxes()[0].HasButton(IDNO));
        EXPECT_EQ(ScratchFolder::ReadBytes(path) != "old", replaced);
    }
}

TEST_F(CreateCertificateDialogTest, AFieldItCannotTakeIsFocusedAndNothingIsMade)
{
    m_dialog->ShowWindow(SW_SHOW);
    const std::pair<int, const wchar_t*> refused[] = {{IDC_CERT_ORGANIZATION, L"Ac;me"}, {IDC_CERT_COUNTRY, L"USA"}};
    for (const auto& [field, value] : refused) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(value)));
        FillSubject();
        Type(field, value);
        MessageBoxWatcher boxes(IDOK);
        Generate();
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(::GetFocus(), m_dialog->GetDlgItem(field)->m_hWnd);
        EXPECT_FALSE(ScratchFolder::Exists(m_scratch.File(L"server.pfx")));
    }
}

TEST_F(CreateCertificateDialogTest, FocusShowsTheFieldsExplanation)
{
    const struct {
        int control;
        int notification;
        const wchar_t* startsWith;  // null: unchanged
    } cases[] = {
        {IDC_CERT_COMMON_NAME, EN_SETFOCUS, L"Common Name is the fully qualified"},
        {IDC_CERT_ORGANIZATION, EN_SETFOCUS, L"The Organization field"},
        {IDC_CERT_COUNTRY, EN_SETFOCUS, L"The Country field"},
        {IDC_CERT_PATH, EN_SETFOCUS, L"Path is the fully-qualified"},
        {IDC_CERT_BROWSE, BN_SETFOCUS, L"Path is the fully-qualified"},
        {IDC_CERT_KEY_SIZE, CBN_SETFOCUS, L"The Key Size field"},
        {IDC_CERT_SIGNATURE_ALGORITHM, CBN_SETFOCUS, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        m_dialog->SetDlgItemText(IDC_CERT_EXPLANATION, L"before");
        m_dialog->SendMessageW(WM_COMMAND, MAKEWPARAM(c.control, c.notification),
                               reinterpret_cast<LPARAM>(m_dialog->GetDlgItem(c.control)->m_hWnd));
        CStringW text;
        m_dialog->GetDlgItemText(IDC_CERT_EXPLANATION, text);
        const std::wstring shown = text.GetString();
        if (c.startsWith)
            EXPECT_EQ(shown.substr(0, std::wcslen(c.startsWith)), c.startsWith);
        else
            EXPECT_EQ(shown, L"before");
    }
}

}  // namespace
