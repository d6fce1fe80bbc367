#include "certificates/ZCapiCertificateName.h"

#include <string>
#include <string_view>

namespace {

struct AttributeKey {
    unsigned int index;
    const wchar_t* key;
};

// Storage and encoding order.
constexpr AttributeKey kKeys[ZCapiCertificateName::kAttributeCount] = {
    {ZCapiCertificateName::CommonName, L"CN"},     {ZCapiCertificateName::Organization, L"O"},
    {ZCapiCertificateName::OrganizationalUnit, L"OU"}, {ZCapiCertificateName::Country, L"C"},
    {ZCapiCertificateName::Locality, L"L"},        {ZCapiCertificateName::StateOrProvince, L"S"},
    {ZCapiCertificateName::Email, L"E"},
};

constexpr DWORD kNameStringType = CERT_X500_NAME_STR | CERT_NAME_STR_SEMICOLON_FLAG;

int SlotOf(unsigned int index)
{
    for (int slot = 0; slot < static_cast<int>(ZCapiCertificateName::kAttributeCount); ++slot) {
        if (kKeys[slot].index == index)
            return slot;
    }
    return -1;
}

// Whether a ";" stands outside double-quoted stretches. An opening quote with
// no closing one ends the stripping; the rest is tested as it stands.
bool HasSeparatorOutsideQuotes(std::wstring_view value)
{
    std::wstring rest(value);
    for (;;) {
        const size_t open = rest.find(L'"');
        if (open == std::wstring::npos)
            break;
        const size_t close = rest.find(L'"', open + 1);
        if (close == std::wstring::npos)
            break;
        rest.erase(open, close - open + 1);
    }
    return rest.find(L';') != std::wstring::npos;
}

}  // namespace

ZCapiCertificateName::ZCapiCertificateName() = default;

ZCapiCertificateName::ZCapiCertificateName(const ZCapiCertificateName& other)
{
    for (unsigned int slot = 0; slot < kAttributeCount; ++slot)
        m_values[slot] = other.m_values[slot];
}

ZCapiCertificateName& ZCapiCertificateName::operator=(const ZCapiCertificateName& other)
{
    if (this != &other) {
        for (unsigned int slot = 0; slot < kAttributeCount; ++slot)
            m_values[slot] = other.m_values[slot];
        m_encoded.reset();
        m_encodedSize = 0;
        m_blob = {};
        m_errorReport.Reset(0);
        m_errorAttribute = -1;
    }
    return *this;
}

ZCapiCertificateName::~ZCapiCertificateName() = default;

void ZCapiCertificateName::SetAttribute(unsigned int index, const ZUnicodeString& value)
{
    const int slot = SlotOf(index);
    if (slot >= 0)
        m_values[slot] = value;
}

const ZUnicodeString& ZCapiCertificateName::GetAttribute(unsigned int index) const
{
    static const ZUnicodeString empty;
    const int slot = SlotOf(index);
    return slot >= 0 ? m_values[slot] : empty;
}

const CERT_NAME_BLOB* ZCapiCertificateName::GetEncodedName()
{
    m_encoded.reset();
    m_encodedSize = 0;
    m_blob = {};

    std::wstring text;
    for (unsigned int slot = 0; slot < kAttributeCount; ++slot) {
        const ZUnicodeString& value = m_values[slot];
        if (value.empty())
            continue;
        if (HasSeparatorOutsideQuotes(value.view())) {
            Fail(static_cast<DWORD>(CRYPT_E_INVALID_X500_STRING), static_cast<int>(kKeys[slot].index));
            return nullptr;
        }
        if (!text.empty())
            text += L';';
        text += kKeys[slot].key;
        text += L'=';
        text += value.view();
    }

    DWORD size = 0;
    LPCWSTR errorPosition = nullptr;
    if (!::CertStrToNameW(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, text.c_str(), kNameStringType, nullptr,
                          nullptr, &size, &errorPosition)) {
        const DWORD error = ::GetLastError();
        Fail(error, error == static_cast<DWORD>(CRYPT_E_INVALID_X500_STRING)
                        ? AttributeAtPlatformError(text.c_str(), errorPosition)
                        : -1);
        return nullptr;
    }
    auto encoded = std::make_unique<BYTE[]>(size);
    if (!::CertStrToNameW(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, text.c_str(), kNameStringType, nullptr,
                          encoded.get(), &size, &errorPosition)) {
        const DWORD error = ::GetLastError();
        Fail(error, error == static_cast<DWORD>(CRYPT_E_INVALID_X500_STRING)
                        ? AttributeAtPlatformError(text.c_str(), errorPosition)
                        : -1);
        return nullptr;
    }
    m_encoded = std::move(encoded);
    m_encodedSize = size;
    m_blob.cbData = size;
    m_blob.pbData = m_encoded.get();
    m_errorReport.Reset(0);
    m_errorAttribute = -1;
    return &m_blob;
}

void ZCapiCertificateName::Fail(DWORD code, int attribute)
{
    m_errorReport.Reset(code);
    m_errorAttribute = attribute;
}

// The key of the attribute whose text holds the position the platform named:
// back from just before it to the nearest ";" (or the start), up to the "=".
int ZCapiCertificateName::AttributeAtPlatformError(const wchar_t* text, const wchar_t* errorPosition) const
{
    const std::wstring_view whole(text);
    if (!errorPosition || errorPosition < text || errorPosition > text + whole.size())
        return -1;
    size_t start = 0;
    for (size_t at = static_cast<size_t>(errorPosition - text); at-- > 0;) {
        if (whole[at] == L';') {
            start = at + 1;
            break;
        }
    }
    const size_t equals = whole.find(L'=', start);
    if (equals == std::wstring_view::npos)
        return -1;
    const std::wstring_view key = whole.substr(start, equals - start);
    for (const AttributeKey& entry : kKeys) {
        if (key == entry.key)
            return static_cast<int>(entry.index);
    }
    return -1;
}
