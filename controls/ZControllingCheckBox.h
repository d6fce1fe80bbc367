// ZControllingCheckBox: a check box on a property tree page that enables the
// page's controls it names while it is checked and disables them otherwise; a
// click also tells the dialog that the page changed. Identifiers that name no
// control of the page are skipped.
#pragma once

#include <afxwin.h>

#include <vector>

#include "foundation/TessaroApi.h"

class ZPropertyTreePage;

class TESSARO_API ZControllingCheckBox : public CButton {
    DECLARE_DYNAMIC(ZControllingCheckBox)
public:
    explicit ZControllingCheckBox(ZPropertyTreePage* page) : m_page(page) {}

    // The box must exist (subclassed on its page).
    void Init(bool checked, std::vector<UINT> ids);
    bool IsChecked() const { return GetCheck() == BST_CHECKED; }

protected:
    afx_msg void OnClicked();
    DECLARE_MESSAGE_MAP()

private:
    void Update();

    ZPropertyTreePage* m_page;  // not owned
    std::vector<UINT> m_controlled;
};
