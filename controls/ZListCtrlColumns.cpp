#include "controls/ZListCtrlColumns.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

namespace Tessaro::ListColumns {

std::vector<int> ExactWidths(const std::vector<int>& widthsAt96, int available, int dpi)
{
    std::vector<int> widths;
    widths.reserve(widthsAt96.size());
    int rest = available;
    int restColumns = 0;
    for (int width : widthsAt96) {
        if (width == kRestOfWidth) {
            widths.push_back(0);
            ++restColumns;
            continue;
        }
        const int scaled = std::max(0, ::MulDiv(width, dpi, 96));
        widths.push_back(scaled);
        rest -= scaled;
    }
    if (restColumns == 0)
        return widths;
    rest = std::max(0, rest);
    // Equal shares; the last such column also takes what the division leaves.
    int left = rest;
    int seen = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (widthsAt96[i] != kRestOfWidth)
            continue;
        widths[i] = ++seen == restColumns ? left : rest / restColumns;
        left -= widths[i];
    }
    return widths;
}

std::vector<int> RatioWidths(const std::vector<double>& ratios, int available)
{
    std::vector<int> widths;
    widths.reserve(ratios.size());
    for (double ratio : ratios)
        widths.push_back(std::max(0, static_cast<int>(std::floor(std::max(0, available) * ratio))));
    return widths;
}

}  // namespace Tessaro::ListColumns
