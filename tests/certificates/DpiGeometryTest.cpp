// The create-certificate dialog at the display's resolution (the program runs
// at 96, 144 and 192 DPI): its texts fit their controls and no two overlap.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "certificates/CreateCertificateDialog.h"
#include "tests/support/DialogLayout.h"
#include "tests/support/DpiRun.h"
#include "tests/support/ScratchFolder.h"

namespace {

TEST(CreateCertificateDpi, TextsFitAndNothingOverlaps)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&init);
    ScratchFolder scratch;
    CreateCertificateDialog dialog(scratch.File(L"server").c_str(), 0, nullptr);
    ASSERT_TRUE(dialog.Create());
    dialog.ShowWindow(SW_SHOW);
    for (const std::wstring& fault : TestSupport::LayoutFaults(dialog.m_hWnd))
        ADD_FAILURE() << testing::PrintToString(fault);
    dialog.DestroyWindow();
}

}  // namespace
