// The text view's character cell at the display's resolution (the program runs
// at 96, 144 and 192 DPI): fonts are sized in points, so the cell follows the
// resolution. Only proportions are asserted; the face is whatever the system has.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "tests/support/DpiRun.h"
#include "tests/textview/TextViewTestLines.h"
#include "textview/ZTextView.h"

namespace {

TEST(TextViewDpi, TheCellFollowsTheResolution)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    const struct {
        const char* name;
        int points;
        std::optional<LONG> storedHeight;  // a stored font's height, in pixels at 96 DPI
    } cases[] = {{"the default font", 10, std::nullopt}, {"a stored 12-point font", 12, -16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* view = new ZTextView;  // deletes itself with its window
        ASSERT_TRUE(view->CreateEx(0, nullptr, L"text view", WS_POPUP | WS_VISIBLE, 50, 50, TestSupport::Scaled(480),
                                   TestSupport::Scaled(240), nullptr, nullptr));
        if (c.storedHeight)
            view->UpdateFont(TextViewTest::FixedFont(*c.storedHeight));
        // The em square of the font at this resolution; a cell is a little taller and about half as wide.
        const double em = c.points * TestSupport::RunDpi() / 72.0;
        EXPECT_GE(view->GetCharacterHeight(), em);
        EXPECT_LE(view->GetCharacterHeight(), em * 1.5);
        EXPECT_GE(view->GetCharacterWidth(), em * 0.45);
        EXPECT_LE(view->GetCharacterWidth(), em * 0.75);
        view->DestroyWindow();
    }
}

}  // namespace
