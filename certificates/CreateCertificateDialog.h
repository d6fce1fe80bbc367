// CreateCertificateDialog: the modal dialog in which a user makes a
// self-signed certificate: seven subject fields, the PFX path, the expiration,
// the key size and the signature algorithm. "Generate" validates the subject
// (focusing the field at fault), adds ".pfx" when the path has no certificate
// extension, asks before overwriting, then creates and saves the certificate;
// a failure leaves the dialog open. An explanation of the focused field is
// shown under the fields. On IDOK, GetPath is the file written.
//
// BrowseForCertificateFile runs the file dialog for certificate files.
#pragma once

#include <afxcmn.h>
#include <afxwin.h>

#include "certificates/ZCapiCertificateName.h"
#include "controls/ZDialog.h"
#include "controls/ZStringComboBox.h"
#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API CreateCertificateDialog : public ZDialog {
public:
    CreateCertificateDialog(const wchar_t* path, unsigned long flags, CWnd* parent);
    ~CreateCertificateDialog() override;

    const wchar_t* GetPath() const { return m_path.c_str(); }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void DoDataExchange(CDataExchange* dx) override;

    afx_msg void OnBrowse();
    afx_msg void OnGenerate();
    afx_msg void OnEnSetfocus(UINT id);
    afx_msg void OnBnSetfocus();
    afx_msg void OnNmSetfocus(NMHDR* header, LRESULT* result);
    afx_msg void OnCbnSetfocus();
    DECLARE_MESSAGE_MAP()

private:
    void ShowExplanation(size_t controlId);
    void InitializeCertificateName(ZCapiCertificateName& name);

    unsigned long m_flags;
    CStringW m_commonName;
    CStringW m_organizationalUnit;
    CStringW m_organization;
    CStringW m_country;
    CStringW m_locality;
    CStringW m_stateOrProvince;
    CStringW m_email;
    ZUnicodeString m_path;
    FILETIME m_expiration = {};
    int m_keySizeIndex = 1;
    ZStringComboBox m_signatureAlgorithm;
    CToolTipCtrl m_toolTip;
};

// Opens (open) or saves a certificate file; on IDOK result is the chosen path.
TESSARO_API INT_PTR BrowseForCertificateFile(const wchar_t* initialFile, CWnd* parent, unsigned long flags,
                                             ZUnicodeString& result, bool open);
// An open dialog with OFN_FILEMUSTEXIST | OFN_SHOWHELP.
TESSARO_API INT_PTR BrowseForCertificateFile(const wchar_t* initialFile, CWnd* parent, ZUnicodeString& result);
