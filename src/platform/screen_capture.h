#pragma once
// What the screen offers the capture code: monitor layout, pixel copies of any screen
// rectangle, the foreground window's outer rectangle and the mouse pointer with its image.
// All coordinates are physical pixels in screen space, where the primary monitor's top-left
// corner is (0, 0) and monitors left of or above it have negative coordinates.
#include "imaging/picture.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace pictorn::platform {

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool empty() const { return width <= 0 || height <= 0; }
    bool operator==(const PixelRect&) const = default;
};

// A pointer image as the display combines it with the screen, top-down, width x height.
// Masked images (classic cursors): each screen pixel is ANDed with the mask (1 keeps it,
// 0 clears it) and then XORed with `pixels` (0x00RRGGBB); a monochrome cursor's inverting
// parts are mask 1 with pixel 0xFFFFFF. Alpha images: `pixels` are 0xAARRGGBB, not
// premultiplied, blended over the screen; `andMask` is then empty.
struct CursorImage {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> andMask;
    bool alpha = false;

    bool empty() const { return width <= 0 || height <= 0; }
};

// One monitor: its rectangle and the DPI the system scales it with.
struct Monitor {
    PixelRect area;
    int dpi = 96;
    bool operator==(const Monitor&) const = default;
};

struct CursorState {
    bool visible = false;
    int x = 0, y = 0;       // the pointer's position on screen
    int hotX = 0, hotY = 0; // the point of the image that sits on that position
    CursorImage image;
};

class ScreenCapture {
public:
    virtual ~ScreenCapture() = default;

    virtual int monitorCount() = 0;
    // The bounding rectangle of all monitors.
    virtual PixelRect virtualScreen() = 0;
    virtual PixelRect primaryScreen() = 0;
    // Every monitor, the primary one first.
    virtual std::vector<Monitor> monitors() { return {{primaryScreen(), 96}}; }
    // The pixels of a screen rectangle, always true colour whatever the display depth.
    // Parts outside every monitor come back black.
    virtual imaging::Picture grab(const PixelRect& area) = 0;
    // The same, in `storage` when it is large enough (its contents do not matter).
    virtual imaging::Picture grabInto(const PixelRect& area, std::vector<std::uint32_t> storage) {
        static_cast<void>(storage);
        return grab(area);
    }
    // The same pixels, taken to watch the screen change (waiting for the windows beneath a
    // hidden one to repaint) rather than to capture it.
    virtual imaging::Picture look(const PixelRect& area) { return grab(area); }
    // Waits for the compositor's next frame, in which windows hidden before the call are
    // gone. False at once when no compositor draws the desktop (Wine, Windows without
    // desktop composition): then only the screen's pixels tell when a window has gone.
    virtual bool waitForCompositor() { return false; }
    // The foreground window's whole rectangle, frame and title bar included, as the user
    // sees it; nothing when no window is in the foreground.
    virtual std::optional<PixelRect> foregroundWindowRect() = 0;
    virtual CursorState cursor() = 0;
};

} // namespace pictorn::platform
