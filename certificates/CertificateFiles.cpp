#include "certificates/CertificateFiles.h"

#include <cstdint>
#include <cwchar>
#include <string_view>

#include "certificates/CapiHandles.h"
#include "settings/ZFile.h"

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kPemLineLength = 64;

std::string Base64(const BYTE* bytes, size_t count)
{
    std::string text;
    text.reserve((count + 2) / 3 * 4);
    for (size_t at = 0; at < count; at += 3) {
        const size_t left = count - at;
        const uint32_t group = (uint32_t{bytes[at]} << 16) | (left > 1 ? uint32_t{bytes[at + 1]} << 8 : 0) |
                               (left > 2 ? uint32_t{bytes[at + 2]} : 0);
        text += kBase64[(group >> 18) & 0x3F];
        text += kBase64[(group >> 12) & 0x3F];
        text += left > 1 ? kBase64[(group >> 6) & 0x3F] : '=';
        text += left > 2 ? kBase64[group & 0x3F] : '=';
    }
    return text;
}

}  // namespace

ZUnicodeString ReplaceCertificateExtension(const wchar_t* path, const wchar_t* extension)
{
    std::wstring_view base = path ? path : L"";
    if (base.size() >= 4) {
        const wchar_t* last = base.data() + base.size() - 4;
        if (::_wcsicmp(last, L".pfx") == 0 || ::_wcsicmp(last, L".p12") == 0)
            base.remove_suffix(4);
    }
    std::wstring result(base);
    result += extension ? extension : L"";
    return ZUnicodeString(result);
}

bool EncodeRequestAsPem(const BYTE* bytes, size_t count, std::string& text, ZReportMessageParams& report)
{
    if (!bytes || count == 0) {
        report.Reset(ERROR_INVALID_PARAMETER);
        return false;
    }
    const std::string body = Base64(bytes, count);
    std::string pem = "-----BEGIN NEW CERTIFICATE REQUEST-----\r\n";
    pem.reserve(body.size() + 2 * (body.size() / kPemLineLength + 3) + 76);
    for (size_t at = 0; at < body.size(); at += kPemLineLength) {
        pem.append(body, at, kPemLineLength);
        pem += "\r\n";
    }
    pem += "-----END NEW CERTIFICATE REQUEST-----\r\n";
    text = std::move(pem);
    return true;
}

bool Tessaro::WriteCertificateFile(const wchar_t* path, const void* bytes, DWORD count, ZReportMessageParams& report)
{
    ZFile file;
    DWORD written = 0;
    if (!file.Open(path, GENERIC_WRITE, CREATE_ALWAYS) || !file.Write(bytes, count, 0, written)) {
        report.Reset(Tessaro::LastFailure());
        return false;
    }
    if (written != count) {
        report.Reset(ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}
