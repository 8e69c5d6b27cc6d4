#include "capture/selection_aids.h"

#include "platform/ui/overlay_form.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace pictorn::capture {
namespace {

using platform::Monitor;
using platform::PixelRect;
using ui::OverlayForm;

// Sizes chosen at 96 DPI, scaled like everything else on the monitor.
constexpr int kLoupeSide = 130;
constexpr int kReadoutWidth = 200;
constexpr int kReadoutHeight = 20;
// Clear of the pointer: half a 32-pixel crosshair plus a little air.
constexpr int kPointerGap = 20;

int scaled(int pixelsAt96, int dpi) {
    return (pixelsAt96 * std::max(dpi, 1) + 48) / 96;
}

long long distanceSquared(const PixelRect& r, int x, int y) {
    const long long dx = x < r.left ? r.left - x : (x >= r.right() ? x - r.right() + 1 : 0);
    const long long dy = y < r.top ? r.top - y : (y >= r.bottom() ? y - r.bottom() + 1 : 0);
    return dx * dx + dy * dy;
}

} // namespace

std::optional<Monitor> monitorAt(const std::vector<Monitor>& monitors, int x, int y) {
    std::optional<Monitor> best;
    long long bestDistance = LLONG_MAX;
    for (const Monitor& m : monitors) {
        const long long d = distanceSquared(m.area, x, y);
        if (d < bestDistance) {
            best = m;
            bestDistance = d;
        }
    }
    return best;
}

LoupePlacement placeLoupe(int x, int y, const Monitor& monitor) {
    LoupePlacement p;
    const int dpi = monitor.dpi;
    const int wanted = static_cast<int>(std::lround(kLoupeSide * dpi / (96.0 * kLoupeZoom)));
    p.cells = std::max(wanted | 1, 3);
    const int side = p.cells * kLoupeZoom;
    const int textHeight = scaled(kReadoutHeight, dpi);
    const int width = std::max(side, scaled(kReadoutWidth, dpi));
    const int height = side + textHeight;
    const int gap = scaled(kPointerGap, dpi);
    const PixelRect& m = monitor.area;

    int left = x + gap;
    if (left + width > m.right())
        left = x - gap - width;
    int top = y + gap;
    if (top + height > m.bottom())
        top = y - gap - height;
    // A monitor too small for the pair on either side: stay on it rather than beside it.
    left = std::max(std::min(left, m.right() - width), m.left);
    top = std::max(std::min(top, m.bottom() - height), m.top);

    p.loupe = {left, top, side, side};
    p.readout = {left, top + side, width, textHeight};
    return p;
}

std::string readoutText(int x, int y, std::optional<SelectionSize> selecting) {
    std::string text = std::to_string(x) + ", " + std::to_string(y);
    if (selecting)
        text += "   " + std::to_string(std::max(selecting->width, 0)) + " \u00D7 " +
                std::to_string(std::max(selecting->height, 0));
    return text;
}

KeyAction keyAction(int keyCode, int shift) {
    const int step = (shift & OverlayForm::kShiftKey) ? 10 : 1;
    switch (keyCode) {
    case OverlayForm::kLeftKey:
        return {KeyAction::Move, -step, 0};
    case OverlayForm::kRightKey:
        return {KeyAction::Move, step, 0};
    case OverlayForm::kUpKey:
        return {KeyAction::Move, 0, -step};
    case OverlayForm::kDownKey:
        return {KeyAction::Move, 0, step};
    case OverlayForm::kReturnKey:
    case OverlayForm::kSpaceKey:
        return {KeyAction::PressOrRelease};
    case OverlayForm::kMagnifierKey:
        return {KeyAction::ToggleMagnifier};
    case OverlayForm::kEscapeKey:
        return {KeyAction::Cancel};
    default:
        return {};
    }
}

} // namespace pictorn::capture
