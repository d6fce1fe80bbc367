// ZPasswordEdit: an edit for secrets. Control characters that an edit would
// swallow (Ctrl+A, Ctrl+C and the like) are typed into the text, because a
// secret may hold them; backspace and Ctrl+V keep their usual meaning. Before
// the window goes away its text is overwritten (CleanSensitiveDataEdit), and
// the copies the control makes of the text live only in sensitive strings,
// which are wiped when freed.
//
// CleanSensitiveDataEdit overwrites any edit's text with as many "*" as it had
// characters (32 when it was empty), so that the edit's own buffer no longer
// holds the secret.
#pragma once

#include <afxwin.h>

#include "foundation/TessaroApi.h"
#include "foundation/ZUnicodeString.h"

class TESSARO_API ZPasswordEdit : public CEdit {
    DECLARE_DYNAMIC(ZPasswordEdit)
public:
    // The text, in a sensitive string.
    ZUnicodeString GetSecret() const;

protected:
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

TESSARO_API void CleanSensitiveDataEdit(CEdit* edit);
