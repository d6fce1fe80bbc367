// Demo section: the create-certificate dialog, filled in and confirmed by a
// timer script as a user would, with a screenshot. A file is put where the
// certificate goes first, so the overwrite question is asked and answered Yes.
#include <afxcmn.h>
#include <commctrl.h>

#include <string>

#include "certificates/CreateCertificateDialog.h"
#include "certificates/ZCertificate.h"
#include "certificates/ZPfxFunctions.h"
#include "demo/DemoOutput.h"
#include "demo/DemoScreenshot.h"
#include "resources/TessaroResource.h"
#include "settings/ZFile.h"
#include "tests/certificates/TestPfxExporter.h"
#include "tests/support/WineDetection.h"

namespace {

constexpr UINT_PTR kScriptTimer = 1;
constexpr int kGiveUpAfterSteps = 40;  // 12 s: a stuck dialog must not stall the unattended run

// Message boxes of this thread other than the dialog: Yes to the question,
// OK to anything else, each text remembered for the output.
HHOOK g_hook = nullptr;
HWND g_dialog = nullptr;
std::wstring g_answers;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    if (code == HCBT_ACTIVATE && window != g_dialog && ::GetClassNameW(window, className, 16) &&
        std::wstring(className) == L"#32770") {
        const int answer = ::GetDlgItem(window, IDYES) ? IDYES : IDOK;
        wchar_t text[512] = {};
        ::GetDlgItemTextW(window, 0xFFFF, text, 512);  // the box's message
        g_answers += std::wstring(L"  answered ") + (answer == IDYES ? L"Yes" : L"OK") + L": " + text + L"\n";
        ::PostMessageW(window, WM_COMMAND, answer, 0);
    }
    return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

class ScriptedCertificateDialog : public CreateCertificateDialog {
public:
    ScriptedCertificateDialog(const wchar_t* path, bool sha1)
        : CreateCertificateDialog(path, ZCERT_GENERATE_REQUEST, nullptr), m_sha1(sha1)
    {
    }
    std::wstring screenshot;

    BOOL OnInitDialog() override
    {
        CreateCertificateDialog::OnInitDialog();
        g_dialog = m_hWnd;
        SetTimer(kScriptTimer, 300);
        return TRUE;
    }

protected:
    afx_msg void OnTimer(UINT_PTR)
    {
        switch (m_step++) {
        case 0:
            SetDlgItemText(IDC_CERT_COMMON_NAME, L"dialog.tessaro.example");
            SetDlgItemText(IDC_CERT_ORGANIZATION, L"Tessaro Demo");
            SetDlgItemText(IDC_CERT_ORGANIZATIONAL_UNIT, L"Certificates");
            SetDlgItemText(IDC_CERT_COUNTRY, L"FR");
            SetDlgItemText(IDC_CERT_LOCALITY, L"Lyon");
            ::SendDlgItemMessageW(m_hWnd, IDC_CERT_SIGNATURE_ALGORITHM, CB_SETCURSEL, m_sha1 ? 0 : 1, 0);
            GetDlgItem(IDC_CERT_COMMON_NAME)->SetFocus();  // shows the field's explanation
            break;
        case 1:
            screenshot = SaveScreenshot(m_hWnd, L"certificate-dialog.png");
            break;
        case 2:
            KillTimer(kScriptTimer);
            SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);  // "Generate"; returns once done
            SetTimer(kScriptTimer, 300);
            break;
        default:
            if (m_step > kGiveUpAfterSteps)
                EndDialog(IDCANCEL);
        }
    }
    DECLARE_MESSAGE_MAP()

private:
    bool m_sha1;
    int m_step = 0;
};

BEGIN_MESSAGE_MAP(ScriptedCertificateDialog, CreateCertificateDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

void PutPlaceholder(const std::wstring& path)
{
    ZFile file;
    DWORD written = 0;
    if (file.Open(path.c_str(), GENERIC_WRITE, CREATE_ALWAYS))
        file.Write("placeholder", 11, 0, written);
}

}  // namespace

void ShowCertificateDialog()
{
    DemoPrint(L"-- Through the create-certificate dialog\n");
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&init);

    const bool underWine = TestSupport::RunningUnderWine();
    ZPfxFunctions previous = {};
    if (underWine) {
        previous = ZSetPfxFunctions({&CertificateTests::ExportPfxForTests, nullptr});
        DemoPrint(L"  Under Wine the dialog saves through the tests' PFX writer (the platform's export is a stub)\n"
                  L"  and signs with SHA-1 (Wine's provider has no SHA-256).\n");
    }
    const std::wstring typed = DemoOutputFolder() + L"dialog-certificate";
    const std::wstring expected = typed + L".pfx";
    PutPlaceholder(expected);

    ScriptedCertificateDialog dialog(typed.c_str(), underWine);
    g_answers.clear();
    g_hook = ::SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, ::GetCurrentThreadId());
    const INT_PTR result = dialog.DoModal();
    ::UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    g_dialog = nullptr;
    if (underWine)
        ZSetPfxFunctions(previous);

    DemoPrintf(L"  screenshot: %ls\n", dialog.screenshot.empty() ? L"(none)" : dialog.screenshot.c_str());
    DemoPrint(g_answers.c_str());
    if (result != IDOK) {
        DemoPrintf(L"  the dialog ended without a certificate (%ls)\n", result == IDCANCEL ? L"gave up" : L"failed");
        return;
    }
    DemoPrintf(L"  generated: %ls\n", dialog.GetPath());
    ZCertificate loaded;
    ZReportMessageParams report;
    if (loaded.Load(dialog.GetPath(), nullptr, report) && loaded.GetCertificate()) {
        wchar_t subject[256] = {};
        ::CertNameToStrW(X509_ASN_ENCODING, &loaded.GetCertificate()->pCertInfo->Subject, CERT_X500_NAME_STR,
                         subject, 256);
        DemoPrintf(L"  loaded back: %ls, signed with %hs\n", subject,
                   loaded.GetCertificate()->pCertInfo->SignatureAlgorithm.pszObjId);
    } else {
        DemoPrintf(L"  not loaded back (0x%08lX): %ls\n", static_cast<unsigned long>(report.GetMessageId()),
                   report.GetTextNoFinalBreak());
    }
}
