#include "tests/support/WineRequestEncoder.h"

#include <windows.h>
#include <wincrypt.h>

#include <atomic>
#include <cstring>

#include "tests/support/DerWriter.h"
#include "tests/support/WineDetection.h"

namespace TestSupport {
namespace {

std::atomic<int> g_failures{0};

// CertificationRequestInfo: version, subject, subject public key, no attributes.
BOOL WINAPI EncodeRequest(DWORD encoding, LPCSTR, const void* info, BYTE* encoded, DWORD* size)
{
    if (g_failures > 0) {
        --g_failures;
        ::SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const auto* request = static_cast<const CERT_REQUEST_INFO*>(info);
    DWORD keySize = 0;
    if (!::CryptEncodeObject(encoding, X509_PUBLIC_KEY_INFO, &request->SubjectPublicKeyInfo, nullptr, &keySize))
        return FALSE;
    Der::Bytes key(keySize);
    if (!::CryptEncodeObject(encoding, X509_PUBLIC_KEY_INFO, &request->SubjectPublicKeyInfo, key.data(), &keySize))
        return FALSE;
    key.resize(keySize);
    const Der::Bytes subject(request->Subject.pbData, request->Subject.pbData + request->Subject.cbData);
    const Der::Bytes der = Der::Sequence({Der::Integer(request->dwVersion), subject, key, Der::Tlv(0xA0, {})});
    // Without a buffer only the size is asked for.
    const bool fits = encoded && *size >= der.size();
    if (fits)
        std::memcpy(encoded, der.data(), der.size());
    else if (encoded)
        ::SetLastError(ERROR_MORE_DATA);
    *size = static_cast<DWORD>(der.size());
    return !encoded || fits;
}

}  // namespace

bool InstallWineRequestEncoder()
{
    static const bool installed = [] {
        if (!RunningUnderWine())
            return false;
        CRYPT_OID_FUNC_ENTRY entry = {X509_CERT_REQUEST_TO_BE_SIGNED, reinterpret_cast<void*>(&EncodeRequest)};
        return ::CryptInstallOIDFunctionAddress(::GetModuleHandleW(nullptr), X509_ASN_ENCODING,
                                                CRYPT_OID_ENCODE_OBJECT_FUNC, 1, &entry, 0) != FALSE;
    }();
    return installed;
}

void FailRequestEncodings(int count) { g_failures = count; }

}  // namespace TestSupport
