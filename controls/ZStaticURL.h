// ZStaticURL: a static text control made into a web link: blue text on the
// dialog's background, a hand cursor, the address opened when clicked, and a
// context menu that opens it or copies it to the clipboard. A host subclasses
// an existing static control with it (SubclassDlgItem or DDX_Control).
//
// The address is opened through one replaceable function, so that tests never
// start a browser; by default the shell opens it and a failure only beeps.
#pragma once

#include <afxwin.h>

#include <string>

#include "foundation/TessaroApi.h"

class TESSARO_API ZStaticURL : public CStatic {
    DECLARE_DYNAMIC(ZStaticURL)
public:
    static constexpr COLORREF kLinkColor = RGB(0, 0, 238);
    static constexpr UINT kOpenCommand = 32800;
    static constexpr UINT kCopyCommand = 32801;
    // The library's hand cursor.
    static constexpr int kHandCursorId = 3022;

    using Opener = void (*)(const wchar_t* address);
    // Replaces how addresses are opened; returns the previous opener.
    static Opener SetOpener(Opener opener);

    // The address is the text of string resource stringId.
    ZStaticURL(UINT stringId, int cursorId);
    ZStaticURL(const wchar_t* address, int cursorId);

    const std::wstring& GetAddress() const { return m_address; }
    HCURSOR GetLinkCursor() const { return m_cursor; }

    void PreSubclassWindow() override;
    afx_msg void OnClicked();
    afx_msg void OnURLContextOpen() { OnClicked(); }
    afx_msg void OnURLContextCopy();

protected:
    afx_msg BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);
    afx_msg HBRUSH CtlColor(CDC* dc, UINT kind);
    afx_msg void OnContextMenu(CWnd* window, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    HCURSOR m_cursor = nullptr;  // shared resource: never destroyed
    std::wstring m_address;
    int m_cursorId;
};
