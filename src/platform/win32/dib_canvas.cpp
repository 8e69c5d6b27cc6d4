#include "platform/win32/dib_canvas.h"

namespace pictorn::platform::win32 {

void DibCanvas::release() {
    if (dc_ && old_)
        SelectObject(dc_.get(), old_);
    old_ = nullptr;
    bitmap_.reset();
    bits_ = nullptr;
    width_ = height_ = 0;
}

bool DibCanvas::resize(int width, int height) {
    if (bits_ && width == width_ && height == height_)
        return true;
    release();
    if (width <= 0 || height <= 0)
        return false;
    WindowDc screen = windowDc(nullptr);
    if (!dc_)
        dc_.reset(CreateCompatibleDC(screen.get().dc));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(screen.get().dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc_ || !bitmap_ || !bits) {
        bitmap_.reset();
        return false;
    }
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    old_ = SelectObject(dc_.get(), bitmap_.get());
    return true;
}

} // namespace pictorn::platform::win32
