// Fonts from stored descriptions and the font dialog. Only DejaVu fonts may be installed: the cases check
// relations (height arithmetic, fixed pitch, which path was taken), never faces the platform picked.
#include <gtest/gtest.h>

#include "TessaroMessages.h"
#include "controls/ZFont.h"
#include "foundation/ZReportMessageParams.h"
#include "tests/support/MessageBoxWatcher.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

ZFontData Description(const wchar_t* face, LONG height, int32_t heightOverride = 0, BYTE quality = DEFAULT_QUALITY)
{
    ZFontData data = {};
    data.logFont.lfHeight = height;
    data.logFont.lfCharSet = DEFAULT_CHARSET;
    data.logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    data.logFont.lfQuality = quality;
    lstrcpynW(data.logFont.lfFaceName, face, LF_FACESIZE);
    data.height = heightOverride;
    return data;
}

// GetObject gives back the description a font was made from: what the code asked the platform for.
TEST(CreateFont, TheDescriptionIsKeptWithItsHeightRescaledToTheDevice)
{
    CClientDC dc(nullptr);
    const int dpi = dc.GetDeviceCaps(LOGPIXELSY);
    const wchar_t* courier = L"Courier New";
    struct Case { const wchar_t* face; LONG height; int32_t heightOverride; bool keepQuality; LONG expected; };
    const Case cases[] = {
        {courier, -16, 0, true, ::MulDiv(-12, dpi, 72)},  // -16 at 96 dpi, -24 at 144
        {courier, 16, 0, true, ::MulDiv(12, dpi, 72)},
        {courier, -15, 0, true, ::MulDiv(-11, dpi, 72)},  // -11.25 rounds to -11
        {courier, -14, 0, true, ::MulDiv(-11, dpi, 72)},  // -10.5 rounds away from zero
        {courier, 14, 0, true, ::MulDiv(11, dpi, 72)},
        {courier, -16, 21, true, 21},                     // the override is taken as it is
        {courier, -16, 0, false, ::MulDiv(-12, dpi, 72)},  // the quality is kept only when asked
        // The platform substitutes an unknown face; the fallback would have no face and 10 points.
        {L"No Such Face 8A2F", -16, 0, true, ::MulDiv(-12, dpi, 72)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.height << " " << c.heightOverride << " " << c.keepQuality);
        const ZFontData description = Description(c.face, c.height, c.heightOverride, CLEARTYPE_QUALITY);
        std::unique_ptr<CFont> font(ZCreateFont(dc, description, c.keepQuality));
        ASSERT_NE(font->GetSafeHandle(), nullptr);
        LOGFONTW made = {};
        font->GetLogFont(&made);
        EXPECT_EQ(made.lfHeight, c.expected);
        EXPECT_EQ(made.lfQuality, c.keepQuality ? CLEARTYPE_QUALITY : NONANTIALIASED_QUALITY);
        EXPECT_STREQ(made.lfFaceName, c.face);
        EXPECT_EQ(made.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
    }
}

TEST(CreateFont, UnusableDeviceTellsTheUserAndGivesAnEmptyFont)
{
    CClientDC dc(nullptr);
    HDC real = dc.Detach();
    dc.Attach(reinterpret_cast<HDC>(static_cast<INT_PTR>(0x7FF0DEAD)));  // no such device context
    TestSupport::MessageBoxWatcher watcher(IDOK);
    std::unique_ptr<CFont> font(ZCreateFont(dc, Description(L"Courier New", -16), true));
    dc.Detach();
    dc.Attach(real);
    EXPECT_EQ(font->GetSafeHandle(), nullptr);
    ASSERT_EQ(watcher.Boxes().size(), 1u);
    ZReportMessageParams expected(MSG_FONT_FALLBACK_FAILED);
    expected.AddInsert(L"Courier New");
    expected.AddInsert(L"");
    const std::wstring start = expected.GetText();
    EXPECT_EQ(watcher.Boxes()[0].text.substr(0, start.find(L'\r')), start.substr(0, start.find(L'\r')));
    EXPECT_EQ(watcher.Boxes()[0].icon, TestSupport::SystemIconFor(MB_ICONEXCLAMATION));
}

// --- the font dialog ------------------------------------------------------------

// Answers every font dialog that opens, once, after reading its face list.
struct FontDialogAnswerer {
    static inline WPARAM answer = IDCANCEL;
    static inline std::vector<HWND> dialogs;
    static inline std::vector<std::wstring> faces;
    static inline HHOOK hook = nullptr;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        if (code == HCBT_ACTIVATE && ::GetClassNameW(dialog, className, 16) && std::wstring(className) == L"#32770" &&
            std::find(dialogs.begin(), dialogs.end(), dialog) == dialogs.end()) {
            dialogs.push_back(dialog);
            HWND list = ::GetDlgItem(dialog, 0x470);  // the face combo box
            for (LRESULT i = 0; list && i < ::SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
                wchar_t face[LF_FACESIZE + 8] = {};
                if (::SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < LF_FACESIZE + 8)
                    ::SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
                faces.push_back(face);
            }
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
        }
        return ::CallNextHookEx(hook, code, wParam, lParam);
    }
    // ChooseFontW with every dialog it opens answered.
    static bool Choose(LOGFONTW* font, bool allowProportional, int& pointSize, WPARAM reply)
    {
        answer = reply;
        dialogs.clear();
        faces.clear();
        hook = ::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
        EXPECT_NE(hook, nullptr);
        const bool chosen = ChooseFontW(font, allowProportional, pointSize);
        ::UnhookWindowsHookEx(hook);
        return chosen;
    }
};

