// Column widths of ZListCtrl, worked out apart from the window.
//
// Exact widths are given at 96 dpi and scaled to the list's resolution (MulDiv
// rounding); the columns given as kRestOfWidth share what the others leave of
// the available width (one such column takes all of it). Ratio widths are
// shares of the available width, rounded down, without scaling. A width never
// comes out negative.
#pragma once

#include <vector>

#include "foundation/TessaroApi.h"

namespace Tessaro::ListColumns {

constexpr int kRestOfWidth = -1;

TESSARO_API std::vector<int> ExactWidths(const std::vector<int>& widthsAt96, int available, int dpi);
TESSARO_API std::vector<int> RatioWidths(const std::vector<double>& ratios, int available);

}  // namespace Tessaro::ListColumns
