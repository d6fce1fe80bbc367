#include "certificates/ZCertificate.h"

#include <array>
#include <cwchar>
#include <string>
#include <vector>

#include "certificates/CertificateFiles.h"
#include "certificates/CertificateMessages.h"
#include "certificates/TemporaryKeyContainers.h"
#include "certificates/ZCapiKeyContainer.h"
#include "foundation/ZArray.h"

using Tessaro::LastFailure;

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr size_t kSerialBytes = 16;
constexpr size_t kKeyIdentifierBytes = 20;
constexpr BYTE kKeyUsage = CERT_DIGITAL_SIGNATURE_KEY_USAGE | CERT_KEY_ENCIPHERMENT_KEY_USAGE |
                           CERT_DATA_ENCIPHERMENT_KEY_USAGE | CERT_KEY_AGREEMENT_KEY_USAGE;  // 0xB8

// Two calls, size then data; false with the platform's error.
bool Encode(LPCSTR structType, const void* info, std::vector<BYTE>& bytes, ZReportMessageParams& report)
{
    DWORD size = 0;
    if (!::CryptEncodeObject(kEncoding, structType, info, nullptr, &size)) {
        report.Reset(LastFailure());
        return false;
    }
    bytes.resize(size);
    if (!::CryptEncodeObject(kEncoding, structType, info, bytes.data(), &size)) {
        report.Reset(LastFailure());
        return false;
    }
    bytes.resize(size);
    return true;
}

bool SignAndEncode(HCRYPTPROV provider, LPCSTR structType, const void* info, CRYPT_ALGORITHM_IDENTIFIER* algorithm,
                   std::vector<BYTE>& bytes, ZReportMessageParams& report)
{
    DWORD size = 0;
    if (!::CryptSignAndEncodeCertificate(provider, AT_KEYEXCHANGE, kEncoding, structType, info, algorithm, nullptr,
                                         nullptr, &size)) {
        report.Reset(LastFailure());
        return false;
    }
    bytes.resize(size);
    if (!::CryptSignAndEncodeCertificate(provider, AT_KEYEXCHANGE, kEncoding, structType, info, algorithm, nullptr,
                                         bytes.data(), &size)) {
        report.Reset(LastFailure());
        return false;
    }
    bytes.resize(size);
    return true;
}

bool ExportPublicKey(HCRYPTPROV provider, std::vector<BYTE>& bytes, ZReportMessageParams& report)
{
    DWORD size = 0;
    if (!::CryptExportPublicKeyInfo(provider, AT_KEYEXCHANGE, kEncoding, nullptr, &size)) {
        report.Reset(LastFailure());
        return false;
    }
    bytes.resize(size);
    if (!::CryptExportPublicKeyInfo(provider, AT_KEYEXCHANGE, kEncoding,
                                    reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(bytes.data()), &size)) {
        report.Reset(LastFailure());
        return false;
    }
    return true;
}

// SHA-1 of the subject public key's bits, so that anyone holding the
// certificate can derive the same identifier.
bool KeyIdentifier(HCRYPTPROV provider, const CERT_PUBLIC_KEY_INFO& key, std::array<BYTE, kKeyIdentifierBytes>& id,
                   ZReportMessageParams& report)
{
    HCRYPTHASH hash = 0;
    if (!::CryptCreateHash(provider, CALG_SHA1, 0, 0, &hash)) {
        report.Reset(LastFailure());
        return false;
    }
    DWORD size = static_cast<DWORD>(id.size());
    const bool hashed = ::CryptHashData(hash, key.PublicKey.pbData, key.PublicKey.cbData, 0) &&
                        ::CryptGetHashParam(hash, HP_HASHVAL, id.data(), &size, 0) && size == id.size();
    if (!hashed)
        report.Reset(LastFailure());
    ::CryptDestroyHash(hash);
    return hashed;
}

// A positive serial of exactly 16 bytes: the blob is little-endian, so its
// last byte leads; its top bit would make the number negative, which
// certificate readers refuse, and the next bit keeps it from shrinking.
bool RandomSerial(HCRYPTPROV provider, std::array<BYTE, kSerialBytes>& serial, ZReportMessageParams& report)
{
    if (!::CryptGenRandom(provider, static_cast<DWORD>(serial.size()), serial.data())) {
        report.Reset(LastFailure());
        return false;
    }
    serial.back() = static_cast<BYTE>((serial.back() & 0x7F) | 0x40);
    return true;
}

std::vector<std::wstring> SplitFields(const wchar_t* path)
{
    std::vector<std::wstring> fields;
    const std::wstring text = path ? path : L"";
    size_t start = 0;
    for (size_t at = text.find(L"::"); at != std::wstring::npos; at = text.find(L"::", start)) {
        fields.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    fields.push_back(text.substr(start));
    return fields;
}

}  // namespace

ZCertificate::ZCertificate() = default;

