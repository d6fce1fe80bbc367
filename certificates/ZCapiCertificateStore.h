// ZCapiCertificateStore: a certificate loaded from a PFX file, optionally
// replaced by the certificate of a companion ".crt" or ".cer" file beside it
// (same name without ".pfx"/".p12"), which then uses the PFX's private key.
// A companion whose public key is not that key is ignored.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "certificates/CapiHandles.h"
#include "certificates/ZCapiPfxStore.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"

class TESSARO_API ZCapiCertificateStore {
public:
    ZCapiCertificateStore();
    // The store takes over the certificate's key container (see ZCapiPfxStore).
    explicit ZCapiCertificateStore(const CERT_CONTEXT* certificate);
    virtual ~ZCapiCertificateStore();
    ZCapiCertificateStore(const ZCapiCertificateStore&) = delete;
    ZCapiCertificateStore& operator=(const ZCapiCertificateStore&) = delete;

    // On success the report tells what was loaded (host messages 0x61040050
    // or 0x6104008E); on failure it is 0xE104004F with the path and the cause.
    bool Load(const wchar_t* path, const wchar_t* password, ZReportMessageParams& report);

    // The companion file's certificate when there was one, else the PFX's.
    const CERT_CONTEXT* GetCertificate() const;
    ZCapiPfxStore& GetPfxStore() { return m_pfx; }
    const ZCapiPfxStore& GetPfxStore() const { return m_pfx; }

private:
    // True, with no file certificate, for a companion of another key.
    bool LoadCompanion(const wchar_t* companion, ZReportMessageParams& report);

    Tessaro::CertContextPtr m_fileCertificate;
    Tessaro::CertStorePtr m_fileStore;
    ZCapiPfxStore m_pfx;
};
