#pragma once
// The rectangle-selection overlay: a borderless window over the whole virtual screen that
// shows a frozen grab of it. The user drags a rectangle; on release the selected part is
// handed to the owner. The mouse and key methods are what the real window calls with
// positions in overlay twips; tests call them the same way.
#include "app/colour.h"
#include "capture/grab.h"
#include "imaging/picture.h"
#include "platform/screen_capture.h"
#include "platform/services.h"
#include "platform/ui/overlay_form.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::capture {

// The overlay's form name: the program registers the overlay window for it.
inline constexpr char kRectangleFormName[] = "frmRectangle";

// Resource ids of the crosshair pointers, one per outline colour; 0 is the system's own.
inline constexpr int kStandardCrosshair = ui::OverlayForm::kSystemCrosshair;
int crosshairCursorFor(app::Colour rectangleColour);

// The outline colour as 0x00RRGGBB.
std::uint32_t outlineColorFor(app::Colour rectangleColour);

struct SelectionResult {
    bool cancelled = true;
    // The selection in overlay twips: the top-left corner 10 twips in from the press or
    // release point, the bottom-right corner on the outer one.
    float left = 0, top = 0, width = 0, height = 0;
    platform::PixelRect area; // the same in screen pixels
    imaging::Picture picture; // what the overlay showed there
};

// The current outline in the frozen picture's pixels, corners included.
using Outline = ui::OverlayOutline;

class FrmRectangle : public ui::OverlayForm {
public:
    // Reads the live outline colour each time it is needed.
    using ColorSource = std::function<app::Colour()>;
    // Whether each opening starts with the magnifier shown.
    using MagnifierSource = std::function<bool()>;
    // Told once per opening: the selection, or that the user cancelled. A failure it raises
    // is reported and leaves the overlay open. It must not destroy this object.
    using DoneHandler = std::function<void(const SelectionResult&)>;

    static constexpr int kEscape = kEscapeKey;
    static constexpr float kCancelDistance = 50; // twips
    static constexpr float kInset = 10;          // twips

    FrmRectangle(platform::Services& services, ColorSource rectangleColor, DoneHandler onDone)
        : FrmRectangle(services.ui, services.screen, services.messageBox, std::move(rectangleColor),
                       std::move(onDone)) {}
    FrmRectangle(ui::UiToolkit& toolkit, platform::ScreenCapture& screen,
                 platform::MessageBoxService& messageBox, ColorSource rectangleColor,
                 DoneHandler onDone);

    // Positions in overlay twips; button and shift as the window reports them.
    void Form_MouseDown(int button, int shift, float x, float y) override;
    void Form_MouseMove(int button, int shift, float x, float y) override;
    void Form_MouseUp(int button, int shift, float x, float y) override;
    void Form_KeyDown(int keyCode, int shift) override;

    // What the window shows and where: the frozen screen, placed at its screen position.
    const imaging::Picture& frozen() const override { return frozen_.picture; }
    int originX() const override { return frozen_.originX; }
    int originY() const override { return frozen_.originY; }
    const std::optional<Outline>& outline() const override { return outline_; }
    int cursorId() const override { return cursorId_; }
    const std::optional<ui::OverlayLoupe>& loupe() const override { return loupe_; }
    std::optional<ui::OverlayPoint> pointer() const override { return pointer_; }

    void setMagnifierSource(MagnifierSource source) { showMagnifier_ = std::move(source); }

    // Overlay twips for a pixel position inside the overlay, at the DPI of this opening.
    float toTwips(int pixels) const override;
    int toPixels(float twips) const;

    // From a press until the release or a cancel.
    bool isDragging() const { return isDragging_; }

private:
    void Form_Load();
    void Form_Unload();
    void finish(float x, float y);
    void movePointer(float x, float y);
    void keyPressOrRelease(int shift);
    void updateLoupe();
    // The selection a release at (x, y) makes, in twips and in the picture's pixels.
    SelectionResult measure(float x, float y) const;
    void cancel();
    imaging::Picture copyFromPersistentImage(const platform::PixelRect& pixels) const;

    platform::ScreenCapture& screen_;
    platform::MessageBoxService& messageBox_;
    ColorSource rectangleColor_;
    DoneHandler onDone_;
    ScreenGrab frozen_;
    std::optional<Outline> outline_;
    MagnifierSource showMagnifier_;
    bool magnifier_ = true;
    std::optional<ui::OverlayPoint> pointer_;
    std::optional<ui::OverlayLoupe> loupe_;
    std::vector<platform::Monitor> monitors_; // in the picture's pixels
    bool isDragging_ = false;
    float dragStartX_ = 0, dragStartY_ = 0; // the press point, overlay twips
    int cursorId_ = kStandardCrosshair;
    int dpi_ = 96;
    bool pressed_ = false; // a press on this overlay since it opened
};

} // namespace pictorn::capture
