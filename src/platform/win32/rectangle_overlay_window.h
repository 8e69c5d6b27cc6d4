#pragma once
// The real window of the rectangle overlay: a borderless topmost pop-up over the whole
// virtual screen that shows the frozen screen with the selection outline, takes the mouse
// while the user drags, and shows the crosshair of the outline colour.
#include "capture/frm_rectangle.h"
#include "platform/win32/handle.h"
#include "platform/win32/ui_window.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace pictorn::platform::win32 {

class Win32Toolkit;

class RectangleOverlayWindow : public Window, public ui::FormPeer {
public:
    RectangleOverlayWindow(capture::FrmRectangle& model, Win32Toolkit& toolkit);
    ~RectangleOverlayWindow() override;

    // FormPeer
    void update(const ui::Form& form, ui::Property what) override;
    void runModal(ui::Form& form, ui::Form* owner) override;
    void destroy() override;
    void readGeometry(ui::Form& form) override;

    // The factory the toolkit calls for a form named "frmRectangle".
    static std::unique_ptr<ui::FormPeer> make(ui::Form& form, Win32Toolkit& toolkit);

protected:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void showOverlay();
    void releaseEscape();
    void buildCanvas();
    // Brings the canvas and the screen in line with the model's outline.
    void syncOutline();
    void drawOutline(const capture::Outline& outline, bool erase);
    void invalidateOutline(const capture::Outline& outline);
    POINT clampedPoint(LPARAM lParam) const;
    static int shiftState();

    LRESULT onPaint();
    LRESULT onButtonDown(int button, LPARAM lParam);
    LRESULT onMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT onButtonUp(int button, LPARAM lParam);
    LRESULT onKeyDown(WPARAM key);

    capture::FrmRectangle& model_;
    Win32Toolkit& toolkit_;
    // The frozen screen with the current outline drawn in: what the window shows. The
    // outline changes only a few thin strips of it, so a drag repaints only those.
    CreatedDc canvasDc_;
    Bitmap canvas_;
    HGDIOBJ canvasOld_ = nullptr;
    std::uint32_t* canvasBits_ = nullptr;
    int width_ = 0, height_ = 0;
    bool escapeHeld_ = false;
    std::optional<capture::Outline> shown_;
    HCURSOR cursor_ = nullptr;
    bool destroying_ = false;
};

} // namespace pictorn::platform::win32
