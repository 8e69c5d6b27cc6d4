#include "capture/frm_rectangle.h"

#include "app/error_report.h"
#include "capture/selection_aids.h"
#include "platform/ui/ui_toolkit.h"
#include "resource_ids.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace pictorn::capture {
namespace {

struct CrosshairChoice {
    app::Colour colour;
    int cursorId;
};
// One crosshair for each colour the preferences offer.
constexpr std::array<CrosshairChoice, 6> kCrosshairs{{
    {app::kBlue, IDCUR_CROSSHAIR_BLUE},
    {app::kCyan, IDCUR_CROSSHAIR_CYAN},
    {app::kMagenta, IDCUR_CROSSHAIR_MAGENTA},
    {app::kGreen, IDCUR_CROSSHAIR_GREEN},
    {app::kRed, IDCUR_CROSSHAIR_RED},
    {app::kYellow, IDCUR_CROSSHAIR_YELLOW},
}};

} // namespace

int crosshairCursorFor(app::Colour rectangleColour) {
    for (const auto& choice : kCrosshairs)
        if (choice.colour == rectangleColour)
            return choice.cursorId;
    return kStandardCrosshair;
}

std::uint32_t outlineColorFor(app::Colour rectangleColour) {
    return rectangleColour.rgb();
}

FrmRectangle::FrmRectangle(ui::UiToolkit& toolkit, platform::ScreenCapture& screen,
                           platform::MessageBoxService& messageBox, ColorSource rectangleColor,
                           DoneHandler onDone)
    : ui::OverlayForm(toolkit, kRectangleFormName), screen_(screen), messageBox_(messageBox),
      rectangleColor_(std::move(rectangleColor)), onDone_(std::move(onDone)) {
    setStyle(ui::FormStyle{
        .templateId = 0, .sizable = false, .showInTaskbar = false, .minMaxBoxes = false});
    Load = [this] {
        Form_Load();
    };
    Unload = [this] {
        Form_Unload();
    };
}

void FrmRectangle::Form_Load() {
    isDragging_ = false;
    pressed_ = false;
    dragStartX_ = dragStartY_ = 0;
    outline_.reset();
    dpi_ = std::max(1, toolkit().screen().dpi);
    cursorId_ = crosshairCursorFor(rectangleColor_ ? rectangleColor_() : app::kRed);
    frozen_ = grabScreen(screen_);
    magnifier_ = showMagnifier_ ? showMagnifier_() : true;
    pointer_.reset();
    loupe_.reset();
    monitors_ = screen_.monitors();
    for (platform::Monitor& m : monitors_) {
        m.area.left -= frozen_.originX;
        m.area.top -= frozen_.originY;
    }
}

void FrmRectangle::Form_Unload() {
    // A frozen 1080p screen is 8 MB; it is not needed once the overlay is gone.
    frozen_ = ScreenGrab{};
    outline_.reset();
    loupe_.reset();
}

float FrmRectangle::toTwips(int pixels) const {
    return static_cast<float>(pixels * 1440.0 / dpi_);
}

int FrmRectangle::toPixels(float twips) const {
    return static_cast<int>(std::lround(twips * static_cast<double>(dpi_) / 1440.0));
}

void FrmRectangle::Form_MouseDown(int, int, float x, float y) {
    dragStartX_ = x;
    dragStartY_ = y;
    outline_.reset();
    isDragging_ = true;
    pressed_ = true;
    movePointer(x, y);
}

void FrmRectangle::Form_MouseMove(int, int, float x, float y) {
    const std::uint32_t color = outlineColorFor(rectangleColor_ ? rectangleColor_() : app::kRed);
    if (isDragging_) {
        const int x0 = toPixels(dragStartX_), y0 = toPixels(dragStartY_);
        const int x1 = toPixels(x), y1 = toPixels(y);
        outline_ =
            Outline{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1), color};
    }
    movePointer(x, y);
}

void FrmRectangle::movePointer(float x, float y) {
    pointer_ = ui::OverlayPoint{toPixels(x), toPixels(y)};
    updateLoupe();
}

void FrmRectangle::updateLoupe() {
    const auto monitor = pointer_ ? monitorAt(monitors_, pointer_->x, pointer_->y) : std::nullopt;
    if (!monitor || frozen_.picture.empty()) {
        loupe_.reset();
        return;
    }
    const LoupePlacement place = placeLoupe(pointer_->x, pointer_->y, *monitor);
    ui::OverlayLoupe loupe;
    if (magnifier_) {
        loupe.area = place.loupe;
        loupe.sourceX = pointer_->x;
        loupe.sourceY = pointer_->y;
        loupe.cells = place.cells;
        loupe.zoom = kLoupeZoom;
    }
    loupe.readoutArea = place.readout;
    std::optional<SelectionSize> size;
    if (isDragging_) {
        const SelectionResult would = measure(toTwips(pointer_->x), toTwips(pointer_->y));
        size = SelectionSize{would.area.width, would.area.height};
    }
    loupe.readout = readoutText(pointer_->x + frozen_.originX, pointer_->y + frozen_.originY, size);
    loupe_ = std::move(loupe);
}

