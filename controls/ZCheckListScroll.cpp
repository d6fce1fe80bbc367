#include "controls/ZCheckListScroll.h"

#include <algorithm>

namespace Tessaro::CheckListScroll {

std::optional<int> TopAfter(UINT code, int thumbPosition, int top, int visible, int rows)
{
    const bool atTop = top == 0;
    const bool atBottom = top + visible >= rows;
    int next = top;
    switch (code) {
    case SB_LINEUP:
        if (atTop)
            return std::nullopt;
        next = top - 1;
        break;
    case SB_LINEDOWN:
        if (atBottom)
            return std::nullopt;
        next = top + 1;
        break;
    case SB_PAGEUP:
        if (atTop)
            return std::nullopt;
        next = top - visible + 1;
        break;
    case SB_PAGEDOWN:
        if (atBottom)
            return std::nullopt;
        next = top + std::min(rows - visible, visible - 1);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        next = thumbPosition;
        break;
    case SB_TOP:
        next = 0;
        break;
    case SB_BOTTOM:
        next = rows - visible;
        break;
    default:
        return std::nullopt;
    }
    return std::clamp(next, 0, std::max(0, rows - visible));
}

}  // namespace Tessaro::CheckListScroll
