// Loading certificates: PFX files that OpenSSL made (check_with_openssl.py
// puts them in CERT_FIXTURES), companion files, "CAPI::" store references,
// keys other than RSA and DSA. Whatever a load imports must
// be gone once the loading object is.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "certificates/CertificateMessages.h"
#include "certificates/ZCertificate.h"
#include "certificates/ZPfxFunctions.h"
#include "tests/certificates/CertificateTestSupport.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WineDetection.h"

namespace {

using namespace CertificateTests;

constexpr wchar_t kPassword[] = L"Secret1";

class CertificateLoad : public LeavesNoKeyContainer {
protected:
    void SetUp() override
    {
        LeavesNoKeyContainer::SetUp();
        m_fixtures = FolderFromEnvironment(L"CERT_FIXTURES");
        if (m_fixtures.empty())
            GTEST_SKIP() << "CERT_FIXTURES is set by ctest's driver, tests/certificates/check_with_openssl.py";
    }

    std::wstring Fixture(const wchar_t* name) const { return m_fixtures + L"\\" + name; }

    static std::wstring CommonName(const CERT_CONTEXT* certificate)
    {
        wchar_t name[256] = {};
        ::CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME), name, 256);
        return name;
    }

    std::wstring m_fixtures;
};

TEST_F(CertificateLoad, PfxFilesOpenSslMade)
{
    const struct {
        const wchar_t* file;
        const wchar_t* password;
        const wchar_t* companion;  // null: none expected
        const wchar_t* commonName;
    } cases[] = {
        {L"rsa_aes.pfx", nullptr, nullptr, L"openssl-rsa"},          // OpenSSL 3's default, empty password
        {L"rsa_aes.pfx", L"", nullptr, L"openssl-rsa"},
        {L"rsa_aes_pw.pfx", kPassword, nullptr, L"openssl-rsa"},
        {L"rsa_legacy_pw.p12", kPassword, nullptr, L"openssl-rsa"},  // RC2 and 3DES
        {L"rsa_3des.pfx", nullptr, nullptr, L"openssl-rsa"},
        {L"companion_crt.pfx", nullptr, L"companion_crt.crt", L"companion"},  // PEM companion
        {L"companion_cer.p12", nullptr, L"companion_cer.cer", L"companion"},  // DER, found after .crt
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(test.file)));
        const std::wstring path = Fixture(test.file);
        ZCertificate certificate;
        ZReportMessageParams report;
        ASSERT_TRUE(certificate.Load(path.c_str(), test.password, report)) << report.GetText();
        const ZStringArray& inserts = report.GetInserts();
        EXPECT_EQ(report.GetMessageId(),
                  test.companion ? MSG_HOST_CERTIFICATE_LOADED_WITH_COMPANION : MSG_HOST_CERTIFICATE_LOADED);
        ASSERT_EQ(inserts.GetCount(), test.companion ? 2u : 1u);
        EXPECT_EQ(inserts[0].str(), path);
        if (test.companion) {
            EXPECT_EQ(inserts[1].str(), Fixture(test.companion));
        }
        EXPECT_EQ(CommonName(certificate.GetCertificate()), test.commonName);
        EXPECT_EQ(certificate.GetStore().GetPfxStore().GetKeyKind(), static_cast<DWORD>(ZCapiPfxStore::KeyRsa));
        // A store reference into an object that holds a certificate is refused and changes nothing.
        EXPECT_FALSE(certificate.Load(L"CAPI::MY::anything", nullptr, report));
        EXPECT_EQ(report.GetMessageId(), static_cast<uint32_t>(ERROR_ALREADY_INITIALIZED));
        // The companion's certificate uses the PFX's key.
        EXPECT_TRUE(KeyMatchesCertificate(certificate.GetCertificate()));
    }
}

