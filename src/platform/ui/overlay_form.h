#pragma once
// A form that draws itself instead of holding controls: a borderless window over the
// screen that shows a still picture with an outline on it and takes the mouse and the keys.
// The form keeps what is shown; its real window reads that after every input it forwards
// and repaints only what changed. Which forms get such a window is up to the program: it
// registers the window for them with its toolkit.
#include "imaging/picture.h"
#include "platform/screen_capture.h"
#include "platform/ui/form.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pictorn::ui {

// A rectangle outline in the picture's pixels, corners included.
struct OverlayOutline {
    int left = 0, top = 0, right = 0, bottom = 0;
    std::uint32_t color = 0; // 0x00RRGGBB
    bool operator==(const OverlayOutline&) const = default;
};

// The magnifier: `cells` x `cells` pixels of the shown picture around (sourceX, sourceY),
// each `zoom` pixels wide, in `area` (empty while hidden); the text line in `readoutArea`.
// Positions in the picture's pixels. It is drawn over the picture, never into it.
struct OverlayLoupe {
    platform::PixelRect area;
    int sourceX = 0, sourceY = 0, cells = 0, zoom = 0;
    platform::PixelRect readoutArea;
    std::string readout; // UTF-8
    bool operator==(const OverlayLoupe&) const = default;
};

// A position in the picture's pixels.
struct OverlayPoint {
    int x = 0, y = 0;
    bool operator==(const OverlayPoint&) const = default;
};

class OverlayForm : public Form {
public:
    using Form::Form;

    // Mouse buttons and shift keys as the input handlers number them (several at once are
    // added up).
    static constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
    static constexpr int kShiftKey = 1, kCtrlKey = 2, kAltKey = 4;
    static constexpr int kEscapeKey = 27;
    static constexpr int kReturnKey = 13, kSpaceKey = 32, kMagnifierKey = 'M';
    static constexpr int kLeftKey = 37, kUpKey = 38, kRightKey = 39, kDownKey = 40;
    // The pointer `cursorId` names when the program has no cursor of its own to show.
    static constexpr int kSystemCrosshair = 0;

    // Input, with positions in overlay twips (see toTwips). Closing the window any other
    // way (Alt+F4) arrives as the Esc key.
    virtual void Form_MouseDown(int button, int shift, float x, float y) = 0;
    virtual void Form_MouseMove(int button, int shift, float x, float y) = 0;
    virtual void Form_MouseUp(int button, int shift, float x, float y) = 0;
    virtual void Form_KeyDown(int keyCode, int shift) = 0;

    // What the window shows and where: the picture, placed with its top-left corner at
    // this screen position, and the outline drawn over it.
    virtual const imaging::Picture& frozen() const = 0;
    virtual int originX() const = 0;
    virtual int originY() const = 0;
    virtual const std::optional<OverlayOutline>& outline() const = 0;
    // A cursor resource of the program, or kSystemCrosshair.
    virtual int cursorId() const = 0;
    virtual const std::optional<OverlayLoupe>& loupe() const = 0;
    // Where the pointer is; keys move it, and the window then moves the real one there.
    virtual std::optional<OverlayPoint> pointer() const = 0;

    // Overlay twips for a pixel position inside the overlay.
    virtual float toTwips(int pixels) const = 0;
};

} // namespace pictorn::ui
