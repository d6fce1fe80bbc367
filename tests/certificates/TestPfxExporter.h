// A stand-in for PFXExportCertStoreEx, which is a stub under Wine: it writes a
// real PKCS #12 file (no encryption, no MAC, as an empty password allows) of
// the store's first certificate and the private key its key-provider property
// names, so that OpenSSL and PFXImportCertStore can read what Save wrote.
#pragma once

#include <windows.h>
#include <wincrypt.h>

namespace CertificateTests {

// PFXExportCertStoreEx's signature. Refuses (ERROR_INVALID_PARAMETER) a
// password or flags without EXPORT_PRIVATE_KEYS, which it cannot honour.
BOOL WINAPI ExportPfxForTests(HCERTSTORE store, CRYPT_DATA_BLOB* pfx, LPCWSTR password, void* reserved,
                              DWORD flags);

// Opens the key container the certificate's key-provider property names and
// gives the key kind recorded there; false when there is none. The caller
// releases the provider.
bool AcquireCertificateKeyProvider(const CERT_CONTEXT* certificate, HCRYPTPROV& provider, DWORD& keySpec);

}  // namespace CertificateTests
