// Making and saving certificates: the files Save writes, what is reported when
// it cannot, and that no key container outlives a certificate object. The bytes
// are checked by OpenSSL in check_with_openssl.py from the samples the first test writes.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "certificates/ZCertificate.h"
#include "certificates/ZPfxFunctions.h"
#include "tests/certificates/CertificateTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WineDetection.h"
#include "tests/support/WineRequestEncoder.h"

namespace {

using namespace CertificateTests;
using Name = ZCapiCertificateName;
// Every test ends without a key container it made.
class Certificate : public LeavesNoKeyContainer {};

// The extensions and purposes each flag chooses are read by OpenSSL from these
// samples, in CERT_OUTPUT (set by check_with_openssl.py) or a scratch folder.
TEST_F(Certificate, SavesWhatTheFlagsAsk)
{
    ScratchFolder scratch;
    std::wstring output = FolderFromEnvironment(L"CERT_OUTPUT");
    if (output.empty())
        output = scratch.Path();
    const struct {
        const wchar_t* file;
        unsigned long flags;
        const wchar_t* request;
    } samples[] = {
        {L"server.pfx", ZCERT_GENERATE_REQUEST, L"server.csr"},
        {L"client.p12", ZCERT_CLIENT_AUTHENTICATION | ZCERT_GENERATE_REQUEST, L"client.csr"},
        {L"plain.pfx", 0, L"plain.csr"},
    };
    Name name = MakeName({{Name::CommonName, L"host1.example"}, {Name::Organization, L"Acme Widgets"},
                          {Name::OrganizationalUnit, L"Ops"}, {Name::Locality, L"Lyon"},
                          {Name::StateOrProvince, L"Rhone"}, {Name::Country, L"FR"},
                          {Name::Email, L"ops@acme.example"}});
    const FILETIME notAfter = UtcTime(2031, 1, 2, 3, 4, 5);
    for (const auto& sample : samples) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(sample.file)));
        const bool request = (sample.flags & ZCERT_GENERATE_REQUEST) != 0;
        ZReportMessageParams report;
        auto certificate = ZAdoptReference(
            ZCertificate::CreateSelfSigned(name.GetEncodedName(), &notAfter, sample.flags, 2048, kSha1Rsa, report));
        ASSERT_TRUE(certificate) << std::hex << report.GetMessageId();
        EXPECT_TRUE(KeyMatchesCertificate(certificate->GetCertificate()));
        ASSERT_TRUE(certificate->Save((output + L"\\" + sample.file).c_str(), report)) << std::hex
                                                                                      << report.GetMessageId();
        EXPECT_EQ(ScratchFolder::Exists(output + L"\\" + sample.request), request);
    }
}

// A random serial whose leading bit is set would be a negative number, which
// certificate readers refuse; 24 serials would show one almost surely.
TEST_F(Certificate, SerialNumbersArePositive)
{
    for (int round = 0; round < 24; ++round) {
        ZReportMessageParams report;
        auto certificate = Create(L"serial", 0, report, 512);
        ASSERT_TRUE(certificate) << std::hex << report.GetMessageId();
        const CRYPT_INTEGER_BLOB& serial = certificate->GetCertificate()->pCertInfo->SerialNumber;
        ASSERT_EQ(serial.cbData, 16u);  // little-endian: the last byte leads
        EXPECT_EQ(serial.pbData[15] & 0x80, 0) << "round " << round;
    }
}

