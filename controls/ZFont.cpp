#include "controls/ZFont.h"

#include <afxdlgs.h>

#include <memory>

#include "TessaroMessages.h"
#include "foundation/ZReportMessageParams.h"

namespace {

// Usable: it selects into dc and yields text metrics there. The previous font
// is selected back either way.
bool IsUsable(CClientDC& dc, CFont& font)
{
    if (!font.GetSafeHandle())
        return false;
    HGDIOBJ previous = ::SelectObject(dc.GetSafeHdc(), font.GetSafeHandle());
    if (!previous)
        return false;
    TEXTMETRICW metrics;
    const bool usable = ::GetTextMetricsW(dc.GetSafeHdc(), &metrics) != FALSE;
    ::SelectObject(dc.GetSafeHdc(), previous);
    return usable;
}

// lfHeight scaled by three quarters, rounded half away from zero.
LONG ThreeQuarters(LONG height)
{
    const double scaled = height * 0.75;
    return static_cast<LONG>(height >= 1 ? scaled + 0.5 : scaled - 0.5);
}

}  // namespace

CFont* ZCreateFont(CClientDC& dc, const ZFontData& data, bool keepQuality)
{
    const int dotsPerInch = ::GetDeviceCaps(dc.GetSafeHdc(), LOGPIXELSY);
    LOGFONTW requested = data.logFont;
    requested.lfHeight = data.height != 0 ? data.height : ::MulDiv(ThreeQuarters(requested.lfHeight), dotsPerInch, 72);
    if (!keepQuality)
        requested.lfQuality = NONANTIALIASED_QUALITY;

    auto font = std::make_unique<CFont>();
    if (font->CreateFontIndirect(&requested) && IsUsable(dc, *font))
        return font.release();

    LOGFONTW fallback = {};
    fallback.lfHeight = -::MulDiv(10, dotsPerInch, 72);
    fallback.lfCharSet = DEFAULT_CHARSET;
    fallback.lfOutPrecision = OUT_DEFAULT_PRECIS;
    fallback.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    fallback.lfQuality = DEFAULT_QUALITY;
    fallback.lfPitchAndFamily = FIXED_PITCH;
    font = std::make_unique<CFont>();
    if (font->CreateFontIndirect(&fallback) && IsUsable(dc, *font))
        return font.release();

    const DWORD error = ::GetLastError();
    font->DeleteObject();  // a font that cannot be used is not handed out
    ZReportMessageParams cause(error);
    ZReportMessageParams report(MSG_FONT_FALLBACK_FAILED);
    wchar_t face[LF_FACESIZE + 1] = {};
    lstrcpynW(face, data.logFont.lfFaceName, LF_FACESIZE + 1);
    report.AddInsert(face);
    report.AddInsert(cause.GetSingleLineTextTrimmed());
    AfxMessageBox(report.GetText(), MB_ICONEXCLAMATION);
    return font.release();
}

bool ChooseFontW(LOGFONTW* font, bool allowProportional, int& pointSize)
{
    if (!font)
        return false;
    DWORD flags = CF_SCREENFONTS;
    if (!allowProportional)
        flags |= CF_FIXEDPITCHONLY;
    CFontDialog dialog(font, flags);
    if (dialog.DoModal() != IDOK)
        return false;
    dialog.GetCurrentFont(font);
    pointSize = dialog.GetSize();
    return true;
}
