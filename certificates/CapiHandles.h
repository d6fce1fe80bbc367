// Owners of the CryptoAPI handles the certificate code holds, so that every
// path out of a function releases them.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <memory>

namespace Tessaro {

struct CertContextFree {
    void operator()(const CERT_CONTEXT* context) const { ::CertFreeCertificateContext(context); }
};
using CertContextPtr = std::unique_ptr<const CERT_CONTEXT, CertContextFree>;

struct CertStoreClose {
    void operator()(HCERTSTORE store) const { ::CertCloseStore(store, 0); }
};
using CertStorePtr = std::unique_ptr<void, CertStoreClose>;

inline CertContextPtr DuplicateContext(const CERT_CONTEXT* context)
{
    return CertContextPtr(context ? ::CertDuplicateCertificateContext(context) : nullptr);
}

// The calling thread's last error for a call that failed. Some platform calls
// fail without setting one (Wine's PKCS #12 functions); a report must never
// read as success, so those become E_FAIL.
inline DWORD LastFailure()
{
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : static_cast<DWORD>(E_FAIL);
}

}  // namespace Tessaro
