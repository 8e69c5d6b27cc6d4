#include "platform/win32/overlay_window.h"

#include "platform/win32/ui_toolkit_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace pictorn::platform::win32 {
namespace {

constexpr wchar_t kOverlayClass[] = L"PictornScreenOverlay";

constexpr int kLeftButton = ui::OverlayForm::kLeftButton;
constexpr int kRightButton = ui::OverlayForm::kRightButton;
constexpr int kMiddleButton = ui::OverlayForm::kMiddleButton;
// Keys reach the form as virtual-key codes.
static_assert(ui::OverlayForm::kEscapeKey == VK_ESCAPE);
// The id under which the overlay holds Esc while it is shown.
constexpr int kEscapeHotkey = 1;

int buttonsOf(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? kLeftButton : 0) | ((keys & MK_RBUTTON) ? kRightButton : 0) |
           ((keys & MK_MBUTTON) ? kMiddleButton : 0);
}

HCURSOR crosshairFor(int cursorId) {
    HCURSOR cursor = nullptr;
    if (cursorId != ui::OverlayForm::kSystemCrosshair)
        cursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(cursorId));
    // A program built without the cursor resources (a test exe) still gets a crosshair.
    return cursor ? cursor : LoadCursorW(nullptr, IDC_CROSS);
}

} // namespace

std::unique_ptr<ui::FormPeer> OverlayWindow::make(ui::Form& form, Win32Toolkit& toolkit) {
    auto* overlay = dynamic_cast<ui::OverlayForm*>(&form);
    if (!overlay)
        return nullptr;
    return std::make_unique<OverlayWindow>(*overlay, toolkit);
}

OverlayWindow::OverlayWindow(ui::OverlayForm& model, Win32Toolkit& toolkit)
    : model_(model), toolkit_(toolkit) {
    Window::registerClass(kOverlayClass, nullptr);
    // No task-bar button (tool window), above everything, no frame; created hidden so the
    // screen can be grabbed before it appears.
    create(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kOverlayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
           nullptr);
    model_.setPeer(this);
}

OverlayWindow::~OverlayWindow() {
    if (canvasDc_ && canvasOld_)
        SelectObject(canvasDc_.get(), canvasOld_);
    // After destroy() the model may be gone already: it is not touched again.
    if (!destroying_ && model_.peer() == this)
        model_.setPeer(nullptr);
}

void OverlayWindow::update(const ui::Form& form, ui::Property what) {
    if (!hwnd() || what != ui::Property::Visible)
        return;
    if (form.visible()) {
        showOverlay();
    } else {
        releaseEscape();
        ShowWindow(hwnd(), SW_HIDE);
    }
}

// The overlay is never modal: whoever shows it goes on and hears of the outcome later.
void OverlayWindow::runModal(ui::Form&, ui::Form*) {
    showOverlay();
}

void OverlayWindow::destroy() {
    if (destroying_)
        return;
    destroying_ = true;
    if (model_.peer() == this)
        model_.setPeer(nullptr);
    releaseEscape();
    if (GetCapture() == hwnd())
        ReleaseCapture();
    if (hwnd())
        DestroyWindow(hwnd());
    // Often called from inside this window's own mouse handler: deleted after the message.
    toolkit_.releasePeer(this);
}

void OverlayWindow::readGeometry(ui::Form& form) {
    ui::Geometry g;
    g.left = static_cast<int>(model_.toTwips(model_.originX()));
    g.top = static_cast<int>(model_.toTwips(model_.originY()));
    g.width = g.clientWidth = static_cast<int>(model_.toTwips(width_));
    g.height = g.clientHeight = static_cast<int>(model_.toTwips(height_));
    form.setGeometryFromPeer(g);
}

void OverlayWindow::showOverlay() {
    buildCanvas();
    shown_.reset();
    syncOutline();
    cursor_ = crosshairFor(model_.cursorId());
    // Esc must cancel even when the keyboard went elsewhere: held system-wide, and only
    // while the overlay is open (taken before the window appears, so no early press is lost).
    if (!escapeHeld_)
        escapeHeld_ = RegisterHotKey(hwnd(), kEscapeHotkey, MOD_NOREPEAT, VK_ESCAPE) != FALSE;
    SetWindowPos(hwnd(), HWND_TOPMOST, model_.originX(), model_.originY(), width_, height_,
                 SWP_SHOWWINDOW);
    // The window manager (Wine's, at least) does not always hand the keyboard to a new
    // pop-up: the overlay asks for it, and takes the mouse at once, so the very first press
    // starts the drag even before the window is active.
    SetForegroundWindow(hwnd());
    SetActiveWindow(hwnd());
    SetFocus(hwnd());
    SetCapture(hwnd());
    SetCursor(cursor_);
}

void OverlayWindow::releaseEscape() {
    if (escapeHeld_ && hwnd())
        UnregisterHotKey(hwnd(), kEscapeHotkey);
    escapeHeld_ = false;
}

