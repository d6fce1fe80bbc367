#include "certificates/ZCapiPfxStore.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "certificates/CertificateFiles.h"
#include "certificates/CertificateMessages.h"
#include "certificates/KeyContainerList.h"
#include "certificates/TemporaryKeyContainers.h"
#include "certificates/WipedBytes.h"
#include "certificates/ZCapiKeyContainer.h"
#include "certificates/ZPfxFunctions.h"
#include "settings/ZFile.h"

using Tessaro::CertContextPtr;
using Tessaro::CertStorePtr;
using Tessaro::KeyContainerRef;
using Tessaro::LastFailure;

namespace {

// The container the certificate's key-provider property names.
bool ReadKeyProvider(const CERT_CONTEXT* certificate, KeyContainerRef& container)
{
    DWORD size = 0;
    if (!::CertGetCertificateContextProperty(certificate, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size))
        return false;
    auto buffer = std::make_unique<BYTE[]>(size);
    if (!::CertGetCertificateContextProperty(certificate, CERT_KEY_PROV_INFO_PROP_ID, buffer.get(), &size))
        return false;
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(buffer.get());
    container.name = info->pwszContainerName ? info->pwszContainerName : L"";
    container.provider = info->pwszProvName ? info->pwszProvName : L"";
    container.providerType = info->dwProvType;
    container.flags = info->dwFlags;
    return true;
}

bool SameContainerName(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

// The containers in the lists now that were not before, less the temporary
// ones of certificates being made (they belong to their makers).
std::vector<KeyContainerRef> AddedContainers(const std::set<KeyContainerRef>& before)
{
    std::vector<KeyContainerRef> added;
    for (const KeyContainerRef& container : Tessaro::ListKeyContainers()) {
        if (!before.count(container) && !Tessaro::IsNewCertificateContainer(container.name))
            added.push_back(container);
    }
    return added;
}

// Deletes what the import left that the kept certificate does not use: the
// containers of the other certificates, and the keys without a certificate,
// which only the containers the import added can tell.
void DeleteImportedContainers(HCERTSTORE store, std::vector<KeyContainerRef> doomed, const std::wstring& kept)
{
    for (const CERT_CONTEXT* walk = nullptr; store && (walk = ::CertEnumCertificatesInStore(store, walk));) {
        KeyContainerRef container;
        if (ReadKeyProvider(walk, container))
            doomed.push_back(container);
    }
    for (const KeyContainerRef& container : doomed) {
        if (!container.name.empty() && !SameContainerName(container.name, kept))
            ZCapiKeyContainer::Delete(container.name.c_str(), container.provider.c_str(), container.providerType,
                                      container.flags);
    }
}

}  // namespace

ZCapiPfxStore::ZCapiPfxStore() = default;

ZCapiPfxStore::ZCapiPfxStore(const CERT_CONTEXT* certificate) { Adopt(Tessaro::DuplicateContext(certificate)); }

ZCapiPfxStore::~ZCapiPfxStore() { Clear(); }

void ZCapiPfxStore::Adopt(CertContextPtr certificate)
{
    Clear();
    m_certificate = std::move(certificate);
    if (!m_certificate)
        return;
    KeyContainerRef container;
    if (!ReadKeyProvider(m_certificate.get(), container))
        return;
    m_containerName = container.name.c_str();
    m_providerName = container.provider.c_str();
    m_providerType = container.providerType;
    m_providerFlags = container.flags;
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
    // Others may read the file meanwhile (a scanner, another instance), but
    // nobody may change it while it is mapped. The size is judged before
    // anything is mapped; the view is that of the same handle.
    ZFile file;
    file.SetShareMode(FILE_SHARE_READ);
    if (!file.Open(path, GENERIC_READ, OPEN_EXISTING)) {
        report.Reset(LastFailure());
        return false;
    }
    const int64_t size = file.GetSize();
    if (size > 0xFFFFFFFFLL) {
        report.Reset(MSG_HOST_CERTIFICATE_TOO_LARGE);
        return false;
    }
    if (size < 0 || !file.MapOpenFile()) {
        report.Reset(LastFailure());
        return false;
    }
    CRYPT_DATA_BLOB bytes = {static_cast<DWORD>(file.GetMappedSize()),
                             static_cast<BYTE*>(const_cast<void*>(file.GetMappedView()))};
    if (password && *password)
        return Import(bytes, password, report);
    return Import(bytes, nullptr, report) || Import(bytes, L"", report);
}

bool ZCapiPfxStore::Import(const CRYPT_DATA_BLOB& bytes, const wchar_t* password, ZReportMessageParams& report)
{
    CRYPT_DATA_BLOB pfx = bytes;
    // The keys go to this user's containers whatever the file asks: in the
    // machine's they would be shared with every user and escape the lists.
    constexpr DWORD kImportFlags = CRYPT_EXPORTABLE | CRYPT_USER_KEYSET;
    // The platform persists a container for every private key of the file,
    // whether a certificate kept here uses it or not. Without the lock (its
    // holder hangs), the lists cannot tell this import's containers from
    // others', and none is claimed: spare keys are left rather than others'
    // keys deleted. Another program's container made meanwhile remains a risk.
    std::vector<KeyContainerRef> added;
    CertStorePtr store;
    DWORD importError = ERROR_SUCCESS;
    {
        const Tessaro::KeyContainerListLock lock;
        const std::set<KeyContainerRef> before =
            lock.IsHeld() ? Tessaro::ListKeyContainers() : std::set<KeyContainerRef>();
        store.reset(ZGetPfxFunctions().importStore(&pfx, password, kImportFlags));
        if (!store)
            importError = LastFailure();
        if (lock.IsHeld())
            added = AddedContainers(before);
    }
    CertContextPtr withKey;
    DWORD noKeyError = ERROR_SUCCESS;
    if (store) {
        for (const CERT_CONTEXT* walk = nullptr; (walk = ::CertEnumCertificatesInStore(store.get(), walk));) {
            DWORD propertySize = 0;
            if (::CertGetCertificateContextProperty(walk, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &propertySize)) {
                withKey.reset(walk);
                break;
            }
        }
        noKeyError = withKey ? ERROR_SUCCESS : LastFailure();
    }
    KeyContainerRef kept;
    if (withKey)
        ReadKeyProvider(withKey.get(), kept);
    DeleteImportedContainers(store.get(), std::move(added), kept.name);
    if (!store || !withKey) {
        report.Reset(store ? noKeyError : importError);
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
    // The bytes hold the private key, under an empty password by default.
    Tessaro::WipedBytes bytes(blob.cbData);
    blob.pbData = bytes.data();
    if (!pfx.exportStore(memory.get(), &blob, password, nullptr, EXPORT_PRIVATE_KEYS)) {
        report.Reset(LastFailure());
        return false;
    }
    return Tessaro::WriteCertificateFile(path, bytes.data(), blob.cbData, report);
}