// Each new certificate has a container of its own: with one fixed name the
// second creation would replace the first one's key, and the second's end would
// delete it. Loading the saved PFX gives the same certificate and key.
TEST_F(Certificate, KeysLiveAndDieWithTheirCertificates)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"first.pfx");
    ZReportMessageParams report;
    auto first = Create(L"first", ZCERT_GENERATE_REQUEST, report);
    ASSERT_TRUE(first);
    {
        auto second = Create(L"second", 0, report);
        ASSERT_TRUE(second);
        EXPECT_EQ(ContainersAddedSince(m_before).size(), 2u);
        EXPECT_TRUE(KeyMatchesCertificate(first->GetCertificate()));
        EXPECT_TRUE(KeyMatchesCertificate(second->GetCertificate()));
    }
    EXPECT_TRUE(KeyMatchesCertificate(first->GetCertificate()));

    ASSERT_TRUE(first->Save(path.c_str(), report)) << std::hex << report.GetMessageId();
    ZCertificate loaded;
    ASSERT_TRUE(loaded.Load(path.c_str(), L"", report)) << report.GetText();
    EXPECT_TRUE(::CertCompareCertificate(X509_ASN_ENCODING, first->GetCertificate()->pCertInfo,
                                         loaded.GetCertificate()->pCertInfo));
    EXPECT_TRUE(KeyMatchesCertificate(loaded.GetCertificate()));
    EXPECT_EQ(loaded.GetRequest(), nullptr);
}

TEST_F(Certificate, FailedCreationsLeaveNothingBehind)
{
    ZReportMessageParams report;
    const FILETIME notAfter = UtcTime(2031, 1, 2, 3, 4, 5);
    EXPECT_EQ(ZCertificate::CreateSelfSigned(nullptr, &notAfter, 0, 1024, kSha1Rsa, report), nullptr);
    EXPECT_EQ(report.GetMessageId(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));

    report.Reset(0);
    EXPECT_FALSE(Create(L"odd", 0, report, 1024, "1.2.3.4"));  // no such signature algorithm
    EXPECT_NE(report.GetMessageId(), 0u);
}

// A creation killed midway leaves its container behind; the next creation
// removes those whose maker has ended, and only those. A container made on
// another computer (the user's keys in a folder shared between computers) is
// not judged by this computer's processes.
TEST_F(Certificate, ContainersOfEndedMakersAreRemoved)
{
    FILETIME created, exited, kernel, user;
    ASSERT_TRUE(::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user));
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD computerLength = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(::GetComputerNameW(computer, &computerLength));
    wchar_t started[17] = {};
    std::swprintf(started, 17, L"%08lX%08lX", created.dwHighDateTime, created.dwLowDateTime);
    const std::wstring self = L"ZrnTmpKeyContainer-" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    const std::wstring here = L"-" + std::wstring(computer) + L"-";
    const std::wstring braces = L"{6B1D3C2E-0000-4000-8000-00000000CAFE}";
    const std::wstring guid = here + braces;
    const std::wstring elsewhere = L"-" + std::wstring(computer) + L"X-" + braces;
    const struct {
        std::wstring name;
        bool removed;
    } cases[] = {
        {L"ZrnTmpKeyContainer-4294967280-" + std::wstring(started) + guid, true},  // no such process
        {self + L"0000000000000001" + guid, true},                                 // the id is a later process's
        {self + started + guid, false},                                            // this process: in use
        {L"ZrnTmpKeyContainer" + guid, false},                                     // no maker recorded
        {L"ZrnTmpKeyContainer-4294967280-xyz" + guid, false},
        {L"ZrnTmpKeyContainer-4294967280-" + std::wstring(started) + elsewhere, false},
        {L"tessaro-test-4294967280-" + std::wstring(started) + guid, false},
    };
    for (const auto& c : cases) {
        HCRYPTPROV made = 0;
        ASSERT_TRUE(::CryptAcquireContextW(&made, c.name.c_str(), MS_DEF_RSA_SCHANNEL_PROV_W, PROV_RSA_SCHANNEL,
                                           CRYPT_NEWKEYSET));
        ::CryptReleaseContext(made, 0);
    }
    ZReportMessageParams report;
    ZUnknownPointer<ZCertificate> made = Create(L"after a crash", 0, report);
    ASSERT_TRUE(made) << report.GetText();
    // The new container's name is one the next creation can judge.
    const std::wstring maker = self + started + here;
    EXPECT_EQ(std::wstring(made->GetStore().GetPfxStore().GetContainerName().c_str()).substr(0, maker.size()), maker);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        HCRYPTPROV left = 0;
        const bool remains =
            ::CryptAcquireContextW(&left, c.name.c_str(), MS_DEF_RSA_SCHANNEL_PROV_W, PROV_RSA_SCHANNEL, 0);
        EXPECT_EQ(remains, !c.removed);
        if (remains) {
            ::CryptReleaseContext(left, 0);
            ::CryptAcquireContextW(&left, c.name.c_str(), MS_DEF_RSA_SCHANNEL_PROV_W, PROV_RSA_SCHANNEL,
                                   CRYPT_DELETEKEYSET);
        }
    }
}

