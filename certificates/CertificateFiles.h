// The names and the text of the files a certificate is saved to.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnicodeString.h"

// path without a final ".pfx" or ".p12" (any case), then extension:
// "host.PFX" and ".csr" give "host.csr"; "host.key" gives "host.key.csr".
TESSARO_API ZUnicodeString ReplaceCertificateExtension(const wchar_t* path, const wchar_t* extension);

// A certificate request as PEM text: the "NEW CERTIFICATE REQUEST" header, the
// Base64 of the bytes in lines of 64 characters, the footer; every line ends
// in CR LF. Empty input fails with ERROR_INVALID_PARAMETER in the report.
TESSARO_API bool EncodeRequestAsPem(const BYTE* bytes, size_t count, std::string& text,
                                    ZReportMessageParams& report);

namespace Tessaro {

// Creates or replaces the file and writes the bytes as they are; the report
// takes the platform's error on failure.
bool WriteCertificateFile(const wchar_t* path, const void* bytes, DWORD count, ZReportMessageParams& report);

}  // namespace Tessaro
