#include "foundation/ZMessageBox.h"

#include <afxwin.h>

#include "foundation/IReportMessageParams.h"

namespace {

// Forces the cursor visible for the life of a box and hides it again at the
// end only if it was hidden when the box was asked for.
class VisibleCursor {
public:
    VisibleCursor()
    {
        CURSORINFO info = {};
        info.cbSize = sizeof(info);
        // When the state cannot be read, leave the cursor showing rather than
        // hide one that may have been visible.
        m_wasHidden = ::GetCursorInfo(&info) && !(info.flags & CURSOR_SHOWING);
        ::ShowCursor(TRUE);
    }
    ~VisibleCursor()
    {
        if (m_wasHidden)
            ::ShowCursor(FALSE);
    }
    VisibleCursor(const VisibleCursor&) = delete;
    VisibleCursor& operator=(const VisibleCursor&) = delete;

private:
    bool m_wasHidden = false;
};

// A missing report shows an empty box rather than failing.
const wchar_t* TextOf(const IReportMessageParams* report)
{
    return report ? report->GetText() : L"";
}

UINT WithDefaultIcon(UINT type)
{
    if (type & MB_ICONMASK)
        return type;
    switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
        return type | MB_ICONEXCLAMATION;
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return type | MB_ICONQUESTION;
    default:
        return type;
    }
}

}  // namespace

const wchar_t* ZGetAppName()
{
    return AfxGetModuleState()->m_lpszCurrentAppName;
}

int ZMessageBox(CWnd* parent, const wchar_t* text, UINT type, const wchar_t* caption)
{
    VisibleCursor cursor;
    if (!parent)
        return AfxMessageBox(text, type, 0);
    if (!caption)
        caption = ZGetAppName();
    return parent->MessageBox(text, caption, WithDefaultIcon(type));
}

int ZMessageBox(const wchar_t* text, UINT type, const wchar_t*)
{
    VisibleCursor cursor;
    return AfxMessageBox(text, type, 0);
}

int ZMessageBox(CWnd* parent, const IReportMessageParams* report, UINT type, const wchar_t* caption)
{
    return ZMessageBox(parent, TextOf(report), type, caption);
}

int ZMessageBox(const IReportMessageParams* report, UINT type, const wchar_t* caption)
{
    return ZMessageBox(TextOf(report), type, caption);
}
