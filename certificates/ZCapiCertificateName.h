// ZCapiCertificateName: an X.500 subject name made of up to seven attributes,
// encoded by the platform (CertStrToNameW with ";" separators).
//
// A value may hold a ";" only inside double quotes; any other ";" would split
// the attribute, so the name fails before the platform sees it. When encoding
// fails, the report holds the platform code and GetErrorAttribute names the
// attribute at fault (-1 when none can be told), so a dialog can focus it.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <memory>

#include "foundation/TessaroApi.h"
#include "foundation/ZReportMessageParams.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZCapiCertificateName {
public:
    // The attribute indexes of SetAttribute and GetErrorAttribute.
    enum Attribute : unsigned int {
        CommonName = 0,
        Organization = 1,
        OrganizationalUnit = 2,
        Locality = 3,
        StateOrProvince = 4,
        Country = 5,
        Email = 6,
    };
    static constexpr unsigned int kAttributeCount = 7;

    ZCapiCertificateName();
    // Copies the attributes; the copy has no encoding and no error yet.
    ZCapiCertificateName(const ZCapiCertificateName& other);
    ZCapiCertificateName& operator=(const ZCapiCertificateName& other);
    ~ZCapiCertificateName();

    // An index above 6 is ignored.
    void SetAttribute(unsigned int index, const ZUnicodeString& value);
    // The empty string for an index above 6.
    const ZUnicodeString& GetAttribute(unsigned int index) const;

    // Builds "CN=...;O=...;OU=...;C=...;L=...;S=...;E=..." from the non-empty
    // attributes and encodes it. The result belongs to this object and lives
    // until the next call or the object's end; null on failure.
    const CERT_NAME_BLOB* GetEncodedName();

    ZReportMessageParams& GetErrorReport() { return m_errorReport; }
    int GetErrorAttribute() const { return m_errorAttribute; }

private:
    void Fail(DWORD code, int attribute);
    int AttributeAtPlatformError(const wchar_t* text, const wchar_t* errorPosition) const;

    // Stored, and encoded, in the order CN, O, OU, C, L, S, E.
    ZUnicodeString m_values[kAttributeCount];
    DWORD m_encodedSize = 0;
    std::unique_ptr<BYTE[]> m_encoded;
    CERT_NAME_BLOB m_blob = {};
    ZReportMessageParams m_errorReport;
    int m_errorAttribute = -1;
};
