// The visual managers at the display's resolution (the program runs at 96, 144
// and 192 DPI): borders and glyph strokes are a pixel at 96 DPI and thicken
// with the resolution, so they stay visible at 200 %.
#include <gtest/gtest.h>

#include <utility>

#include "tests/support/DpiRun.h"
#include "tests/support/MemoryCanvas.h"
#include "themes/ZVisualManager.h"

namespace {

constexpr COLORREF kClear = RGB(0x11, 0x22, 0x33);
constexpr COLORREF kBorder = RGB(0x3F, 0x3F, 0x46);
constexpr COLORREF kFace = RGB(0x2D, 0x2D, 0x30);
constexpr COLORREF kHighlight = RGB(0x00, 0x7A, 0xCC);

TEST(VisualManagerDpi, TabBordersAreAsThickAsOnePixelAt96DpiAndNothingIsDrawnOutside)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    const int line = TestSupport::Scaled(1);
    const struct {
        const char* side;
        POINT lastBorder;  // the innermost border pixel; one step in is the fill, `line` steps out the clear
        POINT inward;
    } cases[] = {
        {"left", {10 + line - 1, 30}, {1, 0}},
        {"top", {60, 10 + line - 1}, {0, 1}},
        {"right", {110 - line, 30}, {-1, 0}},
        {"bottom", {60, 50 - line}, {0, -1}},
        {"top left corner", {10 + line - 1, 10 + line - 1}, {1, 1}},
        {"bottom right corner", {110 - line, 50 - line}, {-1, -1}},
    };
    for (const auto& [active, fill] : {std::pair{TRUE, kHighlight}, std::pair{FALSE, kFace}}) {
        TestSupport::Canvas canvas(120, 60, kClear);
        ZDarkVisualManager manager;
        manager.OnDrawTab(canvas.dc(), CRect(10, 10, 110, 50), 0, active, nullptr);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.side << (active ? ", active" : ""));
            const POINT& at = c.lastBorder;
            EXPECT_EQ(canvas.At(at.x, at.y), kBorder);
            EXPECT_EQ(canvas.At(at.x + c.inward.x, at.y + c.inward.y), fill);
            EXPECT_EQ(canvas.At(at.x - line * c.inward.x, at.y - line * c.inward.y), kClear);
        }
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
