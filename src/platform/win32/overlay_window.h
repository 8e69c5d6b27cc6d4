#pragma once
// The real window of an overlay form: a borderless topmost pop-up over the whole virtual
// screen that shows the form's still picture with its outline, takes the mouse while the
// user drags, and shows the form's crosshair. The program registers it for its overlay
// forms with Win32Toolkit::registerPeerFactory(name, &OverlayWindow::make).
#include "platform/ui/overlay_form.h"
#include "platform/win32/dib_canvas.h"
#include "platform/win32/handle.h"
#include "platform/win32/loupe_painter.h"
#include "platform/win32/ui_window.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace pictorn::platform::win32 {

class Win32Toolkit;

class OverlayWindow : public Window, public ui::FormPeer {
public:
    OverlayWindow(ui::OverlayForm& model, Win32Toolkit& toolkit);
    ~OverlayWindow() override;

    // FormPeer
    void update(const ui::Form& form, ui::Property what) override;
    void runModal(ui::Form& form, ui::Form* owner) override;
    void destroy() override;
    void readGeometry(ui::Form& form) override;

    // The peer factory: an overlay window for an overlay form, nothing for any other form.
    static std::unique_ptr<ui::FormPeer> make(ui::Form& form, Win32Toolkit& toolkit);

protected:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void showOverlay();
    void releaseEscape();
    void buildCanvas();
    // Brings the canvas and the screen in line with the model's outline; true on a change.
    bool syncOutline();
    void drawOutline(const ui::OverlayOutline& outline, bool erase);
    void invalidateOutline(const ui::OverlayOutline& outline);
    // Brings the outline and the magnifier on the screen in line with the model's.
    void syncView();
    void takePointer();
    POINT clampedPoint(LPARAM lParam) const;
    static int shiftState();

    LRESULT onPaint();
    LRESULT onButtonDown(int button, LPARAM lParam);
    LRESULT onMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT onButtonUp(int button, LPARAM lParam);
    LRESULT onKeyDown(WPARAM key, LPARAM flags);

    ui::OverlayForm& model_;
    Win32Toolkit& toolkit_;
    // The frozen screen with the current outline drawn in: what the window shows. The
    // outline changes only a few thin strips of it, so a drag repaints only those.
    DibCanvas canvas_;
    int width_ = 0, height_ = 0;
    bool escapeHeld_ = false;
    bool minimizing_ = false;
    std::optional<ui::OverlayOutline> shown_;
    // Drawn over the canvas, never into it: a move repaints only where it was and is.
    LoupePainter loupe_;
    std::optional<ui::OverlayLoupe> shownLoupe_;
    HCURSOR cursor_ = nullptr;
    bool destroying_ = false;
};

} // namespace pictorn::platform::win32
