// ZCapiPfxStore: a certificate with its private key, as a PKCS #12 (PFX) file
// holds them. The store owns the key container that the certificate's
// key-provider property names: when the store lets the certificate go (on
// destruction, or when it loads another), it deletes that container, so a key
// lives on only in the files it was saved to.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "certificates/CapiHandles.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZCapiPfxStore {
public:
    enum KeyKind : DWORD { KeyNotDetermined = 0, KeyRsa = 1, KeyDsa = 2 };

    ZCapiPfxStore();
    // Keeps a duplicate of the certificate and takes over its key container.
    explicit ZCapiPfxStore(const CERT_CONTEXT* certificate);
    virtual ~ZCapiPfxStore();
    ZCapiPfxStore(const ZCapiPfxStore&) = delete;
    ZCapiPfxStore& operator=(const ZCapiPfxStore&) = delete;

    // Imports the file (an empty or null password tries no password, then
    // "") and keeps its first certificate that has a private key. Keys other
    // than RSA and DSA are refused with NTE_BAD_ALGID.
    bool Load(const wchar_t* path, const wchar_t* password, ZReportMessageParams& report);
    // Writes the certificate and its private key to path, replacing the file.
    bool Save(const wchar_t* path, const wchar_t* password, ZReportMessageParams& report) const;

    const CERT_CONTEXT* GetCertificate() const { return m_certificate.get(); }
    DWORD GetKeyKind() const { return m_keyKind; }
    const ZUnicodeString& GetContainerName() const { return m_containerName; }
    const ZUnicodeString& GetProviderName() const { return m_providerName; }
    // 0 when the store owns no key container.
    DWORD GetProviderType() const { return m_providerType; }

private:
    void Adopt(Tessaro::CertContextPtr certificate);
    void Clear();
    bool Import(const CRYPT_DATA_BLOB& bytes, const wchar_t* password, ZReportMessageParams& report);

    Tessaro::CertContextPtr m_certificate;
    Tessaro::CertStorePtr m_pfxStore;
    DWORD m_keyKind = KeyNotDetermined;
    ZUnicodeString m_containerName;
    ZUnicodeString m_providerName;
    DWORD m_providerType = 0;
    DWORD m_providerFlags = 0;  // CRYPT_MACHINE_KEYSET, for the deletion
};