// A companion whose public key is not the PFX's key (the PFX was made anew
// beside an old certificate) is ignored: the PFX's own certificate is used.
TEST_F(CertificateLoad, ACompanionForAnotherKeyIsIgnored)
{
    ZReportMessageParams report;
    ZUnknownPointer<ZCertificate> other = Create(L"old", 0, report);
    ASSERT_TRUE(other) << report.GetText();
    const CERT_CONTEXT* old = other->GetCertificate();
    const std::string oldDer(reinterpret_cast<const char*>(old->pbCertEncoded), old->cbCertEncoded);
    ScratchFolder folder;
    const std::wstring pfx = folder.File(L"host.pfx");
    ASSERT_TRUE(ScratchFolder::WriteBytes(pfx, ScratchFolder::ReadBytes(Fixture(L"rsa_aes.pfx"))));
    for (const wchar_t* companion : {L"host.cer", L"host.crt"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(companion)));
        ASSERT_TRUE(ScratchFolder::WriteBytes(folder.File(companion), oldDer));
        ZCertificate certificate;
        ASSERT_TRUE(certificate.Load(pfx.c_str(), nullptr, report)) << report.GetText();
        EXPECT_EQ(report.GetMessageId(), MSG_HOST_CERTIFICATE_LOADED);
        EXPECT_EQ(CommonName(certificate.GetCertificate()), L"openssl-rsa");
        EXPECT_TRUE(KeyMatchesCertificate(certificate.GetCertificate()));
    }
}

// Another program (a scanner, a second instance) may be reading the file.
TEST_F(CertificateLoad, AFileOpenElsewhereForReadingLoads)
{
    ScratchFolder folder;
    const std::wstring pfx = folder.File(L"shared.pfx");
    ASSERT_TRUE(ScratchFolder::WriteBytes(pfx, ScratchFolder::ReadBytes(Fixture(L"rsa_aes.pfx"))));
    HANDLE reader = ::CreateFileW(pfx.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ZCapiPfxStore store;
    ZReportMessageParams report;
    EXPECT_TRUE(store.Load(pfx.c_str(), nullptr, report)) << report.GetText();
    ::CloseHandle(reader);
}

// Each failure names the path and a cause in the host's words. "CAPI::<store>::<name>"
// looks in a system store; other "CAPI::" paths are file names.
TEST_F(CertificateLoad, FailuresNameThePathAndTheCause)
{
    const std::wstring notFound = ZReportMessageParams(static_cast<uint32_t>(CRYPT_E_NOT_FOUND)).GetTextNoFinalBreak();
    const struct {
        std::wstring path;
        const wchar_t* password;
        bool storeLookup;
    } cases[] = {
        {Fixture(L"rsa_aes_pw.pfx"), L"wrong", false},
        {Fixture(L"rsa_aes_pw.pfx"), nullptr, false},
        {Fixture(L"cert_only.pfx"), nullptr, false},  // no private key
        {Fixture(L"rsa.der"), nullptr, false},        // a certificate, not a PFX
        {Fixture(L"missing.pfx"), nullptr, false},
        {Fixture(L"empty.pfx"), nullptr, false},
        {L"CAPI::MY::tessaro-nobody", nullptr, true},
        {L"capi::my::tessaro-nobody", nullptr, true},
        {L"CAPI::MY", nullptr, false},
        {L"CAPI::MY::a::b", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        ZCertificate certificate;
        ZReportMessageParams report;
        EXPECT_FALSE(certificate.Load(c.path.c_str(), c.password, report));
        EXPECT_EQ(certificate.GetCertificate(), nullptr);
        EXPECT_EQ(report.GetMessageId(), MSG_HOST_CERTIFICATE_LOAD_FAILED);
        ASSERT_EQ(report.GetInserts().GetCount(), 2u);
        EXPECT_EQ(report.GetInserts()[0].str(), c.path);
        EXPECT_FALSE(report.GetInserts()[1].empty());
        EXPECT_EQ(report.GetInserts()[1].str() == notFound, c.storeLookup) << report.GetInserts()[1].str();
    }
}

TEST_F(CertificateLoad, StoreReferenceFindsTheCertificate)
{
    if (TestSupport::RunningUnderWine())
        GTEST_SKIP() << "CertFindCertificateInStore with CERT_FIND_SUBJECT_ATTR is unimplemented in Wine";
    const std::string der = ScratchFolder::ReadBytes(Fixture(L"rsa.der"));
    Tessaro::CertContextPtr added(::CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size())));
    ASSERT_TRUE(added);
    HCERTSTORE my = ::CertOpenSystemStoreW(0, L"MY");
    ASSERT_NE(my, nullptr);
    const CERT_CONTEXT* inStore = nullptr;
    ASSERT_TRUE(::CertAddCertificateContextToStore(my, added.get(), CERT_STORE_ADD_REPLACE_EXISTING, &inStore));
    ZCertificate certificate;
    ZReportMessageParams report;
    EXPECT_TRUE(certificate.Load(L"CAPI::MY::openssl-rsa", nullptr, report));
    EXPECT_EQ(report.GetMessageId(), MSG_HOST_CERTIFICATE_LOADED);
    ::CertDeleteCertificateFromStore(inStore);
    ::CertCloseStore(my, 0);
}

