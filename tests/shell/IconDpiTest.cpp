// The icon manager at the display's resolution: lists of the system icon sizes,
// which follow the resolution, and the library's own pictures holding an image
// of exactly those sizes, so none is stretched.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "foundation/TessaroInit.h"
#include "shell/ZIconManager.h"
#include "tests/support/DpiRun.h"

namespace IconDpiTest {

TEST(IconDpi, ListsTakeTheSystemIconSizesAtThisResolution)
{
    ASSERT_TRUE(TestSupport::DisplayHasTheRunsDpi());
    ZIconManager manager(nullptr);
    ASSERT_TRUE(manager.PrepareImageLists());
    const struct {
        CImageList* list;
        int at96;
    } cases[] = {{manager.GetLargeIconImageList(), 32}, {manager.GetSmallIconImageList(), 16}};
    for (const auto& c : cases) {
        int width = 0;
        int height = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(c.list->GetSafeHandle(), &width, &height));
        EXPECT_NEAR(width, TestSupport::Scaled(c.at96), 1);
        EXPECT_NEAR(height, TestSupport::Scaled(c.at96), 1);
    }
}

// The widths of a group's images, read from its directory (14-byte entries after a 6-byte header).
std::set<int> ImageWidths(unsigned group)
{
    std::set<int> widths;
    HMODULE library = GetTessaroDll();
    HRSRC found = ::FindResourceW(library, MAKEINTRESOURCEW(group), RT_GROUP_ICON);
    const auto* bytes = found ? static_cast<const unsigned char*>(::LockResource(::LoadResource(library, found))) : nullptr;
    const size_t size = found ? ::SizeofResource(library, found) : 0;
    for (size_t at = 6; bytes && at + 14 <= size; at += 14)
        widths.insert(bytes[at] ? bytes[at] : 256);
    return widths;
}

TEST(IconDpi, TheLibrarysIconsHoldEverySystemIconSize)
{
    const int sizes[] = {::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CXSMICON)};
    for (unsigned group : {3001u, 3002u, 3003u, 3004u, 3005u, 3006u, 3007u, 3008u, 3009u, 3010u, 3011u, 3012u, 3013u,
                           3014u, 3027u, 3028u}) {
        SCOPED_TRACE(group);
        const std::set<int> widths = ImageWidths(group);
        for (int size : sizes)
            EXPECT_EQ(widths.count(size), 1u) << size;
    }
}

}  // namespace IconDpiTest
