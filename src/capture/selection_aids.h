#pragma once
// What helps the user aim while selecting a rectangle: where the magnifier and its readout
// line go beside the pointer, what the line says, and what each key does. All positions are
// physical pixels in one coordinate space (the overlay's), monitors included.
#include "platform/screen_capture.h"

#include <optional>
#include <string>
#include <vector>

namespace pictorn::capture {

inline constexpr int kLoupeZoom = 8;

struct LoupePlacement {
    platform::PixelRect loupe;   // the magnified square
    platform::PixelRect readout; // the text line right beneath it
    int cells = 0;               // frozen pixels across the square; odd, so one is the middle
};

// The monitor under a point, else the one nearest to it; nothing without monitors.
std::optional<platform::Monitor> monitorAt(const std::vector<platform::Monitor>& monitors, int x,
                                           int y);

// The magnifier for a pointer at (x, y) on this monitor, sized for its DPI: below and right of
// the pointer, flipped to the other side where the monitor ends, never over the pointer and
// never beyond the monitor's edges.
LoupePlacement placeLoupe(int x, int y, const platform::Monitor& monitor);

// The readout: the pointer's screen position and, while selecting, the picture's size.
struct SelectionSize {
    int width = 0, height = 0;
};
std::string readoutText(int x, int y, std::optional<SelectionSize> selecting);

// What a key does on the overlay (virtual-key codes, shift as the input handlers add it up).
struct KeyAction {
    enum Kind { None, Move, PressOrRelease, ToggleMagnifier, Cancel } kind = None;
    int dx = 0, dy = 0; // for Move: pixels
};
KeyAction keyAction(int keyCode, int shift);

} // namespace pictorn::capture
