#include "certificates/CreateCertificateDialog.h"

#include <cwchar>
#include <memory>
#include <string>

#include "TessaroMessages.h"
#include "autocomplete/ZAutoComplete.h"
#include "certificates/ZCertificate.h"
#include "controls/ZDataExchange.h"
#include "controls/ZFileDialog.h"
#include "controls/ZFileFilters.h"
#include "foundation/TessaroInit.h"
#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"
#include "resources/TessaroResource.h"

namespace {

constexpr unsigned long kKeySizes[] = {1024, 2048, 4096};
constexpr char kSha1Rsa[] = "1.2.840.113549.1.1.5";
constexpr char kSha256Rsa[] = "1.2.840.113549.1.1.11";
constexpr ULONGLONG kOneYear = 315'360'000'000'000ull;  // 365 days in 100 ns

struct Explanation {
    UINT control;
    uint32_t message;
};
constexpr Explanation kExplanations[] = {
    {IDC_CERT_COMMON_NAME, MSG_CERT_HELP_COMMON_NAME},
    {IDC_CERT_ORGANIZATION, MSG_CERT_HELP_ORGANIZATION},
    {IDC_CERT_ORGANIZATIONAL_UNIT, MSG_CERT_HELP_ORGANIZATIONAL_UNIT},
    {IDC_CERT_COUNTRY, MSG_CERT_HELP_COUNTRY},
    {IDC_CERT_STATE, MSG_CERT_HELP_STATE},
    {IDC_CERT_LOCALITY, MSG_CERT_HELP_LOCALITY},
    {IDC_CERT_EMAIL, MSG_CERT_HELP_EMAIL},
    {IDC_CERT_PATH, MSG_CERT_HELP_PATH},
    {IDC_CERT_BROWSE, MSG_CERT_HELP_PATH},
    {IDC_CERT_EXPIRATION, MSG_CERT_HELP_EXPIRATION},
    {IDC_CERT_KEY_SIZE, MSG_CERT_HELP_KEY_SIZE},
};

int ControlOfAttribute(int attribute)
{
    switch (attribute) {
    case ZCapiCertificateName::Organization: return IDC_CERT_ORGANIZATION;
    case ZCapiCertificateName::OrganizationalUnit: return IDC_CERT_ORGANIZATIONAL_UNIT;
    case ZCapiCertificateName::Locality: return IDC_CERT_LOCALITY;
    case ZCapiCertificateName::StateOrProvince: return IDC_CERT_STATE;
    case ZCapiCertificateName::Country: return IDC_CERT_COUNTRY;
    case ZCapiCertificateName::Email: return IDC_CERT_EMAIL;
    default: return IDC_CERT_COMMON_NAME;
    }
}

// Everything after the last "." counts as the extension, so a dot in a folder
// name with none in the file name still gets ".pfx".
ZUnicodeString WithCertificateExtension(const ZUnicodeString& path)
{
    if (path.empty())
        return path;
    const std::wstring_view text = path.view();
    const size_t dot = text.rfind(L'.');
    const std::wstring_view extension = dot == std::wstring_view::npos ? std::wstring_view() : text.substr(dot + 1);
    const auto is = [&](const wchar_t* wanted) {
        return ::CompareStringOrdinal(extension.data(), static_cast<int>(extension.size()), wanted, -1, TRUE) ==
               CSTR_EQUAL;
    };
    if (is(L"pfx") || is(L"p12"))
        return path;
    std::wstring result(text);
    if (result.back() != L'.')
        result += L'.';
    result += L"pfx";
    return ZUnicodeString(result);
}

bool FileExists(const wchar_t* path)
{
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

struct CertificateRelease {
    void operator()(ZCertificate* certificate) const { certificate->Release(); }
};

}  // namespace

BEGIN_MESSAGE_MAP(CreateCertificateDialog, ZDialog)
    ON_BN_CLICKED(IDC_CERT_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDOK, OnGenerate)
    ON_CONTROL_RANGE(EN_SETFOCUS, IDC_CERT_COMMON_NAME, IDC_CERT_PATH, OnEnSetfocus)
    ON_BN_SETFOCUS(IDC_CERT_BROWSE, OnBnSetfocus)
    ON_NOTIFY(NM_SETFOCUS, IDC_CERT_EXPIRATION, OnNmSetfocus)
    ON_CBN_SETFOCUS(IDC_CERT_KEY_SIZE, OnCbnSetfocus)
END_MESSAGE_MAP()

CreateCertificateDialog::CreateCertificateDialog(const wchar_t* path, unsigned long flags, CWnd* parent)
    : ZDialog(IDD_CREATE_CERTIFICATE, GetTessaroDll(), parent), m_flags(flags), m_path(path ? path : L"")
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart += kOneYear;
    m_expiration = {time.LowPart, time.HighPart};
}