TEST_F(CertificateLoad, FilesOver4GBAreRefused)
{
    ScratchFolder folder;
    const std::wstring path = folder.File(L"huge.pfx");
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD ignored = 0;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);  // where supported
    LARGE_INTEGER size;
    size.QuadPart = 0x100000000LL;  // one byte past the limit
    const bool sized = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    ASSERT_TRUE(sized);
    ZCapiPfxStore store;
    ZReportMessageParams report;
    EXPECT_FALSE(store.Load(path.c_str(), nullptr, report));
    EXPECT_EQ(report.GetMessageId(), MSG_HOST_CERTIFICATE_TOO_LARGE);
}

// An importer that, as the platform's does, persists a container for every
// private key of the file, also for keys no certificate kept uses, and puts
// the spare keys in the machine's containers when the file asks for that and
// the caller does not insist on the user's.
struct PersistedImport {
    std::vector<std::string> certificates;  // DER; each gets its own key
    int spareKeys = 0;                      // keys without a certificate
    bool fileAsksForMachine = false;
};
PersistedImport g_persisted;
std::mutex g_madeLock;
std::vector<std::pair<std::wstring, DWORD>> g_madeContainers;  // name, keyset flag
std::function<void()> g_duringImport;

std::wstring MakeContainer(DWORD keyset)
{
    std::lock_guard<std::mutex> lock(g_madeLock);
    const std::wstring name = L"tessaro-test-import-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(g_madeContainers.size());
    HCRYPTPROV container = 0;
    if (::CryptAcquireContextW(&container, name.c_str(), MS_ENHANCED_PROV_W, PROV_RSA_FULL, CRYPT_NEWKEYSET | keyset))
        ::CryptReleaseContext(container, 0);
    g_madeContainers.emplace_back(name, keyset);
    return name;
}

HCERTSTORE WINAPI ImportPersistingEveryKey(CRYPT_DATA_BLOB*, LPCWSTR, DWORD flags)
{
    const DWORD spareKeyset = g_persisted.fileAsksForMachine && !(flags & CRYPT_USER_KEYSET) ? CRYPT_MACHINE_KEYSET : 0;
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    for (int spare = 0; spare < g_persisted.spareKeys; ++spare)
        MakeContainer(spareKeyset);
    for (const std::string& der : g_persisted.certificates) {
        const CERT_CONTEXT* added = nullptr;
        ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                           static_cast<DWORD>(der.size()), CERT_STORE_ADD_ALWAYS, &added);
        const std::wstring name = MakeContainer(0);
        CRYPT_KEY_PROV_INFO provider = {const_cast<LPWSTR>(name.c_str()), const_cast<LPWSTR>(MS_ENHANCED_PROV_W),
                                        PROV_RSA_FULL, 0, 0, nullptr, AT_KEYEXCHANGE};
        ::CertSetCertificateContextProperty(added, CERT_KEY_PROV_INFO_PROP_ID, 0, &provider);
        ::CertFreeCertificateContext(added);
    }
    if (auto during = std::exchange(g_duringImport, nullptr))
        during();
    return store;
}

bool ContainerExists(const std::wstring& name, DWORD keyset)
{
    HCRYPTPROV left = 0;
    if (!::CryptAcquireContextW(&left, name.c_str(), MS_ENHANCED_PROV_W, PROV_RSA_FULL, keyset))
        return false;
    ::CryptReleaseContext(left, 0);
    return true;
}

void DeleteMadeContainers()
{
    for (const auto& [name, keyset] : g_madeContainers) {
        HCRYPTPROV left = 0;
        ::CryptAcquireContextW(&left, name.c_str(), MS_ENHANCED_PROV_W, PROV_RSA_FULL, CRYPT_DELETEKEYSET | keyset);
    }
    g_madeContainers.clear();
}