void FrmRectangle::Form_MouseUp(int, int, float x, float y) {
    app::trap(messageBox_, "frmRectangle - Form_MouseUp", [&] {
        // A release whose press happened before the overlay opened has no start point;
        // taking one from the corner of the screen would capture an area nobody chose.
        if (!pressed_)
            return;
        if (std::fabs(dragStartX_ - x) <= kCancelDistance ||
            std::fabs(dragStartY_ - y) <= kCancelDistance) {
            cancel();
            return;
        }
        finish(x, y);
    });
}

void FrmRectangle::Form_KeyDown(int keyCode, int shift) {
    app::trap(messageBox_, "frmRectangle - Form_KeyDown", [&] {
        const KeyAction action = keyAction(keyCode, shift);
        switch (action.kind) {
        case KeyAction::Cancel:
            cancel();
            break;
        case KeyAction::Move: {
            if (!pointer_ || frozen_.picture.empty())
                break;
            // The pointer stays on the screen, as the mouse's does.
            const int x = std::clamp(pointer_->x + action.dx, 0, frozen_.picture.width - 1);
            const int y = std::clamp(pointer_->y + action.dy, 0, frozen_.picture.height - 1);
            Form_MouseMove(isDragging_ ? kLeftButton : 0, shift, toTwips(x), toTwips(y));
            break;
        }
        case KeyAction::PressOrRelease:
            keyPressOrRelease(shift);
            break;
        case KeyAction::ToggleMagnifier:
            magnifier_ = !magnifier_;
            updateLoupe();
            break;
        case KeyAction::None:
            break;
        }
    });
}

// The key is the mouse button at the pointer: the same press and release, so every rule of a
// drag holds for it, and a drag begun with one may end with the other.
void FrmRectangle::keyPressOrRelease(int shift) {
    if (!pointer_)
        return;
    const float x = toTwips(pointer_->x), y = toTwips(pointer_->y);
    if (isDragging_)
        Form_MouseUp(kLeftButton, shift, x, y);
    else
        Form_MouseDown(kLeftButton, shift, x, y);
}

void FrmRectangle::cancel() {
    isDragging_ = false;
    pressed_ = false;
    unload();
    // The owner hid its window for the capture; it brings it back on this news as well.
    if (onDone_)
        onDone_(SelectionResult{});
}

SelectionResult FrmRectangle::measure(float x, float y) const {
    SelectionResult result;
    result.cancelled = false;
    result.left = std::min(dragStartX_, x) + kInset;
    result.top = std::min(dragStartY_, y) + kInset;
    const float right = std::max(dragStartX_, x);
    const float bottom = std::max(dragStartY_, y);
    result.width = right - result.left;
    result.height = bottom - result.top;
    result.area = {toPixels(result.left), toPixels(result.top), toPixels(result.width),
                   toPixels(result.height)};
    return result;
}

void FrmRectangle::finish(float x, float y) {
    SelectionResult result = measure(x, y);
    result.picture = copyFromPersistentImage(result.area);
    result.area.left += frozen_.originX;
    result.area.top += frozen_.originY;
    if (onDone_)
        onDone_(result);
    unload();
    isDragging_ = false;
    pressed_ = false;
}

// The frozen screen with the last outline over it, as the overlay showed it.
imaging::Picture FrmRectangle::copyFromPersistentImage(const platform::PixelRect& area) const {
    imaging::Picture out(std::max(area.width, 0), std::max(area.height, 0));
    const imaging::Picture& src = frozen_.picture;
    for (int y = 0; y < out.height; ++y) {
        const int sy = area.top + y;
        if (sy < 0 || sy >= src.height)
            continue;
        for (int x = 0; x < out.width; ++x) {
            const int sx = area.left + x;
            if (sx >= 0 && sx < src.width)
                out.at(x, y) = src.at(sx, sy);
        }
    }
    if (outline_) {
        const Outline& o = *outline_;
        auto plot = [&](int sx, int sy) {
            const int dx = sx - area.left, dy = sy - area.top;
            if (dx >= 0 && dy >= 0 && dx < out.width && dy < out.height)
                out.at(dx, dy) = o.color;
        };
        for (int sx = o.left; sx <= o.right; ++sx) {
            plot(sx, o.top);
            plot(sx, o.bottom);
        }
        for (int sy = o.top; sy <= o.bottom; ++sy) {
            plot(o.left, sy);
            plot(o.right, sy);
        }
    }
    return out;
}

} // namespace pictorn::capture