bool IsFixedPitch(const std::wstring& face)
{
    CClientDC dc(nullptr);
    LOGFONTW logFont = {};
    logFont.lfHeight = -12;
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
    CFont font;
    font.CreateFontIndirect(&logFont);
    CFont* old = dc.SelectObject(&font);
    TEXTMETRICW metrics = {};
    dc.GetTextMetrics(&metrics);
    dc.SelectObject(old);
    return (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
}

TEST(ChooseFont, CancellingLeavesTheFontAloneAndFixedOnlyListsFixedFaces)
{
    std::vector<std::wstring> listed[2];
    for (bool allowProportional : {false, true}) {
        LOGFONTW font = Description(L"Courier New", -13).logFont;
        const LOGFONTW before = font;
        int pointSize = 123;
        EXPECT_FALSE(FontDialogAnswerer::Choose(&font, allowProportional, pointSize, IDCANCEL));
        EXPECT_EQ(memcmp(&font, &before, sizeof font), 0);
        EXPECT_EQ(pointSize, 123);
        listed[allowProportional] = FontDialogAnswerer::faces;
    }
    ASSERT_FALSE(listed[0].empty());
    for (const std::wstring& face : listed[0])
        EXPECT_TRUE(IsFixedPitch(face)) << std::string(face.begin(), face.end());
    EXPECT_GT(listed[1].size(), listed[0].size());
    bool proportionalListed = false;
    for (const std::wstring& face : listed[1])
        proportionalListed |= !IsFixedPitch(face);
    EXPECT_TRUE(proportionalListed);
}

TEST(ChooseFont, OkFillsTheFontAndANullFontIsRefusedWithoutADialog)
{
    for (const bool withFont : {true, false}) {
        SCOPED_TRACE(withFont ? "font given" : "null font");
        LOGFONTW font = Description(L"Courier New", -13).logFont;
        font.lfFaceName[0] = L'\0';
        int pointSize = 123;
        EXPECT_EQ(FontDialogAnswerer::Choose(withFont ? &font : nullptr, false, pointSize, IDOK), withFont);
        EXPECT_EQ(FontDialogAnswerer::dialogs.size(), withFont ? 1u : 0u);
        if (withFont) {
            EXPECT_NE(font.lfFaceName[0], L'\0') << "the chosen face is written back";
            EXPECT_NE(pointSize, 123);
        } else {
            EXPECT_EQ(pointSize, 123);
        }
    }
}

}  // namespace
