// Subject names: which attributes reach the encoding and in which order, the
// library's own ";" test, and the attribute named when the platform refuses a
// value. Encoded names are read back with the platform's decoder.
#include <gtest/gtest.h>

#include <string>

#include "certificates/ZCapiCertificateName.h"

namespace {

using Name = ZCapiCertificateName;
constexpr DWORD kInvalidX500 = static_cast<DWORD>(CRYPT_E_INVALID_X500_STRING);

std::wstring Decoded(const CERT_NAME_BLOB* blob)
{
    wchar_t text[512] = {};
    ::CertNameToStrW(X509_ASN_ENCODING, const_cast<CERT_NAME_BLOB*>(blob),
                     CERT_X500_NAME_STR | CERT_NAME_STR_SEMICOLON_FLAG, text, 512);
    return text;
}

struct Attributes {
    const wchar_t* values[Name::kAttributeCount];  // by attribute index
};

Name NameOf(const Attributes& attributes)
{
    Name name;
    for (unsigned int index = 0; index < Name::kAttributeCount; ++index) {
        if (attributes.values[index])
            name.SetAttribute(index, attributes.values[index]);
    }
    return name;
}

TEST(CertificateName, EncodesNonEmptyAttributesInStorageOrder)
{
    const struct {
        Attributes attributes;  // CN, O, OU, L, S, C, E
        const wchar_t* decoded;
    } cases[] = {
        {{{L"a"}}, L"CN=a"},
        {{{L"host1", nullptr, nullptr, nullptr, nullptr, L"US"}}, L"CN=host1; C=US"},
        {{{L"h", L"Acme", L"Ops", L"Lyon", L"Rhone", L"FR", L"ops@acme.example"}},
         L"CN=h; O=Acme; OU=Ops; C=FR; L=Lyon; S=Rhone; E=ops@acme.example"},
        {{{L"", L"Acme", L"", L"", L"", L"", L""}}, L"O=Acme"},  // empty values leave no empty keys
        {{{L"\"a;b\""}}, L"CN=\"a;b\""},                    // quoted: the ";" is the value's
        {{{L"h", L"\"Ac;me\""}}, L"CN=h; O=\"Ac;me\""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(test.decoded)));
        Name name = NameOf(test.attributes);
        const CERT_NAME_BLOB* blob = name.GetEncodedName();
        ASSERT_NE(blob, nullptr);
        EXPECT_EQ(Decoded(blob), test.decoded);
        EXPECT_EQ(name.GetErrorAttribute(), -1);
    }
}

TEST(CertificateName, NamesTheAttributeAtFault)
{
    const struct {
        Attributes attributes;
        int attribute;
    } cases[] = {
        // The library's own test: a ";" outside double quotes.
        {{{L"h", L"two;words"}}, Name::Organization},
        {{{L"h", nullptr, nullptr, nullptr, nullptr, nullptr, L"a;b@x"}}, Name::Email},
        {{{L"h", nullptr, nullptr, L"x\"a;b"}}, Name::Locality},     // unclosed quote: tested as is
        {{{L"h", nullptr, nullptr, nullptr, L"\"a\"b;c"}}, Name::StateOrProvince},
        {{{L"\"a;b\"c\"d;e"}}, Name::CommonName},
        // Refused by the platform: text after a closing quote; the attribute
        // comes from the position the platform names.
        {{{L"h", L"\"a\"b", nullptr, nullptr, nullptr, L"US"}}, Name::Organization},
        {{{L"h", nullptr, L"x", nullptr, nullptr, L"\"U\"S"}}, Name::Country},
        {{{L"\"a\"b"}}, Name::CommonName},
    };
    for (const auto& test : cases) {
        Name name = NameOf(test.attributes);
        SCOPED_TRACE(testing::Message() << "expected attribute " << test.attribute);
        EXPECT_EQ(name.GetEncodedName(), nullptr);
        EXPECT_EQ(name.GetErrorReport().GetMessageId(), kInvalidX500);
        EXPECT_EQ(name.GetErrorAttribute(), test.attribute);
    }
}

TEST(CertificateName, RecoversAfterAFailureAndIgnoresUnknownIndexes)
{
    Name name;
    name.SetAttribute(Name::CommonName, L"h");
    name.SetAttribute(Name::Organization, L"a;b");
    name.SetAttribute(7, L"ignored");
    ASSERT_EQ(name.GetEncodedName(), nullptr);
    name.SetAttribute(Name::Organization, L"ab");
    const CERT_NAME_BLOB* blob = name.GetEncodedName();
    ASSERT_NE(blob, nullptr);
    EXPECT_EQ(Decoded(blob), L"CN=h; O=ab");
    EXPECT_EQ(name.GetErrorAttribute(), -1);
    EXPECT_EQ(name.GetErrorReport().GetMessageId(), 0u);
    EXPECT_TRUE(name.GetAttribute(7).empty());
}

}  // namespace