ZCertificate::ZCertificate(const CERT_CONTEXT* certificate, std::unique_ptr<BYTE[]> request, DWORD requestLength)
    : m_certificate(Tessaro::DuplicateContext(certificate)),
      m_store(certificate),
      m_request(std::move(request)),
      m_requestLength(requestLength)
{
}

ZCertificate::~ZCertificate() = default;

ZCertificate* ZCertificate::CreateSelfSigned(const CERT_NAME_BLOB* name, const FILETIME* notAfter, unsigned long flags,
                                             unsigned long keyBits, const char* signatureAlgorithm,
                                             ZReportMessageParams& report)
{
    if (!name || !notAfter || !signatureAlgorithm) {
        report.Reset(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Deleted with its key on any failure; the new certificate's store takes
    // it over on success.
    // Each creation gets a container of its own: with one fixed name, a second
    // creation (in this process or another) would replace the first one's key.
    // Containers of makers killed midway are cleared first.
    Tessaro::RemoveAbandonedCertificateContainers();
    ZCapiKeyContainer container(Tessaro::NewCertificateContainerName(),
                                ZUnicodeString(Tessaro::kCertificateContainerProvider), true);
    if (!container.IsAcquired()) {
        report.Reset(container.GetErrorReport().GetMessageId());
        return nullptr;
    }
    {
        ZCapiKey key(container, AT_KEYEXCHANGE, (keyBits << 16) | CRYPT_EXPORTABLE);
        if (!key.Succeeded()) {
            report.Reset(key.GetErrorReport().GetMessageId());
            return nullptr;
        }
    }
    const HCRYPTPROV provider = container.GetHandle();

    std::array<BYTE, kSerialBytes> serial = {};
    std::vector<BYTE> publicKeyBytes;
    std::array<BYTE, kKeyIdentifierBytes> keyId = {};
    if (!RandomSerial(provider, serial, report) || !ExportPublicKey(provider, publicKeyBytes, report))
        return nullptr;
    const auto& publicKey = *reinterpret_cast<const CERT_PUBLIC_KEY_INFO*>(publicKeyBytes.data());
    if (!KeyIdentifier(provider, publicKey, keyId, report))
        return nullptr;

    CRYPT_ALGORITHM_IDENTIFIER algorithm = {const_cast<LPSTR>(signatureAlgorithm), {0, nullptr}};
    CERT_INFO info = {};
    info.dwVersion = CERT_V3;
    info.SerialNumber = {static_cast<DWORD>(serial.size()), serial.data()};
    info.SignatureAlgorithm = algorithm;
    info.Issuer = *name;
    info.Subject = *name;
    ::GetSystemTimeAsFileTime(&info.NotBefore);
    info.NotAfter = *notAfter;
    info.SubjectPublicKeyInfo = publicKey;

    CRYPT_DATA_BLOB keyIdBlob = {static_cast<DWORD>(keyId.size()), keyId.data()};
    BYTE keyUsageByte = kKeyUsage;
    CRYPT_BIT_BLOB keyUsage = {1, &keyUsageByte, 0};
    LPSTR purpose = const_cast<LPSTR>((flags & ZCERT_CLIENT_AUTHENTICATION) ? szOID_PKIX_KP_CLIENT_AUTH
                                                                            : szOID_PKIX_KP_SERVER_AUTH);
    CERT_ENHKEY_USAGE enhancedUsage = {1, &purpose};
    CERT_BASIC_CONSTRAINTS2_INFO constraints = {TRUE, TRUE, 1};
    CERT_AUTHORITY_KEY_ID_INFO authority = {keyIdBlob, *name, info.SerialNumber};
    struct ExtensionSource {
        LPCSTR oid;
        LPCSTR structType;
        const void* value;
    };
    const ExtensionSource sources[] = {
        {szOID_SUBJECT_KEY_IDENTIFIER, szOID_SUBJECT_KEY_IDENTIFIER, &keyIdBlob},
        {szOID_KEY_USAGE, X509_KEY_USAGE, &keyUsage},
        {szOID_ENHANCED_KEY_USAGE, X509_ENHANCED_KEY_USAGE, &enhancedUsage},
        {szOID_BASIC_CONSTRAINTS2, X509_BASIC_CONSTRAINTS2, &constraints},
        {szOID_AUTHORITY_KEY_IDENTIFIER, X509_AUTHORITY_KEY_ID, &authority},
    };
    std::array<std::vector<BYTE>, std::size(sources)> encodedExtensions;
    ZArray<CERT_EXTENSION> extensions;
    for (size_t index = 0; index < std::size(sources); ++index) {
        if (!Encode(sources[index].structType, sources[index].value, encodedExtensions[index], report))
            return nullptr;
        extensions.Add(CERT_EXTENSION{const_cast<LPSTR>(sources[index].oid), FALSE,
                                      {static_cast<DWORD>(encodedExtensions[index].size()),
                                       encodedExtensions[index].data()}});
    }
    info.cExtension = static_cast<DWORD>(extensions.GetCount());
    info.rgExtension = extensions.GetData();

    std::vector<BYTE> encoded;
    if (!SignAndEncode(provider, X509_CERT_TO_BE_SIGNED, &info, &algorithm, encoded, report))
        return nullptr;
    Tessaro::CertContextPtr certificate(
        ::CertCreateCertificateContext(kEncoding, encoded.data(), static_cast<DWORD>(encoded.size())));
    if (!certificate) {
        report.Reset(LastFailure());
        return nullptr;
    }
    CRYPT_KEY_PROV_INFO keyProvider = {};
    keyProvider.pwszContainerName = const_cast<LPWSTR>(container.GetContainerName().c_str());
    keyProvider.pwszProvName = const_cast<LPWSTR>(container.GetProviderName().c_str());
    keyProvider.dwProvType = container.GetProviderType();
    keyProvider.dwKeySpec = AT_KEYEXCHANGE;
    if (!::CertSetCertificateContextProperty(certificate.get(), CERT_KEY_PROV_INFO_PROP_ID,
                                             CERT_STORE_NO_CRYPT_RELEASE_FLAG, &keyProvider)) {
        report.Reset(LastFailure());
        return nullptr;
    }

    std::unique_ptr<BYTE[]> request;
    DWORD requestLength = 0;
    if (flags & ZCERT_GENERATE_REQUEST) {
        CERT_REQUEST_INFO requestInfo = {CERT_REQUEST_V1, *name, publicKey, 0, nullptr};
        std::vector<BYTE> requestBytes;
        if (!SignAndEncode(provider, X509_CERT_REQUEST_TO_BE_SIGNED, &requestInfo, &algorithm, requestBytes, report))
            return nullptr;
        requestLength = static_cast<DWORD>(requestBytes.size());
        request = std::make_unique<BYTE[]>(requestLength);
        std::copy(requestBytes.begin(), requestBytes.end(), request.get());
    }

    auto* made = new ZCertificate(certificate.get(), std::move(request), requestLength);
    container.KeepOnRelease();
    return made;
}

bool ZCertificate::Save(const wchar_t* path, ZReportMessageParams& report)
{
    if (!m_store.GetPfxStore().Save(path, nullptr, report))
        return false;
    if (!m_request)
        return true;
    std::string pem;
    if (!EncodeRequestAsPem(m_request.get(), m_requestLength, pem, report))
        return false;
    const ZUnicodeString requestPath = ReplaceCertificateExtension(path, L".csr");
    return Tessaro::WriteCertificateFile(requestPath.c_str(), pem.data(), static_cast<DWORD>(pem.size()), report);
}

bool ZCertificate::Load(const wchar_t* path, const wchar_t* password, ZReportMessageParams& report)
{
    const std::vector<std::wstring> fields = SplitFields(path);
    if (fields.size() == 3 && ::_wcsicmp(fields[0].c_str(), L"capi") == 0)
        return LoadFromSystemStore(path, fields[1], fields[2], report);

    m_certificate.reset();
    m_request.reset();
    m_requestLength = 0;
    if (!m_store.Load(path, password, report))
        return false;
    m_certificate = Tessaro::DuplicateContext(m_store.GetCertificate());
    return true;
}

bool ZCertificate::LoadFromSystemStore(const wchar_t* path, const std::wstring& storeName,
                                       const std::wstring& commonName, ZReportMessageParams& report)
{
    if (m_certificate) {
        // Not a failure the user caused; still, a failed call never reads as success.
        report.Reset(ERROR_ALREADY_INITIALIZED);
        return false;
    }
    HCERTSTORE store = ::CertOpenSystemStoreW(0, storeName.c_str());
    DWORD error = store ? ERROR_SUCCESS : LastFailure();
    if (store) {
        CERT_RDN_ATTR attribute = {};
        attribute.pszObjId = const_cast<LPSTR>(szOID_COMMON_NAME);
        attribute.dwValueType = CERT_RDN_PRINTABLE_STRING;
        attribute.Value.cbData = static_cast<DWORD>(commonName.size() * sizeof(wchar_t));
        attribute.Value.pbData = reinterpret_cast<BYTE*>(const_cast<wchar_t*>(commonName.c_str()));
        CERT_RDN subject = {1, &attribute};
        m_certificate.reset(::CertFindCertificateInStore(store, kEncoding, CERT_UNICODE_IS_RDN_ATTRS_FLAG,
                                                         CERT_FIND_SUBJECT_ATTR, &subject, nullptr));
        if (!m_certificate)
            error = LastFailure();
        ::CertCloseStore(store, CERT_CLOSE_STORE_CHECK_FLAG);
    }
    if (!m_certificate) {
        ZReportMessageParams cause(error);
        const std::wstring causeText = cause.GetTextNoFinalBreak();
        report.Reset(MSG_HOST_CERTIFICATE_LOAD_FAILED);
        report.AddInsert(path);
        report.AddInsert(causeText);
        return false;
    }
    report.Reset(MSG_HOST_CERTIFICATE_LOADED);
    report.AddInsert(path);
    return true;
}
