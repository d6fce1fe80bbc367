// ZCertificate: a self-signed X.509 v3 certificate with its private key, made
// here or loaded from a PFX file or a system store, and saved as a PFX file
// plus, when it has one, its signing request as PEM text beside it.
//
// A new certificate's key lives in a key container of its own (a unique name,
// so concurrent creations never share one) that dies with the object: the
// private key survives only in the PFX file written by Save. Extensions of a
// new certificate, in order: subject key identifier, key usage (0xB8),
// extended key usage (server or client authentication), basic constraints
// (CA, path length 1) and the older authority key identifier.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <memory>
#include <string>

#include "certificates/CapiHandles.h"
#include "certificates/ZCapiCertificateStore.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnknown.h"

// Creation flags.
constexpr unsigned long ZCERT_CLIENT_AUTHENTICATION = 0x1;  // client instead of server authentication
constexpr unsigned long ZCERT_GENERATE_REQUEST = 0x4;       // also make a certificate signing request

class TESSARO_API ZCertificateBase : public ZUnknown<IUnknown> {
public:
    ~ZCertificateBase() override = default;
};

class TESSARO_API ZCertificate : public ZCertificateBase {
public:
    ZCertificate();
    ~ZCertificate() override;
    ZCertificate(const ZCertificate&) = delete;
    ZCertificate& operator=(const ZCertificate&) = delete;

    // A new certificate with one reference, or null with the report filled.
    // signatureAlgorithm: "1.2.840.113549.1.1.5" (SHA-1 with RSA) or
    // "1.2.840.113549.1.1.11" (SHA-256 with RSA).
    static ZCertificate* CreateSelfSigned(const CERT_NAME_BLOB* name, const FILETIME* notAfter, unsigned long flags,
                                          unsigned long keyBits, const char* signatureAlgorithm,
                                          ZReportMessageParams& report);

    // The PFX file (no password) and, with a request, the request file
    // ReplaceCertificateExtension(path, ".csr"). A PFX that was written stays
    // when the request file fails.
    bool Save(const wchar_t* path, ZReportMessageParams& report);
    // "CAPI::<store>::<common name>" finds the certificate in a system store;
    // any other path is a PFX file (see ZCapiCertificateStore::Load).
    bool Load(const wchar_t* path, const wchar_t* password, ZReportMessageParams& report);

    const CERT_CONTEXT* GetCertificate() const { return m_certificate.get(); }
    // The DER of the signing request; null without one.
    const BYTE* GetRequest() const { return m_request.get(); }
    DWORD GetRequestLength() const { return m_requestLength; }
    const ZCapiCertificateStore& GetStore() const { return m_store; }

private:
    ZCertificate(const CERT_CONTEXT* certificate, std::unique_ptr<BYTE[]> request, DWORD requestLength);
    bool LoadFromSystemStore(const wchar_t* path, const std::wstring& storeName, const std::wstring& commonName,
                             ZReportMessageParams& report);

    Tessaro::CertContextPtr m_certificate;
    ZCapiCertificateStore m_store;
    std::unique_ptr<BYTE[]> m_request;
    DWORD m_requestLength = 0;
};
