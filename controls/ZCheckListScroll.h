// Where a vertical scroll request takes the first visible row of ZCheckListBox,
// worked out apart from the window. Empty when nothing is to happen (already
// at that end, or a code the list does not act on). The result never leaves
// 0 ... rows - visible, so the last page is full and the scroll box agrees.
#pragma once

#include <windows.h>

#include <optional>

#include "foundation/TessaroApi.h"

namespace Tessaro::CheckListScroll {

TESSARO_API std::optional<int> TopAfter(UINT code, int thumbPosition, int top, int visible, int rows);

}  // namespace Tessaro::CheckListScroll
