// The request's PEM text and the names of the files a certificate is saved to.
// PEM texts are read back with the platform's Base64 decoder.
#include <gtest/gtest.h>

#include <algorithm>
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

std::vector<BYTE> DecodedPem(const std::string& text)
{
    DWORD size = 0;
    if (!::CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64REQUESTHEADER,
                                nullptr, &size, nullptr, nullptr))
        return {};
    std::vector<BYTE> bytes(size);
    ::CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64REQUESTHEADER,
                           bytes.data(), &size, nullptr, nullptr);
    bytes.resize(size);
    return bytes;
}

TEST(RequestPem, WorkedExamples)
{
    struct Case {
        std::vector<BYTE> bytes;
        std::string body;  // between header and footer
    };
    const std::string sixtyFour(64, 'A');
    const Case cases[] = {
        {{0x01, 0x02, 0x03}, "AQID\r\n"},
        {{0xFF}, "/w==\r\n"},
        {{0xFB, 0xEF}, "++8=\r\n"},
        {std::vector<BYTE>(48, 0), sixtyFour + "\r\n"},  // exactly one full line, no empty second one
        {std::vector<BYTE>(49, 0), sixtyFour + "\r\nAA==\r\n"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.body);
        EXPECT_EQ(Pem(test.bytes), kHeader + test.body + kFooter);
    }
    EXPECT_EQ(Pem({1, 2, 3}).size(), 86u);
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

// Length B + 2L + 76, lines of 64 but the last, CR LF everywhere, and the
// platform's decoder gets the bytes back, over random inputs.
TEST(RequestPem, RandomRequestsRoundTrip)
{
    TestSupport::SeededRandom random;
    for (int round = 0; round < 300; ++round) {
        std::vector<BYTE> bytes(random.Between(1, 700));
        for (BYTE& byte : bytes)
            byte = static_cast<BYTE>(random.Between(0, 255));
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << bytes.size() << " bytes");
        const std::string text = Pem(bytes);
        const size_t base64 = (bytes.size() + 2) / 3 * 4;
        const size_t lines = (base64 + 63) / 64 + 2;
        ASSERT_EQ(text.size(), base64 + 2 * lines + 76);
        size_t start = 0;
        for (size_t line = 0; line < lines; ++line) {
            const size_t end = text.find("\r\n", start);
            ASSERT_NE(end, std::string::npos);
            if (line > 0 && line + 2 < lines) {
                EXPECT_EQ(end - start, 64u);
            }
            start = end + 2;
        }
        EXPECT_EQ(start, text.size());
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<std::ptrdiff_t>(lines));
        EXPECT_EQ(DecodedPem(text), bytes);
    }
}

TEST(CertificateExtension, ReplacesOnlyPfxAndP12)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\certs\\host.PFX", L"C:\\certs\\host.csr"},
        {L"x.p12", L"x.csr"},
        {L"x.P12", L"x.csr"},
        {L"x.pfx.bak", L"x.pfx.bak.csr"},
        {L"host.key", L"host.key.csr"},
        {L".pfx", L".csr"},
        {L"pfx", L"pfx.csr"},
        {L"", L".csr"},
        {L"a.pfxx", L"a.pfxx.csr"},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(path)));
        EXPECT_EQ(ReplaceCertificateExtension(path, L".csr").str(), expected);
    }
    EXPECT_EQ(ReplaceCertificateExtension(L"host.pfx", L".crt").str(), L"host.crt");
}

}  // namespace
