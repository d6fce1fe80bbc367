// Fonts from stored descriptions and the font dialog. Only DejaVu fonts may be
// installed: the cases check relations (height arithmetic, fixed pitch, which
// path was taken), never face names the platform picked or pixel sizes.
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

LOGFONTW LogFontOf(CFont& font)
{
    LOGFONTW logFont = {};
    font.GetLogFont(&logFont);
    return logFont;
}

TEST(CreateFont, HeightIsRescaledToTheDevice)
{
    CClientDC dc(nullptr);
    const int dpi = dc.GetDeviceCaps(LOGPIXELSY);
    struct Case {
        LONG height;
        int32_t heightOverride;
        LONG expected;
    };
    const Case cases[] = {
        {-16, 0, ::MulDiv(-12, dpi, 72)},   // -16 at 96 dpi, -24 at 144
        {16, 0, ::MulDiv(12, dpi, 72)},
        {-15, 0, ::MulDiv(-11, dpi, 72)},   // -11.25 rounds to -11
        {-14, 0, ::MulDiv(-11, dpi, 72)},   // -10.5 rounds away from zero
        {14, 0, ::MulDiv(11, dpi, 72)},
        {-16, 21, 21},                      // the override is taken as it is
    };
    for (const Case& c : cases) {
        std::unique_ptr<CFont> font(ZCreateFont(dc, Description(L"Courier New", c.height, c.heightOverride), true));
        ASSERT_NE(font->GetSafeHandle(), nullptr);
        EXPECT_EQ(LogFontOf(*font).lfHeight, c.expected) << c.height << " " << c.heightOverride;
    }
}

TEST(CreateFont, UnknownFaceIsSubstitutedWithoutTheFallback)
{
    CClientDC dc(nullptr);
    std::unique_ptr<CFont> font(ZCreateFont(dc, Description(L"No Such Face 8A2F", -16), true));
    ASSERT_NE(font->GetSafeHandle(), nullptr);
    // The fallback would have an empty face and a 10-point height.
    EXPECT_STREQ(LogFontOf(*font).lfFaceName, L"No Such Face 8A2F");
    EXPECT_EQ(LogFontOf(*font).lfHeight, ::MulDiv(-12, dc.GetDeviceCaps(LOGPIXELSY), 72));
}

TEST(CreateFont, QualityIsKeptOnlyWhenAsked)
{
    CClientDC dc(nullptr);
    for (bool keep : {true, false}) {
        std::unique_ptr<CFont> font(ZCreateFont(dc, Description(L"Courier New", -16, 0, CLEARTYPE_QUALITY), keep));
        EXPECT_EQ(LogFontOf(*font).lfQuality, keep ? CLEARTYPE_QUALITY : NONANTIALIASED_QUALITY) << keep;
    }
}

TEST(CreateFont, FixedPitchRequestGivesAFixedPitchFont)
{
    CClientDC dc(nullptr);
    std::unique_ptr<CFont> font(ZCreateFont(dc, Description(L"Courier New", -16), true));
    CFont* old = dc.SelectObject(font.get());
    TEXTMETRICW metrics = {};
    ASSERT_TRUE(dc.GetTextMetrics(&metrics));
    dc.SelectObject(old);
    EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // the bit set means variable pitch
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

// Reads the face list of the font dialog when it opens, then cancels it.
struct FaceListReader {
    static inline std::vector<std::wstring> faces;
    static inline HHOOK hook = nullptr;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE) {
            HWND dialog = reinterpret_cast<HWND>(wParam);
            if (HWND list = ::GetDlgItem(dialog, 0x470)) {  // the face combo box
                const LRESULT count = ::SendMessageW(list, CB_GETCOUNT, 0, 0);
                for (LRESULT i = 0; i < count; ++i) {
                    wchar_t face[LF_FACESIZE + 8] = {};
                    if (::SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < LF_FACESIZE + 8)
                        ::SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
                    faces.push_back(face);
                }
            }
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        return ::CallNextHookEx(hook, code, wParam, lParam);
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
        FaceListReader::faces.clear();
        FaceListReader::hook = ::SetWindowsHookExW(WH_CBT, FaceListReader::Hook, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(FaceListReader::hook, nullptr);
        EXPECT_FALSE(ChooseFontW(&font, allowProportional, pointSize));
        ::UnhookWindowsHookEx(FaceListReader::hook);
        EXPECT_EQ(memcmp(&font, &before, sizeof font), 0);
        EXPECT_EQ(pointSize, 123);
        listed[allowProportional] = FaceListReader::faces;
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


// Presses OK once in every dialog that opens, counting them.
struct DialogConfirmer {
    static inline std::vector<HWND> dialogs;
    static inline HHOOK hook = nullptr;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        if (code == HCBT_ACTIVATE && ::GetClassNameW(window, className, 16) && std::wstring(className) == L"#32770" &&
            std::find(dialogs.begin(), dialogs.end(), window) == dialogs.end()) {
            dialogs.push_back(window);
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        return ::CallNextHookEx(hook, code, wParam, lParam);
    }
};

TEST(ChooseFont, OkFillsTheFontAndANullFontIsRefusedWithoutADialog)
{
    struct Case {
        bool withFont;
        bool chosen;
        size_t dialogs;
    };
    for (const Case c : {Case{true, true, 1u}, Case{false, false, 0u}}) {
        SCOPED_TRACE(c.withFont ? "font given" : "null font");
        LOGFONTW font = Description(L"Courier New", -13).logFont;
        font.lfFaceName[0] = L'\0';
        int pointSize = 123;
        DialogConfirmer::dialogs.clear();
        DialogConfirmer::hook = ::SetWindowsHookExW(WH_CBT, DialogConfirmer::Hook, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(DialogConfirmer::hook, nullptr);
        const bool chosen = ChooseFontW(c.withFont ? &font : nullptr, false, pointSize);
        ::UnhookWindowsHookEx(DialogConfirmer::hook);
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(DialogConfirmer::dialogs.size(), c.dialogs);
        if (c.chosen) {
            EXPECT_NE(font.lfFaceName[0], L'\0') << "the chosen face is written back";
            EXPECT_NE(pointSize, 123);
        } else {
            EXPECT_EQ(pointSize, 123);
        }
    }
}

}  // namespace
