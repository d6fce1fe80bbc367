// The visual managers at the display's resolution (the program runs at 96, 144
// and 192 DPI): borders and glyph strokes are a pixel at 96 DPI and thicken
// with the resolution, so they stay visible at 200 %.
#include <gtest/gtest.h>

#include "tests/support/DpiRun.h"
#include "tests/support/MemoryCanvas.h"
#include "themes/ZVisualManager.h"

namespace {

constexpr COLORREF kClear = RGB(0x11, 0x22, 0x33);
constexpr COLORREF kBorder = RGB(0x3F, 0x3F, 0x46);
constexpr COLORREF kFace = RGB(0x2D, 0x2D, 0x30);

TEST(VisualManagerDpi, TabBordersAreAsThickAsOnePixelAt96Dpi)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    const int line = TestSupport::Scaled(1);
    TestSupport::Canvas canvas(120, 60, kClear);
    ZDarkVisualManager manager;
    manager.OnDrawTab(canvas.dc(), CRect(10, 10, 110, 50), 0, FALSE, nullptr);
    const struct {
        const char* side;
        POINT lastBorder;  // the innermost border pixel; one step further in is the face
        POINT inward;
    } cases[] = {
        {"left", {10 + line - 1, 30}, {1, 0}},
        {"top", {60, 10 + line - 1}, {0, 1}},
        {"right", {110 - line, 30}, {-1, 0}},
        {"bottom", {60, 50 - line}, {0, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.side);
        EXPECT_EQ(canvas.At(c.lastBorder.x, c.lastBorder.y), kBorder);
        EXPECT_EQ(canvas.At(c.lastBorder.x + c.inward.x, c.lastBorder.y + c.inward.y), kFace);
    }
}

TEST(VisualManagerDpi, ThePinsBarsAreAsThickAsTheBorders)
{
    const int line = TestSupport::Scaled(1);
    const int side = TestSupport::Scaled(24);
    TestSupport::Canvas canvas(side, side, kClear);
    ZDarkVisualManager manager;
    manager.OnDrawCaptionButton(canvas.dc(), CRect(0, 0, side, side), CBCGPVisualManager::CaptionPin, TRUE, FALSE,
                                FALSE);
    // Down the glyph's left column, which only the horizontal bar crosses: `line` glyph pixels.
    const int glyphTop = (side - side / 3) / 2;
    int run = 0;
    for (int y = glyphTop; y < glyphTop + side / 3; ++y)
        run += canvas.At(glyphTop, y) == RGB(0xF1, 0xF1, 0xF1);
    EXPECT_EQ(run, line);
}

}  // namespace
