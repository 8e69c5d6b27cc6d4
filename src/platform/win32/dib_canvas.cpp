#include "platform/win32/dib_canvas.h"

#include "platform/win32/dib_section.h"

#include <utility>

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
    DibSection dib = topDownDibSection(screen.get().dc, width, height);
    if (!dc_ || !dib)
        return false;
    bitmap_ = std::move(dib.bitmap);
    bits_ = dib.bits;
    width_ = width;
    height_ = height;
    old_ = SelectObject(dc_.get(), bitmap_.get());
    return true;
}

} // namespace pictorn::platform::win32
