#include "platform/win32/dib_section.h"

namespace pictorn::platform::win32 {

BITMAPINFO topDownInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

DibSection topDownDibSection(HDC dc, int width, int height) {
    DibSection dib;
    if (width <= 0 || height <= 0) {
        return dib;
    }
    const BITMAPINFO info = topDownInfo(width, height);
    void* bits = nullptr;
    dib.bitmap.reset(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (dib.bitmap && bits) {
        dib.bits = static_cast<std::uint32_t*>(bits);
    } else {
        dib.bitmap.reset();
    }
    return dib;
}

} // namespace pictorn::platform::win32
