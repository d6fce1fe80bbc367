#include "certificates/ZCapiCertificateStore.h"

#include <memory>

#include "certificates/CertificateFiles.h"
#include "certificates/CertificateMessages.h"

namespace {

bool FileExists(const wchar_t* path)
{
    HANDLE file = ::CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    const bool exists = ::GetFileInformationByHandle(file, &information) != FALSE;
    ::CloseHandle(file);
    return exists;
}

void ReportLoadFailure(ZReportMessageParams& report, const wchar_t* path, ZReportMessageParams& cause)
{
    const std::wstring text = cause.GetTextNoFinalBreak();
    report.Reset(MSG_HOST_CERTIFICATE_LOAD_FAILED);
    report.AddInsert(path);
    report.AddInsert(text);
}

}  // namespace

ZCapiCertificateStore::ZCapiCertificateStore() = default;

ZCapiCertificateStore::ZCapiCertificateStore(const CERT_CONTEXT* certificate) : m_pfx(certificate) {}

ZCapiCertificateStore::~ZCapiCertificateStore() = default;

const CERT_CONTEXT* ZCapiCertificateStore::GetCertificate() const
{
    return m_fileCertificate ? m_fileCertificate.get() : m_pfx.GetCertificate();
}

bool ZCapiCertificateStore::Load(const wchar_t* path, const wchar_t* password, ZReportMessageParams& report)
{
    m_fileCertificate.reset();
    m_fileStore.reset();
    ZReportMessageParams cause;
    if (!m_pfx.Load(path, password, cause)) {
        ReportLoadFailure(report, path, cause);
        return false;
    }
    ZUnicodeString companion = ReplaceCertificateExtension(path, L".crt");
    if (!FileExists(companion.c_str())) {
        companion = ReplaceCertificateExtension(path, L".cer");
        if (!FileExists(companion.c_str())) {
            report.Reset(MSG_HOST_CERTIFICATE_LOADED);
            report.AddInsert(path);
            return true;
        }
    }
    if (!LoadCompanion(companion.c_str(), cause)) {
        ReportLoadFailure(report, path, cause);
        return false;
    }
    if (!m_fileCertificate) {
        // A companion for another key (an old one beside a PFX made anew)
        // would pair a certificate with a key it does not certify.
        report.Reset(MSG_HOST_CERTIFICATE_LOADED);
        report.AddInsert(path);
        return true;
    }
    report.Reset(MSG_HOST_CERTIFICATE_LOADED_WITH_COMPANION);
    report.AddInsert(path);
    report.AddInsert(companion.c_str());
    return true;
}

bool ZCapiCertificateStore::LoadCompanion(const wchar_t* companion, ZReportMessageParams& report)
{
    Tessaro::CertStorePtr store(::CertOpenStore(CERT_STORE_PROV_FILENAME_W, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                                0, CERT_STORE_OPEN_EXISTING_FLAG, companion));
    if (!store) {
        report.Reset(Tessaro::LastFailure());
        return false;
    }
    Tessaro::CertContextPtr certificate(::CertEnumCertificatesInStore(store.get(), nullptr));
    if (!certificate) {
        report.Reset(Tessaro::LastFailure());
        return false;
    }
    const CERT_CONTEXT* pfxCertificate = m_pfx.GetCertificate();
    if (!::CertComparePublicKeyInfo(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                    &certificate->pCertInfo->SubjectPublicKeyInfo,
                                    &pfxCertificate->pCertInfo->SubjectPublicKeyInfo))
        return true;  // ignored: the PFX's own certificate stays
    DWORD size = 0;
    if (!::CertGetCertificateContextProperty(pfxCertificate, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) {
        report.Reset(Tessaro::LastFailure());
        return false;
    }
    auto keyProvider = std::make_unique<BYTE[]>(size);
    if (!::CertGetCertificateContextProperty(pfxCertificate, CERT_KEY_PROV_INFO_PROP_ID, keyProvider.get(), &size) ||
        !::CertSetCertificateContextProperty(certificate.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, keyProvider.get())) {
        report.Reset(Tessaro::LastFailure());
        return false;
    }
    m_fileCertificate = std::move(certificate);
    m_fileStore = std::move(store);
    return true;
}