TEST_F(CertificateLoad, KeyKindFromTheCertificatesAlgorithm)
{
    const struct {
        const wchar_t* certificate;
        bool loads;
        DWORD kind;
        uint32_t code;
    } cases[] = {
        {L"rsa.der", true, ZCapiPfxStore::KeyRsa, 0},
        {L"dsa.der", true, ZCapiPfxStore::KeyDsa, 0},
        {L"ec.der", false, ZCapiPfxStore::KeyNotDetermined, static_cast<uint32_t>(NTE_BAD_ALGID)},
    };
    const ZPfxFunctions previous = ZSetPfxFunctions({nullptr, &ImportPersistingEveryKey});
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(test.certificate)));
        g_persisted = {{ScratchFolder::ReadBytes(Fixture(test.certificate))}, 0};
        ZCapiPfxStore store;
        ZReportMessageParams report;
        EXPECT_EQ(store.Load(Fixture(L"rsa_aes.pfx").c_str(), nullptr, report), test.loads);
        EXPECT_EQ(report.GetMessageId(), test.code);
        EXPECT_EQ(store.GetKeyKind(), test.kind);
        EXPECT_EQ(store.GetCertificate() != nullptr, test.loads);
    }
    DeleteMadeContainers();
    ZSetPfxFunctions(previous);
}

TEST_F(CertificateLoad, NoImportedKeyOutlivesTheStore)
{
    const std::string rsa = ScratchFolder::ReadBytes(Fixture(L"rsa.der"));
    const std::string dsa = ScratchFolder::ReadBytes(Fixture(L"dsa.der"));
    const std::string ec = ScratchFolder::ReadBytes(Fixture(L"ec.der"));
    const struct {
        const char* name;
        PersistedImport file;
        bool loads;
    } cases[] = {
        {"two certificates with their keys", {{rsa, dsa}, 0}, true},
        {"a spare key beside the pair", {{rsa}, 1}, true},
        {"a key for a certificate the file lacks", {{dsa}, 2}, true},
        {"a refused algorithm and a spare key", {{ec}, 1}, false},
        {"a spare key the file puts in the machine's containers", {{rsa}, 1, true}, true},
    };
    const ZPfxFunctions previous = ZSetPfxFunctions({nullptr, &ImportPersistingEveryKey});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_persisted = c.file;
        {
            ZCapiPfxStore store;
            ZReportMessageParams report;
            EXPECT_EQ(store.Load(Fixture(L"rsa_aes.pfx").c_str(), nullptr, report), c.loads);
        }
        for (const auto& [name, keyset] : g_madeContainers)
            EXPECT_FALSE(ContainerExists(name, keyset)) << testing::PrintToString(name);
        DeleteMadeContainers();  // not for the next tests to find
    }
    ZSetPfxFunctions(previous);
}

// Containers that appear while a load imports and that it did not make (here
// those of a load on another thread, which keeps its key) are not the load's
// to delete.
TEST_F(CertificateLoad, AConcurrentLoadKeepsItsKey)
{
    g_persisted = {{ScratchFolder::ReadBytes(Fixture(L"rsa.der"))}, 0};
    const std::wstring path = Fixture(L"rsa_aes.pfx");
    const ZPfxFunctions previous = ZSetPfxFunctions({nullptr, &ImportPersistingEveryKey});
    auto first = std::make_unique<ZCapiPfxStore>(), second = std::make_unique<ZCapiPfxStore>();
    std::thread other;
    g_duringImport = [&] {
        std::promise<void> done;
        std::future<void> loaded = done.get_future();
        other = std::thread([&second, &path, done = std::move(done)]() mutable {
            ZReportMessageParams report;
            EXPECT_TRUE(second->Load(path.c_str(), nullptr, report)) << report.GetText();
            done.set_value();
        });
        loaded.wait_for(std::chrono::milliseconds(500));  // long enough to finish unless it has to wait
    };
    ZReportMessageParams report;
    EXPECT_TRUE(first->Load(path.c_str(), nullptr, report)) << report.GetText();
    other.join();
    for (const auto* store : {first.get(), second.get()})
        EXPECT_TRUE(ContainerExists(store->GetContainerName().c_str(), 0));
    first.reset();
    second.reset();
    DeleteMadeContainers();
    ZSetPfxFunctions(previous);
}

}  // namespace