TEST_F(Certificate, RequestThatCannotBeSignedGivesNoCertificate)
{
    if (!TestSupport::InstallWineRequestEncoder()) {
        GTEST_SKIP() << "the failing request encoder is the stand-in installed only under Wine; Windows signs "
                        "requests with its own encoder";
    }
    TestSupport::FailRequestEncodings(1);
    ZReportMessageParams report;
    EXPECT_FALSE(Create(L"unsigned", ZCERT_GENERATE_REQUEST, report));
    TestSupport::FailRequestEncodings(0);
    EXPECT_NE(report.GetMessageId(), 0u);
}

TEST_F(Certificate, Sha256)
{
    ZReportMessageParams report;
    auto certificate = Create(L"sha256", ZCERT_GENERATE_REQUEST, report, 1024, kSha256Rsa);
    if (TestSupport::RunningUnderWine()) {
        // The failure must still be reported and clean up after itself (checked on tear-down).
        EXPECT_FALSE(certificate);
        EXPECT_NE(report.GetMessageId(), 0u);
        GTEST_SKIP() << "Wine's SChannel provider has no SHA-256 (NTE_BAD_ALGID): a SHA-256 certificate cannot be made";
    }
    ASSERT_TRUE(certificate) << std::hex << report.GetMessageId();
    EXPECT_STREQ(certificate->GetCertificate()->pCertInfo->SignatureAlgorithm.pszObjId, kSha256Rsa);
}

// Wine's own PFXExportCertStoreEx fails without setting an error; a report
// of code 0 would read "The operation completed successfully".
BOOL WINAPI ExportFailingSilently(HCERTSTORE, CRYPT_DATA_BLOB*, LPCWSTR, void*, DWORD)
{
    ::SetLastError(ERROR_SUCCESS);
    return FALSE;
}

TEST_F(Certificate, SaveReportsWhatFailed)
{
    ScratchFolder folder;
    ZReportMessageParams report;
    auto certificate = Create(L"saved", ZCERT_GENERATE_REQUEST, report);
    ASSERT_TRUE(certificate);

    const ZPfxFunctions previous = ZSetPfxFunctions({&ExportFailingSilently, nullptr});
    const std::wstring noExport = folder.File(L"none.pfx");
    EXPECT_FALSE(certificate->Save(noExport.c_str(), report));
    ZSetPfxFunctions(previous);
    EXPECT_NE(report.GetMessageId(), 0u);
    EXPECT_FALSE(ScratchFolder::Exists(noExport));
    EXPECT_FALSE(ScratchFolder::Exists(folder.File(L"none.csr")));

    // The request file cannot be made (a folder holds its name): the PFX stays.
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"blocked.csr").c_str(), nullptr));
    report.Reset(0);
    EXPECT_FALSE(certificate->Save(folder.File(L"blocked.pfx").c_str(), report));
    EXPECT_NE(report.GetMessageId(), 0u);
    EXPECT_TRUE(ScratchFolder::Exists(folder.File(L"blocked.pfx")));

    EXPECT_FALSE(certificate->Save(folder.File(L"no folder\\x.pfx").c_str(), report));
    EXPECT_NE(report.GetMessageId(), 0u);
}

}  // namespace
