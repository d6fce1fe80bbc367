// Scaling of sizes designed at 96 dots per inch to a device's resolution.
#pragma once

#include <afxwin.h>

#include "foundation/TessaroApi.h"

// value × the device's horizontal dots per inch ÷ 96, rounded.
TESSARO_API int AdjustForDpiX(CDC* dc, int value);
