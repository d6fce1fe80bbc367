// Validation of a certificate path field on a real dialog: what passes, what
// the user is told otherwise, and that a load made only to validate leaves no
// key container behind.
#include <gtest/gtest.h>

#include <string>

#include "certificates/ZCertificate.h"
#include "certificates/ZCertificateDataExchange.h"
#include "tests/certificates/CertificateTestSupport.h"
#include "tests/platform/DialogTemplate.h"
#include "tests/support/MessageBoxWatcher.h"
#include "tests/support/ScratchFolder.h"

namespace {

using namespace CertificateTests;
using TestSupport::DialogTemplate;

constexpr int kPath = 100;
constexpr wchar_t kInvalid[] = L"The certificate could not be loaded. Check the path and the password.";

class PathDialog : public CDialog {
public:
    std::wstring m_path;
    bool m_validate = true;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        wchar_t text[MAX_PATH] = {};
        ::GetDlgItemTextW(m_hWnd, kPath, text, MAX_PATH);
        m_path = text;
        if (m_validate)
            ZDDV_ValidateCertificatePath(dx, kPath, m_path.c_str(), nullptr);
    }
};

std::wstring Shown(std::wstring text)
{
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n'))
        text.pop_back();
    return text;
}

class CertificatePath : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_form.Add(DialogTemplate::Edit, kPath, L"", 10, 10, 180, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL)
            .Add(DialogTemplate::Button, IDOK, L"OK", 120, 40, 60, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
        ASSERT_TRUE(m_dialog.CreateIndirect(m_form.Get()));
    }
    void TearDown() override
    {
        m_dialog.DestroyWindow();
        CWnd::DeleteTempMap();
    }

    struct Outcome {
        bool accepted;
        std::vector<TestSupport::ShownMessageBox> boxes;
    };
    Outcome Save(const std::wstring& typed, BOOL saving = TRUE)
    {
        ::SetDlgItemTextW(m_dialog.m_hWnd, kPath, typed.c_str());
        ::SetFocus(::GetDlgItem(m_dialog.m_hWnd, IDOK));
        TestSupport::MessageBoxWatcher watcher(IDOK);
        const bool accepted = m_dialog.UpdateData(saving) != FALSE;
        return {accepted, watcher.Boxes()};
    }

    DialogTemplate m_form{L"Certificate", 200, 60, WS_POPUP | WS_CAPTION | DS_SETFONT};
    PathDialog m_dialog;
};

TEST_F(CertificatePath, AcceptsLoadableAndBlankPathsAndRefusesTheRest)
{
    ScratchFolder folder;
    const std::wstring pfx = folder.File(L"valid.pfx");
    {
        ZReportMessageParams report;
        auto certificate = Create(L"valid", 0, report);
        ASSERT_TRUE(certificate);
        ASSERT_TRUE(certificate->Save(pfx.c_str(), report)) << std::hex << report.GetMessageId();
    }
    const std::wstring notPfx = folder.File(L"text.pfx");
    ASSERT_TRUE(ScratchFolder::WriteBytes(notPfx, "not a certificate"));
    const std::wstring missing = folder.File(L"missing.pfx");

    struct Case {
        std::wstring typed;
        bool accepted;
        std::wstring prompt;  // empty when accepted
    };
    const Case cases[] = {
        {L"", true, L""},
        {L"  \t ", true, L""},
        {pfx, true, L""},
        {L"  " + pfx + L"  ", true, L""},
        {missing, false, L"The file '" + missing + L"' was not found."},
        {L" " + missing, false, L"The file '" + missing + L"' was not found."},  // the trimmed path is named
        {notPfx, false, kInvalid},
        {L"CAPI::MY", false, kInvalid},  // no existence test, then loaded as a file
        {L"capi::MY::tessaro-nobody", false, kInvalid},
    };
    const std::set<std::string> before = KeyContainers();
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::PrintToString(test.typed));
        const Outcome outcome = Save(test.typed);
        EXPECT_EQ(outcome.accepted, test.accepted);
        if (test.accepted) {
            EXPECT_TRUE(outcome.boxes.empty());
            continue;
        }
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(Shown(outcome.boxes[0].text), test.prompt);
        EXPECT_EQ(outcome.boxes[0].owner, m_dialog.m_hWnd);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(m_dialog.m_hWnd, kPath));
    }
    EXPECT_EQ(ContainersAddedSince(before), std::vector<std::string>{});
}

TEST_F(CertificatePath, ValidatesOnlyWhenSaving)
{
    const Outcome outcome = Save(L"Z:\\no\\such\\file.pfx", FALSE);
    EXPECT_TRUE(outcome.accepted);
    EXPECT_TRUE(outcome.boxes.empty());
}

}  // namespace