void OverlayWindow::buildCanvas() {
    const imaging::Picture& frozen = model_.frozen();
    if (canvasDc_ && canvasOld_)
        SelectObject(canvasDc_.get(), canvasOld_);
    canvasOld_ = nullptr;
    canvas_.reset();
    canvasBits_ = nullptr;
    width_ = frozen.width;
    height_ = frozen.height;
    if (frozen.empty())
        return;
    WindowDc screen = windowDc(nullptr);
    if (!canvasDc_)
        canvasDc_.reset(CreateCompatibleDC(screen.get().dc));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    canvas_.reset(CreateDIBSection(screen.get().dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!canvas_ || !bits || !canvasDc_)
        return;
    canvasBits_ = static_cast<std::uint32_t*>(bits);
    std::memcpy(canvasBits_, frozen.pixels.data(), frozen.pixels.size() * sizeof(std::uint32_t));
    canvasOld_ = SelectObject(canvasDc_.get(), canvas_.get());
}

void OverlayWindow::drawOutline(const ui::OverlayOutline& o, bool erase) {
    if (!canvasBits_)
        return;
    GdiFlush(); // GDI may still be reading the canvas for a paint
    const imaging::Picture& frozen = model_.frozen();
    auto plot = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return;
        const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
        canvasBits_[i] = erase ? frozen.pixels[i] : o.color;
    };
    for (int x = o.left; x <= o.right; ++x) {
        plot(x, o.top);
        plot(x, o.bottom);
    }
    for (int y = o.top; y <= o.bottom; ++y) {
        plot(o.left, y);
        plot(o.right, y);
    }
}

void OverlayWindow::invalidateOutline(const ui::OverlayOutline& o) {
    const RECT edges[] = {{o.left, o.top, o.right + 1, o.top + 1},
                          {o.left, o.bottom, o.right + 1, o.bottom + 1},
                          {o.left, o.top, o.left + 1, o.bottom + 1},
                          {o.right, o.top, o.right + 1, o.bottom + 1}};
    for (const RECT& edge : edges)
        InvalidateRect(hwnd(), &edge, FALSE);
}

void OverlayWindow::syncOutline() {
    const std::optional<ui::OverlayOutline>& wanted = model_.outline();
    if (wanted == shown_)
        return;
    if (shown_) {
        drawOutline(*shown_, true);
        invalidateOutline(*shown_);
    }
    if (wanted) {
        drawOutline(*wanted, false);
        invalidateOutline(*wanted);
    }
    shown_ = wanted;
    UpdateWindow(hwnd());
}

POINT OverlayWindow::clampedPoint(LPARAM lParam) const {
    // While the mouse is captured it reports positions beyond the overlay; the selection
    // stops at the screen's edge, as the user sees it.
    const int x = std::clamp(GET_X_LPARAM(lParam), 0, std::max(width_ - 1, 0));
    const int y = std::clamp(GET_Y_LPARAM(lParam), 0, std::max(height_ - 1, 0));
    return {x, y};
}

int OverlayWindow::shiftState() {
    return ((GetKeyState(VK_SHIFT) < 0) ? ui::OverlayForm::kShiftKey : 0) |
           ((GetKeyState(VK_CONTROL) < 0) ? ui::OverlayForm::kCtrlKey : 0) |
           ((GetKeyState(VK_MENU) < 0) ? ui::OverlayForm::kAltKey : 0);
}

LRESULT OverlayWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        return onPaint();
    case WM_ERASEBKGND:
        return 1; // the paint covers everything; erasing first would flash
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && cursor_) {
            SetCursor(cursor_);
            return TRUE;
        }
        return defaultHandling(message, wParam, lParam);
    case WM_LBUTTONDOWN:
        return onButtonDown(kLeftButton, lParam);
    case WM_RBUTTONDOWN:
        return onButtonDown(kRightButton, lParam);
    case WM_MBUTTONDOWN:
        return onButtonDown(kMiddleButton, lParam);
    case WM_MOUSEMOVE:
        return onMouseMove(wParam, lParam);
    case WM_LBUTTONUP:
        return onButtonUp(kLeftButton, lParam);
    case WM_RBUTTONUP:
        return onButtonUp(kRightButton, lParam);
    case WM_MBUTTONUP:
        return onButtonUp(kMiddleButton, lParam);
    case WM_KEYDOWN:
        return onKeyDown(wParam);
    case WM_HOTKEY:
        if (wParam == kEscapeHotkey)
            return onKeyDown(VK_ESCAPE);
        return 0;
    case WM_CLOSE:
        // Alt+F4 and the like: the same as Esc, so the owner hears of it.
        model_.Form_KeyDown(ui::OverlayForm::kEscapeKey, 0);
        return 0;
    default:
        return defaultHandling(message, wParam, lParam);
    }
}

LRESULT OverlayWindow::onPaint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd(), &ps);
    if (canvas_) {
        const RECT& r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, canvasDc_.get(), r.left,
               r.top, SRCCOPY);
    } else {
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    EndPaint(hwnd(), &ps);
    return 0;
}

LRESULT OverlayWindow::onButtonDown(int button, LPARAM lParam) {
    const POINT p = clampedPoint(lParam);
    SetCapture(hwnd());
    model_.Form_MouseDown(button, shiftState(), model_.toTwips(p.x), model_.toTwips(p.y));
    syncOutline();
    return 0;
}

LRESULT OverlayWindow::onMouseMove(WPARAM wParam, LPARAM lParam) {
    const POINT p = clampedPoint(lParam);
    model_.Form_MouseMove(buttonsOf(wParam), shiftState(), model_.toTwips(p.x),
                          model_.toTwips(p.y));
    syncOutline();
    return 0;
}

LRESULT OverlayWindow::onButtonUp(int button, LPARAM lParam) {
    const POINT p = clampedPoint(lParam);
    if (GetCapture() == hwnd())
        ReleaseCapture();
    model_.Form_MouseUp(button, shiftState(), model_.toTwips(p.x), model_.toTwips(p.y));
    // The overlay may be gone now (selection made or cancelled).
    if (!destroying_)
        syncOutline();
    return 0;
}

LRESULT OverlayWindow::onKeyDown(WPARAM key) {
    model_.Form_KeyDown(static_cast<int>(key), shiftState());
    return 0;
}

} // namespace pictorn::platform::win32
