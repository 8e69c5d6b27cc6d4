#pragma once
// 32-bit top-down BI_RGB bitmaps: the Picture's own memory layout (0x00RRGGBB, rows from
// the top), so pixels go between GDI and the program without conversion.
#include "platform/win32/handle.h"

#include <windows.h>

#include <cstdint>

namespace pictorn::platform::win32 {

BITMAPINFO topDownInfo(int width, int height);

struct DibSection {
    Bitmap bitmap;
    std::uint32_t* bits = nullptr; // the bitmap's pixels, null when the system refused
    explicit operator bool() const { return bitmap && bits; }
};

// A DIB section of that layout made for `dc` (the screen's when null); contents undefined.
DibSection topDownDibSection(HDC dc, int width, int height);

} // namespace pictorn::platform::win32
