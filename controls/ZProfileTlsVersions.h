// ZProfileTlsVersions: the setting of which TLS versions a connection may use,
// kept as text: "1.0=0,1.1=1,1.2=1,1.3=1", every version in table order, "1"
// for enabled. In memory the versions are bits of a 32-bit mask; only the bits
// 0x1F0 belong to them (0x10 is always cleared), the others are left as they are.
//
// Reading is forgiving: a version the text does not mention stays enabled, a
// name that is no version is ignored, blanks around items and names are
// dropped, empty items are skipped, and only an item without "=" makes the
// text unreadable. Only the value "1" enables. An empty text means every version.
#pragma once

#include <cstddef>
#include <string>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZProfileTlsVersions {
public:
    static constexpr unsigned kMaskBits = 0x1F0;
    static constexpr unsigned kDefaultVersions = 0x1E0;
    static constexpr size_t kVersionCount = 4;

    ZProfileTlsVersions() = default;
    explicit ZProfileTlsVersions(ZUnicodeString text) : m_text(std::move(text)) {}
    virtual ~ZProfileTlsVersions() = default;

    const ZUnicodeString& GetText() const { return m_text; }
    void SetText(const ZUnicodeString& text) { m_text = text; }

    // False for index kVersionCount and above.
    static bool GetVersionInfo(size_t index, std::wstring& name, unsigned& bit);
    // Replaces the bits 0x1F0 of mask with the text's versions; false, with
    // mask untouched, when the text cannot be read.
    bool GetEnabledVersions(unsigned& mask) const;
    void SetEnabledVersions(unsigned mask);

private:
    ZUnicodeString m_text;
};
