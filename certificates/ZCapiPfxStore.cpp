#include "certificates/ZCapiPfxStore.h"

#include <cstring>
#include <memory>

#include "certificates/CertificateFiles.h"
#include "certificates/CertificateMessages.h"
#include "certificates/ZCapiKeyContainer.h"
#include "certificates/ZPfxFunctions.h"
#include "settings/ZFile.h"

using Tessaro::CertContextPtr;
using Tessaro::CertStorePtr;
using Tessaro::LastFailure;

ZCapiPfxStore::ZCapiPfxStore() = default;

ZCapiPfxStore::ZCapiPfxStore(const CERT_CONTEXT* certificate) { Adopt(Tessaro::DuplicateContext(certificate)); }

ZCapiPfxStore::~ZCapiPfxStore() { Clear(); }

void ZCapiPfxStore::Adopt(CertContextPtr certificate)
{
    Clear();
    m_certificate = std::move(certificate);
    if (!m_certificate)
        return;
    DWORD size = 0;
    if (!::CertGetCertificateContextProperty(m_certificate.get(), CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size))
        return;
    auto buffer = std::make_unique<BYTE[]>(size);
    if (!::CertGetCertificateContextProperty(m_certificate.get(), CERT_KEY_PROV_INFO_PROP_ID, buffer.get(), &size))
        return;
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buffer.get());
    m_containerName = info->pwszContainerName ? info->pwszContainerName : L"";
    m_providerName = info->pwszProvName ? info->pwszProvName : L"";
    m_providerType = info->dwProvType;
    m_providerFlags = info->dwFlags;
}

void ZCapiPfxStore::Clear()
{
    m_certificate.reset();
    m_pfxStore.reset();
    if (m_providerType != 0)
        ZCapiKeyContainer::Delete(m_containerName.c_str(), m_providerName.c_str(), m_providerType, m_providerFlags);
    m_keyKind = KeyNotDetermined;
    m_containerName.clear();
    m_providerName.clear();
    m_providerType = 0;
    m_providerFlags = 0;
}

bool ZCapiPfxStore::Load(const wchar_t* path, const wchar_t* password, ZReportMessageParams& report)
{
    Clear();
    // The size is judged before anything is mapped.
    ZFile file;
    if (!file.Open(path, GENERIC_READ, OPEN_EXISTING)) {
        report.Reset(LastFailure());
        return false;
    }
    const int64_t size = file.GetSize();
    if (size > 0xFFFFFFFFLL) {
        report.Reset(MSG_HOST_CERTIFICATE_TOO_LARGE);
        return false;
    }
    if (size < 0 || !file.MapReadOnly(path)) {
        report.Reset(LastFailure());
        return false;
    }
    CRYPT_DATA_BLOB bytes = {static_cast<DWORD>(size),
                             static_cast<BYTE*>(const_cast<void*>(file.GetMappedView()))};
    if (password && *password)
        return Import(bytes, password, report);
    return Import(bytes, nullptr, report) || Import(bytes, L"", report);
}

bool ZCapiPfxStore::Import(const CRYPT_DATA_BLOB& bytes, const wchar_t* password, ZReportMessageParams& report)
{
    CRYPT_DATA_BLOB pfx = bytes;
    CertStorePtr store(ZGetPfxFunctions().importStore(&pfx, password, CRYPT_EXPORTABLE));
    if (!store) {
        report.Reset(LastFailure());
        return false;
    }
    CertContextPtr withKey;
    for (const CERT_CONTEXT* walk = nullptr; (walk = ::CertEnumCertificatesInStore(store.get(), walk));) {
        DWORD propertySize = 0;
        if (::CertGetCertificateContextProperty(walk, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &propertySize)) {
            withKey.reset(walk);
            break;
        }
    }
    if (!withKey) {
        report.Reset(LastFailure());
        return false;
    }
    // Adopted before the algorithm is judged, so that a refused key's
    // container is deleted with it.
    Adopt(std::move(withKey));
    m_pfxStore = std::move(store);
    const char* algorithm = m_certificate->pCertInfo->SubjectPublicKeyInfo.Algorithm.pszObjId;
    if (algorithm && std::strcmp(algorithm, szOID_RSA_RSA) == 0) {
        m_keyKind = KeyRsa;
    } else if (algorithm && std::strcmp(algorithm, szOID_X957_DSA) == 0) {
        m_keyKind = KeyDsa;
    } else {
        Clear();
        report.Reset(static_cast<DWORD>(NTE_BAD_ALGID));
        return false;
    }
    return true;
}

bool ZCapiPfxStore::Save(const wchar_t* path, const wchar_t* password, ZReportMessageParams& report) const
{
    if (!m_certificate) {
        report.Reset(static_cast<DWORD>(CRYPT_E_NOT_FOUND));
        return false;
    }
    CertStorePtr memory(::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    if (!memory || !::CertAddCertificateContextToStore(memory.get(), m_certificate.get(), CERT_STORE_ADD_NEW, nullptr)) {
        report.Reset(LastFailure());
        return false;
    }
    const ZPfxFunctions& pfx = ZGetPfxFunctions();
    CRYPT_DATA_BLOB blob = {};
    if (!pfx.exportStore(memory.get(), &blob, password, nullptr, EXPORT_PRIVATE_KEYS) || blob.cbData == 0) {
        report.Reset(LastFailure());
        return false;
    }
    auto bytes = std::make_unique<BYTE[]>(blob.cbData);
    blob.pbData = bytes.get();
    if (!pfx.exportStore(memory.get(), &blob, password, nullptr, EXPORT_PRIVATE_KEYS)) {
        report.Reset(LastFailure());
        return false;
    }
    return Tessaro::WriteCertificateFile(path, bytes.get(), blob.cbData, report);
}
