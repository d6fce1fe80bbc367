// Wine has no encoder for X509_CERT_REQUEST_TO_BE_SIGNED (Windows has one), so
// a certificate request cannot be signed there. Under Wine only, this
// installs a stand-in encoder for the calling program with
// CryptInstallOIDFunctionAddress; elsewhere it does nothing.
#pragma once

namespace TestSupport {

// True when the stand-in is in place (so: under Wine).
bool InstallWineRequestEncoder();

// The next `count` encodings fail with ERROR_INVALID_DATA, for tests of a
// request that cannot be signed. Works only where the stand-in is installed.
void FailRequestEncodings(int count);

}  // namespace TestSupport
