#include "tests/certificates/CertificateTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

#include "certificates/ZPfxFunctions.h"
#include "tests/certificates/TestPfxExporter.h"
#include "tests/support/WineDetection.h"
#include "tests/support/WineRequestEncoder.h"

namespace CertificateTests {

std::set<std::string> KeyContainers()
{
    struct Provider {
        const wchar_t* name;
        DWORD type;
    };
    const Provider providers[] = {{MS_DEF_RSA_SCHANNEL_PROV_W, PROV_RSA_SCHANNEL}, {MS_ENHANCED_PROV_W, PROV_RSA_FULL}};
    std::set<std::string> names;
    for (const Provider& provider : providers) {
        HCRYPTPROV handle = 0;
        if (!::CryptAcquireContextW(&handle, nullptr, provider.name, provider.type, CRYPT_VERIFYCONTEXT))
            continue;
        char name[1024];
        DWORD flags = CRYPT_FIRST;
        for (DWORD size = sizeof(name); ::CryptGetProvParam(handle, PP_ENUMCONTAINERS, reinterpret_cast<BYTE*>(name),
                                                            &size, flags);
             size = sizeof(name), flags = CRYPT_NEXT)
            names.insert(name);
        ::CryptReleaseContext(handle, 0);
    }
    return names;
}

std::vector<std::string> ContainersAddedSince(const std::set<std::string>& before)
{
    std::vector<std::string> added;
    for (const std::string& name : KeyContainers()) {
        if (!before.count(name))
            added.push_back(name);
    }
    return added;
}

FILETIME UtcTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
    FILETIME result = {};
    ::SystemTimeToFileTime(&time, &result);
    return result;
}

ZCapiCertificateName MakeName(std::initializer_list<std::pair<unsigned int, const wchar_t*>> attributes)
{
    ZCapiCertificateName name;
    for (const auto& [index, value] : attributes)
        name.SetAttribute(index, value);
    return name;
}

ZUnknownPointer<ZCertificate> Create(const wchar_t* commonName, unsigned long flags, ZReportMessageParams& report,
                                     unsigned long keyBits, const char* algorithm)
{
    ZCapiCertificateName name = MakeName({{ZCapiCertificateName::CommonName, commonName}});
    const CERT_NAME_BLOB* encoded = name.GetEncodedName();
    const FILETIME notAfter = UtcTime(2031, 1, 2, 3, 4, 5);
    return ZAdoptReference(ZCertificate::CreateSelfSigned(encoded, &notAfter, flags, keyBits, algorithm, report));
}

std::wstring FolderFromEnvironment(const wchar_t* variable)
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(variable, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::wstring folder = buffer;
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

bool KeyMatchesCertificate(const CERT_CONTEXT* certificate)
{
    HCRYPTPROV provider = 0;
    DWORD recordedKind = 0;
    if (!AcquireCertificateKeyProvider(certificate, provider, recordedKind))
        return false;
    // Wine records key kind 3 for an imported key, which it keeps as the
    // exchange key; any key of the container that matches will do.
    bool matches = false;
    for (const DWORD keySpec : {recordedKind, DWORD{AT_KEYEXCHANGE}, DWORD{AT_SIGNATURE}}) {
        DWORD keySize = 0;
        if (matches || !::CryptExportPublicKeyInfo(provider, keySpec, X509_ASN_ENCODING, nullptr, &keySize))
            continue;
        auto key = std::make_unique<BYTE[]>(keySize);
        auto* keyInfo = reinterpret_cast<CERT_PUBLIC_KEY_INFO*>(key.get());
        matches = ::CryptExportPublicKeyInfo(provider, keySpec, X509_ASN_ENCODING, keyInfo, &keySize) &&
                  ::CertComparePublicKeyInfo(X509_ASN_ENCODING, keyInfo, &certificate->pCertInfo->SubjectPublicKeyInfo);
    }
    ::CryptReleaseContext(provider, 0);
    return matches;
}

}  // namespace CertificateTests

namespace {

// Every certificate test program runs with the stand-ins in place under Wine.
class StandInEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!TestSupport::RunningUnderWine())
            return;
        ZSetPfxFunctions({&CertificateTests::ExportPfxForTests, nullptr});
        TestSupport::InstallWineRequestEncoder();
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new StandInEnvironment);

}  // namespace