CreateCertificateDialog::~CreateCertificateDialog() = default;

BOOL CreateCertificateDialog::OnInitDialog()
{
    ZDialog::OnInitDialog();

    // Without an application name the introduction has a wording of its own.
    const wchar_t* appName = ZGetAppName();
    const bool named = appName && *appName;
    wchar_t pattern[512] = {};
    ::LoadStringW(GetTessaroDll(),
                  named ? IDS_CREATE_CERTIFICATE_INTRODUCTION : IDS_CREATE_CERTIFICATE_INTRODUCTION_UNNAMED, pattern,
                  512);
    std::wstring introduction = pattern;
    if (const size_t insert = introduction.find(L"%1"); named && insert != std::wstring::npos)
        introduction.replace(insert, 2, appName);
    SetDlgItemText(IDC_CERT_INTRODUCTION, introduction.c_str());

    if (auto* picker = static_cast<CDateTimeCtrl*>(GetDlgItem(IDC_CERT_EXPIRATION))) {
        // The value is UTC: so is its earliest date, or a local date behind
        // UTC would allow a certificate that expires before it starts.
        SYSTEMTIME now;
        ::GetSystemTime(&now);
        picker->SetRange(&now, nullptr);
    }

    if (auto* keySizes = static_cast<CComboBox*>(GetDlgItem(IDC_CERT_KEY_SIZE))) {
        for (int i = 0; i < 3; ++i)
            keySizes->InsertString(i, std::to_wstring(kKeySizes[i]).c_str());
        keySizes->SetCurSel(m_keySizeIndex);
        keySizes->SendMessageW(CB_SETMINVISIBLE, 3, 0);
    }

    m_signatureAlgorithm.ResetContent();
    m_signatureAlgorithm.AddItem(MSG_HASH_SHA1, ZString(kSha1Rsa));
    m_signatureAlgorithm.AddItem(MSG_HASH_SHA2, ZString(kSha256Rsa));
    m_signatureAlgorithm.SetCurrentValue(ZString(kSha256Rsa));

    AddAutoComplete(GetDlgItem(IDC_CERT_PATH), false);

    if (m_toolTip.Create(this)) {
        m_toolTip.AddTool(GetDlgItem(IDC_CERT_BROWSE), LoadMessageLabel(MSG_BROWSE_PATH).c_str());
        m_toolTip.Activate(TRUE);
    }
    return TRUE;
}

BOOL CreateCertificateDialog::PreTranslateMessage(MSG* msg)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.RelayEvent(msg);
    return ZDialog::PreTranslateMessage(msg);
}

void CreateCertificateDialog::DoDataExchange(CDataExchange* dx)
{
    ZDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_CERT_COMMON_NAME, m_commonName);
    DDX_Text(dx, IDC_CERT_ORGANIZATIONAL_UNIT, m_organizationalUnit);
    DDX_Text(dx, IDC_CERT_ORGANIZATION, m_organization);
    DDX_Text(dx, IDC_CERT_COUNTRY, m_country);
    DDV_MaxChars(dx, m_country, 2);
    DDX_Text(dx, IDC_CERT_LOCALITY, m_locality);
    DDX_Text(dx, IDC_CERT_STATE, m_stateOrProvince);
    DDX_Text(dx, IDC_CERT_EMAIL, m_email);
    DDX_Text(dx, IDC_CERT_PATH, m_path);
    DDX_DateTimeCtrl(dx, IDC_CERT_EXPIRATION, m_expiration);
    DDX_CBIndex(dx, IDC_CERT_KEY_SIZE, m_keySizeIndex);
    DDX_Control(dx, IDC_CERT_SIGNATURE_ALGORITHM, m_signatureAlgorithm);

    if (!dx->m_bSaveAndValidate)
        return;
    ZCapiCertificateName name;
    InitializeCertificateName(name);
    if (name.GetEncodedName())
        return;
    AfxMessageBox(name.GetErrorReport().GetSingleLineText(), MB_OK);
    dx->PrepareEditCtrl(ControlOfAttribute(name.GetErrorAttribute()));
    dx->Fail();
}

