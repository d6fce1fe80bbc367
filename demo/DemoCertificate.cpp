// Demo section: a self-signed certificate with its signing request, saved as a
// PFX file and a PEM request in the output folder, then loaded back. Where
// the platform cannot export a PFX (Wine's export is a stub), the section says
// so, writes the request on its own and goes on. Then the same through the
// create-certificate dialog.
#include <windows.h>

#include <string>

#include "certificates/CertificateFiles.h"
#include "certificates/ZCapiCertificateName.h"
#include "certificates/ZCertificate.h"
#include "demo/DemoOutput.h"
#include "settings/ZFile.h"
#include "tests/support/WineDetection.h"
#include "tests/support/WineRequestEncoder.h"

namespace {

constexpr char kSha256Rsa[] = "1.2.840.113549.1.1.11";
constexpr char kSha1Rsa[] = "1.2.840.113549.1.1.5";

void PrintReport(const wchar_t* what, ZReportMessageParams& report)
{
    DemoPrintf(L"  %ls (0x%08lX): %ls\n", what, static_cast<unsigned long>(report.GetMessageId()),
               report.GetTextNoFinalBreak());
}

FILETIME OneYearFromNow()
{
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart += 365ull * 24 * 60 * 60 * 10'000'000;
    return {time.LowPart, time.HighPart};
}

ZCertificate* CreateDemoCertificate(const CERT_NAME_BLOB* name, bool underWine)
{
    const FILETIME notAfter = OneYearFromNow();
    const unsigned long flags = ZCERT_GENERATE_REQUEST;
    ZReportMessageParams report;
    if (ZCertificate* certificate = ZCertificate::CreateSelfSigned(name, &notAfter, flags, 2048, kSha256Rsa, report))
        return certificate;
    PrintReport(L"SHA-256 certificate not made", report);
    if (underWine)
        DemoPrint(L"  Wine's SChannel provider has no SHA-256; the demo signs with SHA-1 instead.\n");
    ZCertificate* certificate = ZCertificate::CreateSelfSigned(name, &notAfter, flags, 2048, kSha1Rsa, report);
    if (!certificate)
        PrintReport(L"certificate not made", report);
    return certificate;
}

// The request alone, as Save would have written it beside the PFX.
void WriteRequestOnly(const ZCertificate& certificate, const std::wstring& pfxPath)
{
    std::string pem;
    ZReportMessageParams report;
    if (!EncodeRequestAsPem(certificate.GetRequest(), certificate.GetRequestLength(), pem, report)) {
        PrintReport(L"request not encoded", report);
        return;
    }
    const ZUnicodeString path = ReplaceCertificateExtension(pfxPath.c_str(), L".csr");
    ZFile file;
    DWORD written = 0;
    if (!file.Open(path.c_str(), GENERIC_WRITE, CREATE_ALWAYS) ||
        !file.Write(pem.data(), static_cast<DWORD>(pem.size()), 0, written) || written != pem.size()) {
        DemoPrintf(L"  request not written to %ls: error %lu\n", path.c_str(), ::GetLastError());
        return;
    }
    DemoPrintf(L"  request written: %ls (%lu bytes of PEM)\n", path.c_str(), static_cast<unsigned long>(pem.size()));
}

}  // namespace

void ShowCertificateDialog();

void ShowCertificate()
{
    DemoPrint(L"== Certificate\n");
    const bool underWine = TestSupport::RunningUnderWine();
    if (underWine && TestSupport::InstallWineRequestEncoder())
        DemoPrint(L"  Wine has no encoder for certificate requests: the demo installs a stand-in.\n");

    ZCapiCertificateName name;
    name.SetAttribute(ZCapiCertificateName::CommonName, L"demo.tessaro.example");
    name.SetAttribute(ZCapiCertificateName::Organization, L"Tessaro Demo");
    name.SetAttribute(ZCapiCertificateName::Country, L"FR");
    const CERT_NAME_BLOB* encoded = name.GetEncodedName();
    if (!encoded) {
        PrintReport(L"name not encoded", name.GetErrorReport());
        return;
    }
    ZUnknownPointer<ZCertificate> certificate = ZAdoptReference(CreateDemoCertificate(encoded, underWine));
    if (!certificate) {
        DemoPrint(L"\n");
        return;
    }
    wchar_t subject[256] = {};
    ::CertNameToStrW(X509_ASN_ENCODING, &certificate->GetCertificate()->pCertInfo->Subject, CERT_X500_NAME_STR,
                     subject, 256);
    DemoPrintf(L"  made: %ls, signed with %hs, request of %lu bytes\n", subject,
               certificate->GetCertificate()->pCertInfo->SignatureAlgorithm.pszObjId,
               static_cast<unsigned long>(certificate->GetRequestLength()));

    const std::wstring pfxPath = DemoOutputFolder() + L"demo-certificate.pfx";
    ZReportMessageParams report;
    if (certificate->Save(pfxPath.c_str(), report)) {
        DemoPrintf(L"  saved: %ls and its request %ls\n", pfxPath.c_str(),
                   ReplaceCertificateExtension(pfxPath.c_str(), L".csr").c_str());
        ZCertificate loaded;
        loaded.Load(pfxPath.c_str(), nullptr, report);
        PrintReport(L"loaded back", report);
    } else {
        PrintReport(L"PFX file not written", report);
        if (underWine) {
            DemoPrint(L"  Wine's PFXExportCertStoreEx is a stub that fails without an error code, so the certificate\n"
                      L"  and its private key cannot be exported here; Windows writes the PFX file.\n");
        }
        WriteRequestOnly(*certificate, pfxPath);
    }

    ZCertificate missing;
    missing.Load((DemoOutputFolder() + L"no-such-certificate.pfx").c_str(), nullptr, report);
    PrintReport(L"a missing file", report);
    ShowCertificateDialog();
    DemoPrint(L"\n");
}
