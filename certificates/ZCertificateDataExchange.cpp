#include "certificates/ZCertificateDataExchange.h"

#include <cwctype>
#include <string>

#include "TessaroMessages.h"
#include "certificates/CertificateMessages.h"
#include "certificates/ZCertificate.h"
#include "foundation/ZMessageBox.h"
#include "foundation/ZReportMessageParams.h"

namespace {

std::wstring Trimmed(const wchar_t* text)
{
    std::wstring value = text ? text : L"";
    size_t first = 0;
    while (first < value.size() && std::iswspace(value[first]))
        ++first;
    size_t last = value.size();
    while (last > first && std::iswspace(value[last - 1]))
        --last;
    return value.substr(first, last - first);
}

bool IsStoreReference(const std::wstring& path)
{
    return path.size() >= 6 && ::_wcsnicmp(path.c_str(), L"CAPI::", 6) == 0;
}

[[noreturn]] void Refuse(CDataExchange* pDX, int id, ZReportMessageParams& report)
{
    ZMessageBox(pDX->m_pDlgWnd, &report);
    pDX->PrepareEditCtrl(id);
    pDX->Fail();
}

}  // namespace

void AFXAPI ZDDV_ValidateCertificatePath(CDataExchange* pDX, int id, const wchar_t* path, const wchar_t* password)
{
    if (!pDX->m_bSaveAndValidate)
        return;
    const std::wstring trimmed = Trimmed(path);
    if (trimmed.empty())
        return;
    if (!IsStoreReference(trimmed) && ::GetFileAttributesW(trimmed.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ZReportMessageParams report(MSG_FILE_NOT_FOUND);
        report.AddInsert(trimmed);
        Refuse(pDX, id, report);
    }
    bool loaded = false;
    {
        // Released here, so that any key container the load imported is gone
        // before the user sees the outcome.
        ZUnknownPointer<ZCertificate> certificate = ZAdoptReference(new ZCertificate());
        ZReportMessageParams ignored;
        loaded = certificate->Load(trimmed.c_str(), password, ignored);
    }
    if (!loaded) {
        ZReportMessageParams report(MSG_HOST_CERTIFICATE_PATH_INVALID);
        Refuse(pDX, id, report);
    }
}
