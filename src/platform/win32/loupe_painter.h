#pragma once
// The selection overlay's magnifier: the pixels around the pointer eight times over with a
// grid between them and the middle one framed, and the readout line beneath, rendered into
// a small bitmap of its own that the overlay paints over its picture.
#include "platform/ui/overlay_form.h"
#include "platform/win32/dib_canvas.h"
#include "platform/win32/handle.h"

#include <windows.h>

#include <cstdint>

namespace pictorn::platform::win32 {

class LoupePainter {
public:
    // Renders the magnifier from a picture of width x height pixels (top-down 0x00RRGGBB).
    void render(const ui::OverlayLoupe& loupe, const std::uint32_t* picture, int width, int height);
    // Where the last render sits in the window (empty before the first).
    const RECT& area() const { return area_; }
    void paint(HDC dc) const;

private:
    void drawReadout(const ui::OverlayLoupe& loupe);

    DibCanvas canvas_;
    RECT area_{};
    Font font_;
    int fontHeight_ = 0;
};

} // namespace pictorn::platform::win32
