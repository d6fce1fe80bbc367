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
protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        wchar_t path[MAX_PATH] = {};
        ::GetDlgItemTextW(m_hWnd, kPath, path, MAX_PATH);
        ZDDV_ValidateCertificatePath(dx, kPath, path, nullptr);
    }
};

class CertificatePath : public LeavesNoKeyContainer {
protected:
    void SetUp() override
    {
        LeavesNoKeyContainer::SetUp();
        m_form.Add(DialogTemplate::Edit, kPath, L"", 10, 10, 180, 14, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL)
            .Add(DialogTemplate::Button, IDOK, L"OK", 120, 40, 60, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
        ASSERT_TRUE(m_dialog.CreateIndirect(m_form.Get()));
    }
    void TearDown() override
    {
        m_dialog.DestroyWindow();
        CWnd::DeleteTempMap();
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

    const struct {
        std::wstring typed;
        bool accepted;
        std::wstring prompt;  // empty when accepted
        BOOL saving = TRUE;
    } cases[] = {
        {L"", true, L""},
        {L"  \t ", true, L""},
        {pfx, true, L""},
        {L"  " + pfx + L"  ", true, L""},
        {missing, false, L"The file '" + missing + L"' was not found."},
        {L" " + missing, false, L"The file '" + missing + L"' was not found."},  // the trimmed path is named
        {notPfx, false, kInvalid},
        {L"CAPI::MY", false, kInvalid},  // no existence test, then loaded as a file
        {L"capi::MY::tessaro-nobody", false, kInvalid},
        {L"Z:\\no\\such\\file.pfx", true, L"", FALSE},  // validated only when saving
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(test.typed));
        ::SetDlgItemTextW(m_dialog.m_hWnd, kPath, test.typed.c_str());
        ::SetFocus(::GetDlgItem(m_dialog.m_hWnd, IDOK));
        TestSupport::MessageBoxWatcher watcher(IDOK);
        EXPECT_EQ(m_dialog.UpdateData(test.saving) != FALSE, test.accepted);
        if (test.accepted) {
            EXPECT_TRUE(watcher.Boxes().empty());
            continue;
        }
        ASSERT_EQ(watcher.Boxes().size(), 1u);
        const std::wstring& text = watcher.Boxes()[0].text;
        EXPECT_EQ(text.substr(0, text.find_last_not_of(L"\r\n") + 1), test.prompt);
        EXPECT_EQ(watcher.Boxes()[0].owner, m_dialog.m_hWnd);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(m_dialog.m_hWnd, kPath));
    }
}

}  // namespace
