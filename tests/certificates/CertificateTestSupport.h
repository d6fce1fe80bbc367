// Shared by the certificate tests: the key containers a provider holds, names
// and times. Every program linking this has, under Wine, stand-ins for the
// request encoder and the PFX exporter Wine lacks.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <set>
#include <string>
#include <vector>

#include "certificates/ZCapiCertificateName.h"
#include "certificates/ZCertificate.h"
#include "foundation/ZUnknown.h"

namespace CertificateTests {

constexpr char kSha1Rsa[] = "1.2.840.113549.1.1.5";
constexpr char kSha256Rsa[] = "1.2.840.113549.1.1.11";

// Every key container of the providers a certificate's key can live in.
std::set<std::string> KeyContainers();

// The containers that are there now and were not in `before`.
std::vector<std::string> ContainersAddedSince(const std::set<std::string>& before);

FILETIME UtcTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second);

// A name from (attribute index, value) pairs; the encoded blob lives in the name.
ZCapiCertificateName MakeName(std::initializer_list<std::pair<unsigned int, const wchar_t*>> attributes);

// Fails a test that leaves a key container behind.
class LeavesNoKeyContainer : public ::testing::Test {
protected:
    void SetUp() override { m_before = KeyContainers(); }
    void TearDown() override { EXPECT_EQ(ContainersAddedSince(m_before), std::vector<std::string>{}); }
    std::set<std::string> m_before;
};

// A new certificate (or null, with the report filled), owned by the caller.
ZUnknownPointer<ZCertificate> Create(const wchar_t* commonName, unsigned long flags, ZReportMessageParams& report,
                                     unsigned long keyBits = 1024, const char* algorithm = kSha1Rsa);

// A folder the ctest driver (check_with_openssl.py) names in an environment
// variable, as a Windows path ending without a backslash; empty when unset.
std::wstring FolderFromEnvironment(const wchar_t* variable);

// The public key of the container that the certificate's key-provider
// property names, compared with the certificate's own.
bool KeyMatchesCertificate(const CERT_CONTEXT* certificate);

}  // namespace CertificateTests
