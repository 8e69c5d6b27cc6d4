#pragma once
// The picture as a packed device-independent bitmap (header + pixels, no file header):
// what CF_DIB holds and what printing hands to StretchDIBits.
#include "imaging/picture.h"
#include "platform/win32/dib_section.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace pictorn::platform::win32 {

// 24-bit bottom-up BI_RGB, the layout every reader of CF_DIB understands (a 32-bit DIB
// with an empty alpha byte shows up transparent in some programs). Empty when the picture
// is empty or too large for one block of memory.
std::vector<std::uint8_t> packedDib(const imaging::Picture& picture);

// A header for drawing the picture's own pixels directly: 32-bit top-down BI_RGB, which
// is exactly the Picture's memory layout.
BITMAPINFO topDownInfo(const imaging::Picture& picture);

} // namespace pictorn::platform::win32
