#include "controls/AbbreviatePathname.h"

#include <climits>
#include <string>

#include "controls/ZPathAbbreviation.h"

namespace {

// The window's font selected into its client DC for the measurer's lifetime.
class WindowTextMeasurer {
public:
    explicit WindowTextMeasurer(CWnd* window) : m_dc(window)
    {
        if (!m_dc.GetSafeHdc())
            return;
        // No font (the window draws with the system font) leaves the DC's own.
        if (HGDIOBJ font = reinterpret_cast<HGDIOBJ>(window->SendMessage(WM_GETFONT)))
            m_previousFont = ::SelectObject(m_dc.GetSafeHdc(), font);
    }
    ~WindowTextMeasurer()
    {
        if (m_previousFont)
            ::SelectObject(m_dc.GetSafeHdc(), m_previousFont);
    }
    WindowTextMeasurer(const WindowTextMeasurer&) = delete;
    WindowTextMeasurer& operator=(const WindowTextMeasurer&) = delete;

    bool Usable() const { return m_dc.GetSafeHdc() != nullptr; }

    int Width(std::wstring_view text) const
    {
        SIZE size = {};
        const int length = text.size() > INT_MAX ? INT_MAX : static_cast<int>(text.size());
        if (!::GetTextExtentPoint32W(m_dc.GetSafeHdc(), text.data(), length, &size))
            return 0;  // unmeasurable text is left as it is
        return size.cx;
    }

private:
    CClientDC m_dc;
    HGDIOBJ m_previousFont = nullptr;
};

}  // namespace

ZUnicodeString AbbreviatePathname(CWnd* window, const RECT& rect, const wchar_t* path, bool keepLastFolder)
{
    if (!path)
        return ZUnicodeString();
    if (!window || !::IsWindow(window->GetSafeHwnd()))
        return ZUnicodeString(path);
    WindowTextMeasurer measurer(window);
    if (!measurer.Usable())
        return ZUnicodeString(path);
    const Tessaro::MeasureText measure = [&measurer](std::wstring_view text) { return measurer.Width(text); };
    return ZUnicodeString(Tessaro::AbbreviatePath(path, rect.right - rect.left, keepLastFolder, measure));
}

ZUnicodeString AbbreviatePathname(CWnd* window, const wchar_t* path, bool keepLastFolder)
{
    RECT client = {};
    if (window && ::IsWindow(window->GetSafeHwnd()))
        window->GetClientRect(&client);
    return AbbreviatePathname(window, client, path, keepLastFolder);
}
