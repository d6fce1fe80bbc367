// The visual managers drawn into a memory bitmap, no window involved; the tabs'
// borders are the geometry program's, at every resolution.
#include <gtest/gtest.h>

#include "tests/support/MemoryCanvas.h"
#include "themes/ZVisualManager.h"

#include <memory>

namespace {

using TestSupport::Canvas;

constexpr COLORREF kClear = RGB(0x11, 0x22, 0x33);

// The system's colours are changed to others while the manager reads them.
TEST(DarkVisualManager, ColoursAreTheDarkThemeWhateverTheSystemSays)
{
    const INT elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT};
    COLORREF saved[std::size(elements)], other[std::size(elements)];
    for (size_t i = 0; i < std::size(elements); ++i) {
        saved[i] = ::GetSysColor(elements[i]);
        other[i] = RGB(0x10 + i, 0x20, 0x30);
    }
    ASSERT_TRUE(::SetSysColors(std::size(elements), elements, other));
    ZDarkVisualManager manager;
    manager.OnUpdateSystemColors();
    EXPECT_EQ(manager.GetFaceColor(), RGB(0x2D, 0x2D, 0x30));
    EXPECT_EQ(manager.GetTextColor(), RGB(0xF1, 0xF1, 0xF1));
    EXPECT_EQ(manager.GetHighlightColor(), RGB(0x00, 0x7A, 0xCC));
    EXPECT_EQ(manager.GetHighlightTextColor(), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(manager.GetAutoHideButtonTextColor(TRUE), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(manager.GetAutoHideButtonTextColor(FALSE), RGB(0xF1, 0xF1, 0xF1));
    ::SetSysColors(std::size(elements), elements, saved);
}

TEST(DarkVisualManager, CaptionButtonsShowTheirGlyphOnTheirBackground)
{
    using VM = CBCGPVisualManager;
    // glyphPoint: in an 18 x 18 button at the origin, whose glyph square is 6 x 6 at 6,6.
    struct Case { VM::CaptionButton button; BOOL highlighted; COLORREF background, glyph; POINT glyphPoint; };
    const Case cases[] = {
        {VM::CaptionClose, FALSE, RGB(0x2D, 0x2D, 0x30), RGB(0xF1, 0xF1, 0xF1), {6, 6}},
        {VM::CaptionClose, TRUE, RGB(0x00, 0x7A, 0xCC), RGB(0xFF, 0xFF, 0xFF), {11, 6}},
        {VM::CaptionPin, FALSE, RGB(0x2D, 0x2D, 0x30), RGB(0xF1, 0xF1, 0xF1), {6, 9}},
        {VM::CaptionMenu, TRUE, RGB(0x00, 0x7A, 0xCC), RGB(0xFF, 0xFF, 0xFF), {10, 10}},
    };
    for (const Case& c : cases) {
        Canvas canvas(18, 18, kClear);
        ZDarkVisualManager manager;
        manager.OnDrawCaptionButton(canvas.dc(), CRect(0, 0, 18, 18), c.button, TRUE, c.highlighted, FALSE);
        EXPECT_EQ(canvas.At(1, 1), c.background) << c.button;
        EXPECT_EQ(canvas.At(c.glyphPoint.x, c.glyphPoint.y), c.glyph) << c.button;
    }
}

TEST(VisualManager, ActiveTabAndHighlightedAutoHideButtonStandOut)
{
    Canvas canvas(100, 20, kClear);
    ZVisualManager manager;
    manager.OnDrawTab(canvas.dc(), CRect(0, 0, 50, 20), 0, TRUE, nullptr);
    manager.OnDrawTab(canvas.dc(), CRect(50, 0, 100, 20), 1, FALSE, nullptr);
    EXPECT_NE(canvas.At(25, 10), canvas.At(75, 10));
    EXPECT_EQ(canvas.At(25, 10), manager.GetHighlightColor());
    EXPECT_EQ(canvas.At(75, 10), manager.GetFaceColor());

    Canvas button(40, 20, kClear);
    manager.OnFillAutoHideButtonBackground(button.dc(), CRect(0, 0, 20, 20), TRUE);
    manager.OnFillAutoHideButtonBackground(button.dc(), CRect(20, 0, 40, 20), FALSE);
    EXPECT_EQ(button.At(10, 10), manager.GetHighlightColor());
    EXPECT_EQ(button.At(30, 10), manager.GetFaceColor());
    EXPECT_EQ(button.At(0, 0), manager.GetBorderColor());
}

}  // namespace
