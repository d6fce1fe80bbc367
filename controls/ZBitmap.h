// Bitmaps: 32-bit top-down sections, PNG loading (through GDI+) and scaling.
//
// Every bitmap made here is a device-independent section of 32 bits per pixel,
// top-down, BI_RGB, whose alpha byte is kept: PNG pixels are premultiplied by
// their alpha so that AlphaBlend draws them as they are. Failures give a null
// handle and leave nothing behind.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "foundation/TessaroApi.h"

struct ZBitmapDeleter {
    void operator()(HBITMAP bitmap) const { ::DeleteObject(bitmap); }
};
// The owner of one bitmap handle.
using ZBitmapHandle = std::unique_ptr<std::remove_pointer_t<HBITMAP>, ZBitmapDeleter>;

// A new section of width x height pixels, all zero; bits (optional) receives
// the first row. Null when either side is not positive.
TESSARO_API ZBitmapHandle ZCreateTopDownSection(int width, int height, void** bits = nullptr);

// A PNG image held in memory, in a file, or in a resource of the given type
// ("PNG", RT_RCDATA, ...) of module. Anything that does not start with the PNG
// signature or that GDI+ cannot decode in full gives null.
TESSARO_API ZBitmapHandle ZLoadPngFromMemory(const void* bytes, size_t size);
TESSARO_API ZBitmapHandle ZLoadPngFromFile(const wchar_t* path);
TESSARO_API ZBitmapHandle ZLoadPngFromResource(HINSTANCE module, const wchar_t* name, const wchar_t* type);

// The size of a bitmap (0 x 0 for a null or invalid handle).
TESSARO_API SIZE ZGetBitmapSize(HBITMAP bitmap);

// A new section of width x height holding source stretched with HALFTONE.
// Null when the source is not a bitmap or a side is not positive.
TESSARO_API ZBitmapHandle ZScaleBitmap(HBITMAP source, int width, int height);

// The largest size of source's proportions that fits into bounds (truncated,
// at least 1 x 1 for a non-empty source); never larger than source when
// growing is not allowed.
TESSARO_API SIZE ZFitSize(SIZE source, SIZE bounds, bool allowGrowing);
