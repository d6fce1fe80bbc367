// The platform's PKCS #12 export and import, reached through one table so that
// a test can stand in for a platform whose export is missing (Wine's
// PFXExportCertStoreEx is a stub). The library itself never changes it.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "foundation/TessaroApi.h"

struct ZPfxFunctions {
    // PFXExportCertStoreEx's signature.
    BOOL(WINAPI* exportStore)(HCERTSTORE store, CRYPT_DATA_BLOB* pfx, LPCWSTR password, void* reserved,
                              DWORD flags);
    // PFXImportCertStore's signature.
    HCERTSTORE(WINAPI* importStore)(CRYPT_DATA_BLOB* pfx, LPCWSTR password, DWORD flags);
};

// The functions in use; the platform's unless replaced.
TESSARO_API const ZPfxFunctions& ZGetPfxFunctions();
// Replaces the functions (a null member puts the platform's back) and returns
// the previous ones. Not thread-safe: set it before certificates are used.
TESSARO_API ZPfxFunctions ZSetPfxFunctions(const ZPfxFunctions& functions);
