// Shortening a path with "..." until it fits a width: the window-free part of
// AbbreviatePathname. The caller supplies the measure, so the steps can run
// against any font, or against a fake one.
//
// The path is cut into components that keep their trailing separator
// ("C:\a\b" gives "C:\", "a\", "b"). From the fourth component on, folders are
// replaced one by one by a single "..." next to the first folder, then the
// first folder goes (or the last one, unless keepLastFolder), then the drive or
// server, and at last only the file name is left. The first form that fits is
// the result; when none fits, the shortest one reached.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/TessaroApi.h"

namespace Tessaro {

struct PathComponents {
    std::vector<std::wstring> parts;  // each keeps its separator, except a last one without
    bool network = false;             // the path starts with "\\"
};

// "\\server\share\dir\file" gives "\\server\", "share\", "dir\", "file". On a
// network path, a second component ending in ':' is joined to the first.
TESSARO_API PathComponents SplitPathComponents(std::wstring_view path);

// The width of a text in the caller's font.
using MeasureText = std::function<int(std::wstring_view)>;

TESSARO_API std::wstring AbbreviatePath(std::wstring_view path, int availableWidth, bool keepLastFolder,
                                        const MeasureText& measure);

}  // namespace Tessaro
