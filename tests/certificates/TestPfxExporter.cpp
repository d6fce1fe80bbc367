#include "tests/certificates/TestPfxExporter.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "tests/support/DerWriter.h"

namespace CertificateTests {
namespace Der = TestSupport::Der;
namespace {

// A little-endian field of a private-key blob as a DER integer.
Der::Bytes IntegerFromBlob(const BYTE*& at, size_t length)
{
    Der::Bytes bigEndian(at, at + length);
    std::reverse(bigEndian.begin(), bigEndian.end());
    at += length;
    return Der::Integer(bigEndian);
}

// RSAPrivateKey (PKCS #1) from a PRIVATEKEYBLOB: header, RSAPUBKEY, then
// modulus, p, q, dP, dQ, qInv and d, little-endian.
bool RsaPrivateKey(const CERT_CONTEXT* certificate, Der::Bytes& der)
{
    HCRYPTPROV provider = 0;
    DWORD keySpec = 0;
    if (!AcquireCertificateKeyProvider(certificate, provider, keySpec))
        return false;
    HCRYPTKEY key = 0;
    Der::Bytes blob;
    DWORD blobSize = 0;
    bool exported = ::CryptGetUserKey(provider, keySpec, &key) &&
                    ::CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &blobSize);
    if (exported) {
        blob.resize(blobSize);
        exported = ::CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, blob.data(), &blobSize);
    }
    if (key)
        ::CryptDestroyKey(key);
    ::CryptReleaseContext(provider, 0);
    if (!exported)
        return false;
    const auto* rsa = reinterpret_cast<const RSAPUBKEY*>(blob.data() + sizeof(BLOBHEADER));
    const BYTE* at = blob.data() + sizeof(BLOBHEADER) + sizeof(RSAPUBKEY);
    Der::Bytes field[7];  // modulus, p, q, dP, dQ, qInv, d
    for (size_t i = 0; i < 7; ++i)
        field[i] = IntegerFromBlob(at, i == 0 || i == 6 ? rsa->bitlen / 8 : rsa->bitlen / 16);
    der = Der::Sequence({Der::Integer(0ul), field[0], Der::Integer(static_cast<unsigned long>(rsa->pubexp)), field[6],
                         field[1], field[2], field[3], field[4], field[5]});
    return true;
}

// A SafeContents holding one bag, inside a ContentInfo of type data.
Der::Bytes DataWithBag(const char* bagType, const Der::Bytes& value, const Der::Bytes& attributes)
{
    const Der::Bytes bag = Der::Sequence({Der::Oid(bagType), Der::Explicit(0, value), attributes});
    return Der::Sequence({Der::Oid("1.2.840.113549.1.7.1"), Der::Explicit(0, Der::OctetString(Der::Sequence({bag})))});
}

}  // namespace

bool AcquireCertificateKeyProvider(const CERT_CONTEXT* certificate, HCRYPTPROV& provider, DWORD& keySpec)
{
    DWORD size = 0;
    if (!::CertGetCertificateContextProperty(certificate, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size))
        return false;
    auto infoBytes = std::make_unique<BYTE[]>(size);
    if (!::CertGetCertificateContextProperty(certificate, CERT_KEY_PROV_INFO_PROP_ID, infoBytes.get(), &size))
        return false;
    const auto* info = reinterpret_cast<const CRYPT_KEY_PROV_INFO*>(infoBytes.get());
    keySpec = info->dwKeySpec;
    return ::CryptAcquireContextW(&provider, info->pwszContainerName, info->pwszProvName, info->dwProvType, 0) !=
           FALSE;
}

BOOL WINAPI ExportPfxForTests(HCERTSTORE store, CRYPT_DATA_BLOB* pfx, LPCWSTR password, void*, DWORD flags)
{
    if ((password && *password) || !(flags & EXPORT_PRIVATE_KEYS)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const CERT_CONTEXT* certificate = ::CertEnumCertificatesInStore(store, nullptr);
    if (!certificate) {
        ::SetLastError(static_cast<DWORD>(CRYPT_E_NOT_FOUND));
        return FALSE;
    }
    Der::Bytes rsaKey;
    const bool haveKey = RsaPrivateKey(certificate, rsaKey);
    const Der::Bytes certificateDer(certificate->pbCertEncoded, certificate->pbCertEncoded + certificate->cbCertEncoded);
    ::CertFreeCertificateContext(certificate);
    if (!haveKey) {
        ::SetLastError(static_cast<DWORD>(NTE_BAD_KEY));
        return FALSE;
    }
    // localKeyId pairs the key with its certificate.
    const Der::Bytes attributes =
        Der::Set({Der::Sequence({Der::Oid("1.2.840.113549.1.9.21"), Der::Set({Der::OctetString({1})})})});
    const Der::Bytes certBag =
        Der::Sequence({Der::Oid("1.2.840.113549.1.9.22.1"), Der::Explicit(0, Der::OctetString(certificateDer))});
    const Der::Bytes keyInfo = Der::Sequence({Der::Integer(0ul),
                                              Der::Sequence({Der::Oid("1.2.840.113549.1.1.1"), Der::Null()}),
                                              Der::OctetString(rsaKey)});
    const Der::Bytes safes = Der::Sequence({DataWithBag("1.2.840.113549.1.12.10.1.3", certBag, attributes),
                                            DataWithBag("1.2.840.113549.1.12.10.1.1", keyInfo, attributes)});
    const Der::Bytes der = Der::Sequence(
        {Der::Integer(3ul),
         Der::Sequence({Der::Oid("1.2.840.113549.1.7.1"), Der::Explicit(0, Der::OctetString(safes))})});
    std::fill(rsaKey.begin(), rsaKey.end(), 0);
    if (!pfx->pbData) {
        pfx->cbData = static_cast<DWORD>(der.size());
        return TRUE;
    }
    if (pfx->cbData < der.size()) {
        pfx->cbData = static_cast<DWORD>(der.size());
        ::SetLastError(ERROR_MORE_DATA);
        return FALSE;
    }
    std::memcpy(pfx->pbData, der.data(), der.size());
    pfx->cbData = static_cast<DWORD>(der.size());
    return TRUE;
}

}  // namespace CertificateTests
