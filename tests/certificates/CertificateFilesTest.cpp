// The request's PEM text and the names of the files a certificate is saved to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "certificates/CertificateFiles.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/SeededRandom.h"

namespace {

constexpr char kHeader[] = "-----BEGIN NEW CERTIFICATE REQUEST-----\r\n";
constexpr char kFooter[] = "-----END NEW CERTIFICATE REQUEST-----\r\n";

// The input sits against a guard page, so a read past its end faults.
std::string Pem(const std::vector<BYTE>& bytes)
{
    TestSupport::GuardedBuffer input(bytes);
    std::string text;
    ZReportMessageParams report;
    EXPECT_TRUE(EncodeRequestAsPem(input.Data(), input.Size(), text, report));
    return text;
}

TEST(RequestPem, EmptyInputFails)
{
    std::string text = "untouched";
    ZReportMessageParams report;
    const BYTE byte = 0;
    EXPECT_FALSE(EncodeRequestAsPem(&byte, 0, text, report));
    EXPECT_EQ(report.GetMessageId(), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(EncodeRequestAsPem(nullptr, 5, text, report));
    EXPECT_EQ(text, "untouched");
}

// Lines of 64 but the last, CR LF everywhere, the text of the platform's own
// Base64 encoder: first each padding and one full line (no empty line after
// it) and one over, then random inputs.
TEST(RequestPem, RandomRequestsMatchThePlatformsBase64)
{
    constexpr size_t kEdges[] = {1, 2, 3, 48, 49};
    TestSupport::SeededRandom random;
    for (size_t round = 0; round < 300; ++round) {
        std::vector<BYTE> bytes(round < std::size(kEdges) ? kEdges[round] : random.Between(1, 700));
        for (BYTE& byte : bytes)
            byte = static_cast<BYTE>(random.Between(0, 255));
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << bytes.size() << " bytes");
        std::string base64((bytes.size() + 2) / 3 * 4 + 1, '\0');
        DWORD length = static_cast<DWORD>(base64.size());
        ASSERT_TRUE(::CryptBinaryToStringA(bytes.data(), static_cast<DWORD>(bytes.size()),
                                           CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF, base64.data(), &length));
        base64.resize(length);
        std::string expected = kHeader;
        for (size_t at = 0; at < base64.size(); at += 64)
            expected += base64.substr(at, 64) + "\r\n";
        EXPECT_EQ(Pem(bytes), expected + kFooter);
    }
}

TEST(CertificateExtension, ReplacesOnlyPfxAndP12)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\certs\\host.PFX", L"C:\\certs\\host.csr"}, {L"x.p12", L"x.csr"}, {L"x.P12", L"x.csr"},
        {L"x.pfx.bak", L"x.pfx.bak.csr"}, {L"host.key", L"host.key.csr"}, {L"a.pfxx", L"a.pfxx.csr"},
        {L".pfx", L".csr"}, {L"pfx", L"pfx.csr"}, {L"", L".csr"},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(path)));
        EXPECT_EQ(ReplaceCertificateExtension(path, L".csr").str(), expected);
    }
    EXPECT_EQ(ReplaceCertificateExtension(L"host.pfx", L".crt").str(), L"host.crt");
}

}  // namespace