void CreateCertificateDialog::InitializeCertificateName(ZCapiCertificateName& name)
{
    name.SetAttribute(ZCapiCertificateName::CommonName, m_commonName);
    name.SetAttribute(ZCapiCertificateName::Organization, m_organization);
    name.SetAttribute(ZCapiCertificateName::OrganizationalUnit, m_organizationalUnit);
    name.SetAttribute(ZCapiCertificateName::Country, m_country);
    name.SetAttribute(ZCapiCertificateName::Locality, m_locality);
    name.SetAttribute(ZCapiCertificateName::StateOrProvince, m_stateOrProvince);
    name.SetAttribute(ZCapiCertificateName::Email, m_email);
}

void CreateCertificateDialog::OnGenerate()
{
    if (!UpdateData(TRUE))
        return;
    m_path = WithCertificateExtension(m_path);
    if (FileExists(m_path.c_str()) &&
        AfxMessageBox(LoadMessageLabel(MSG_CERT_FILE_EXISTS_OVERWRITE).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    ZCapiCertificateName name;
    InitializeCertificateName(name);
    const CERT_NAME_BLOB* encoded = name.GetEncodedName();
    const ZString algorithm = m_signatureAlgorithm.GetCurrentValue();
    const int index = m_keySizeIndex >= 0 && m_keySizeIndex < 3 ? m_keySizeIndex : 1;

    ZReportMessageParams report;
    std::unique_ptr<ZCertificate, CertificateRelease> certificate;
    if (encoded)
        certificate.reset(ZCertificate::CreateSelfSigned(encoded, &m_expiration, m_flags, kKeySizes[index],
                                                         algorithm.c_str(), report));
    else
        report.Assign(&name.GetErrorReport());
    if (certificate && certificate->Save(m_path.c_str(), report)) {
        EndDialog(IDOK);
        return;
    }
    AfxMessageBox(report.GetSingleLineText(), MB_OK);
}

void CreateCertificateDialog::OnBrowse()
{
    CStringW text;
    GetDlgItemText(IDC_CERT_PATH, text);
    ZUnicodeString chosen;
    if (BrowseForCertificateFile(text.GetString(), this, OFN_SHOWHELP, chosen, false) == IDOK)
        SetDlgItemText(IDC_CERT_PATH, chosen.c_str());
}

void CreateCertificateDialog::OnEnSetfocus(UINT id)
{
    ShowExplanation(id);
}

void CreateCertificateDialog::OnBnSetfocus()
{
    ShowExplanation(IDC_CERT_BROWSE);
}

void CreateCertificateDialog::OnNmSetfocus(NMHDR*, LRESULT* result)
{
    ShowExplanation(IDC_CERT_EXPIRATION);
    *result = 0;
}

void CreateCertificateDialog::OnCbnSetfocus()
{
    ShowExplanation(IDC_CERT_KEY_SIZE);
}

void CreateCertificateDialog::ShowExplanation(size_t controlId)
{
    std::wstring text;
    for (const Explanation& e : kExplanations)
        if (e.control == controlId)
            text = LoadMessageLabel(e.message);
    SetDlgItemText(IDC_CERT_EXPLANATION, text.c_str());
}

INT_PTR BrowseForCertificateFile(const wchar_t* initialFile, CWnd* parent, unsigned long flags,
                                 ZUnicodeString& result, bool open)
{
    const std::wstring title = LoadMessageLabel(MSG_SELECT_CERTIFICATE_FILE);
    const std::wstring filter = GetCertificateFileFilterDescription();
    ZFileDialog dialog(open, nullptr, title.c_str(), nullptr, L"*.pfx; *.p12", initialFile, flags, filter.c_str(),
                       parent);
    const INT_PTR answer = dialog.DoModal();
    if (answer == IDOK)
        result = ZUnicodeString(dialog.GetPathName());
    return answer;
}

INT_PTR BrowseForCertificateFile(const wchar_t* initialFile, CWnd* parent, ZUnicodeString& result)
{
    return BrowseForCertificateFile(initialFile, parent, OFN_FILEMUSTEXIST | OFN_SHOWHELP, result, true);
}
