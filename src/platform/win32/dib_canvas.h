#pragma once
// A 32-bit top-down DIB section selected into a memory DC: pixels the program writes
// directly (0x00RRGGBB, the Picture's layout) and GDI can draw on and blit from.
#include "platform/win32/handle.h"

#include <windows.h>

#include <cstdint>

namespace pictorn::platform::win32 {

class DibCanvas {
public:
    DibCanvas() = default;
    ~DibCanvas() { release(); }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    // Makes a canvas of this size (contents undefined) unless it has it already; false when
    // the system refuses, and then the canvas is empty.
    bool resize(int width, int height);
    void release();

    explicit operator bool() const { return bits_ != nullptr; }
    HDC dc() const { return dc_.get(); }
    std::uint32_t* bits() const { return bits_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    CreatedDc dc_;
    Bitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

} // namespace pictorn::platform::win32
