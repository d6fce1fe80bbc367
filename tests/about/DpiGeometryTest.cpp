// The about box at the display's resolution (the program runs at 96, 144 and
// 192 DPI): its texts fit their controls and no two controls overlap.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "about/ZAboutDialog.h"
#include "tests/support/DialogLayout.h"
#include "tests/support/DpiRun.h"

namespace {

TEST(AboutDpi, TextsFitAndNothingOverlaps)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&controls);
    ZAboutDialog dialog(L"Demo Client", L"Version 8.7.0", nullptr);
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(SW_SHOW);
    for (const std::wstring& fault : TestSupport::LayoutFaults(dialog.m_hWnd))
        ADD_FAILURE() << testing::PrintToString(fault);
    dialog.DestroyWindow();
}

}  // namespace
