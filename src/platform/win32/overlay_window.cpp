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
static_assert(ui::OverlayForm::kReturnKey == VK_RETURN && ui::OverlayForm::kSpaceKey == VK_SPACE);
static_assert(ui::OverlayForm::kLeftKey == VK_LEFT && ui::OverlayForm::kUpKey == VK_UP &&
              ui::OverlayForm::kRightKey == VK_RIGHT && ui::OverlayForm::kDownKey == VK_DOWN);
// The id under which the overlay holds Esc while it is shown.
constexpr int kEscapeHotkey = 1;
constexpr UINT kRestoreMessage = WM_APP + 1;

int buttonsOf(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? kLeftButton : 0) | ((keys & MK_RBUTTON) ? kRightButton : 0) |
           ((keys & MK_MBUTTON) ? kMiddleButton : 0);
}

// Under Wine only the window manager hands a new window the X keyboard focus, and openbox
// refuses it to a pop-up that appears while no window of ours has it (the main window has just
// hidden): SetForegroundWindow then changes Wine's own idea of the focus, not X's, and keys go
// nowhere. A window restored from minimized is always given the focus. Windows gives it with
// SetForegroundWindow alone, and minimizing there would animate.
// The window manager may carry the minimizing out only after the restore; Wine then
// minimizes the window after all, but only one with a minimize box (invisible without a
// caption), and it comes back from there (see WM_SIZE).
bool runsUnderWine() {
    static const bool wine = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version");
    }();
    return wine;
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
    create(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kOverlayClass, L"",
           WS_POPUP | (runsUnderWine() ? WS_MINIMIZEBOX : 0), 0, 0, 0, 0, nullptr, nullptr);
    model_.setPeer(this);
}

OverlayWindow::~OverlayWindow() {
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
    shownLoupe_.reset();
    syncOutline();
    cursor_ = crosshairFor(model_.cursorId());
    // Esc must cancel even when the keyboard went elsewhere: held system-wide, and only
    // while the overlay is open (taken before the window appears, so no early press is lost).
    if (!escapeHeld_)
        escapeHeld_ = RegisterHotKey(hwnd(), kEscapeHotkey, MOD_NOREPEAT, VK_ESCAPE) != FALSE;
    SetWindowPos(hwnd(), HWND_TOPMOST, model_.originX(), model_.originY(), width_, height_,
                 SWP_SHOWWINDOW);
    if (runsUnderWine()) {
        minimizing_ = true;
        ShowWindow(hwnd(), SW_MINIMIZE);
        minimizing_ = false;
        ShowWindow(hwnd(), SW_RESTORE);
    }
    // The window manager (Wine's, at least) does not always hand the keyboard to a new
    // pop-up: the overlay asks for it, and takes the mouse at once, so the very first press
    // starts the drag even before the window is active.
    SetForegroundWindow(hwnd());
    SetActiveWindow(hwnd());
    SetFocus(hwnd());
    SetCapture(hwnd());
    SetCursor(cursor_);
    takePointer();
}

// The magnifier starts where the pointer already is, before the mouse moves at all.
void OverlayWindow::takePointer() {
    POINT p{};
    if (!GetCursorPos(&p))
        return;
    const int x = std::clamp<int>(p.x - model_.originX(), 0, std::max(width_ - 1, 0));
    const int y = std::clamp<int>(p.y - model_.originY(), 0, std::max(height_ - 1, 0));
    model_.Form_MouseMove(0, shiftState(), model_.toTwips(x), model_.toTwips(y));
    syncView();
}

void OverlayWindow::releaseEscape() {
    if (escapeHeld_ && hwnd())
        UnregisterHotKey(hwnd(), kEscapeHotkey);
    escapeHeld_ = false;
}

void OverlayWindow::buildCanvas() {
    const imaging::Picture& frozen = model_.frozen();
    canvas_.release();
    width_ = frozen.width;
    height_ = frozen.height;
    if (!frozen.empty() && canvas_.resize(width_, height_))
        std::memcpy(canvas_.bits(), frozen.pixels.data(),
                    frozen.pixels.size() * sizeof(std::uint32_t));
}

void OverlayWindow::drawOutline(const ui::OverlayOutline& o, bool erase) {
    std::uint32_t* canvasBits = canvas_.bits();
    if (!canvasBits)
        return;
    GdiFlush(); // GDI may still be reading the canvas for a paint
    const imaging::Picture& frozen = model_.frozen();
    auto plot = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return;
        const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
        canvasBits[i] = erase ? frozen.pixels[i] : o.color;
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

bool OverlayWindow::syncOutline() {
    const std::optional<ui::OverlayOutline>& wanted = model_.outline();
    if (wanted == shown_)
        return false;
    if (shown_) {
        drawOutline(*shown_, true);
        invalidateOutline(*shown_);
    }
    if (wanted) {
        drawOutline(*wanted, false);
        invalidateOutline(*wanted);
    }
    shown_ = wanted;
    return true;
}

void OverlayWindow::syncView() {
    // The magnifier shows the canvas, outline included: a new outline redraws it as well.
    const bool outlineChanged = syncOutline();
    const std::optional<ui::OverlayLoupe>& wanted = model_.loupe();
    if (outlineChanged || wanted != shownLoupe_) {
        if (shownLoupe_)
            InvalidateRect(hwnd(), &loupe_.area(), FALSE);
        if (wanted) {
            loupe_.render(*wanted, canvas_.bits(), width_, height_);
            InvalidateRect(hwnd(), &loupe_.area(), FALSE);
        }
        shownLoupe_ = wanted;
    }
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
        return onKeyDown(wParam, lParam);
    case WM_HOTKEY:
        if (wParam == kEscapeHotkey)
            return onKeyDown(VK_ESCAPE, 0);
        return 0;
    case WM_SIZE:
        // Minimized by the window manager after it was restored (see runsUnderWine): back.
        if (wParam == SIZE_MINIMIZED && !minimizing_ && !destroying_)
            PostMessageW(hwnd(), kRestoreMessage, 0, 0);
        return defaultHandling(message, wParam, lParam);
    case kRestoreMessage:
        if (!destroying_ && IsWindowVisible(hwnd()) && IsIconic(hwnd())) {
            ShowWindow(hwnd(), SW_RESTORE);
            SetForegroundWindow(hwnd());
            SetFocus(hwnd());
            SetCapture(hwnd());
        }
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
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, canvas_.dc(), r.left, r.top,
               SRCCOPY);
        if (shownLoupe_)
            loupe_.paint(dc);
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
    syncView();
    return 0;
}

LRESULT OverlayWindow::onMouseMove(WPARAM wParam, LPARAM lParam) {
    const POINT p = clampedPoint(lParam);
    model_.Form_MouseMove(buttonsOf(wParam), shiftState(), model_.toTwips(p.x),
                          model_.toTwips(p.y));
    syncView();
    return 0;
}

LRESULT OverlayWindow::onButtonUp(int button, LPARAM lParam) {
    const POINT p = clampedPoint(lParam);
    if (GetCapture() == hwnd())
        ReleaseCapture();
    model_.Form_MouseUp(button, shiftState(), model_.toTwips(p.x), model_.toTwips(p.y));
    // The overlay may be gone now (selection made or cancelled).
    if (!destroying_)
        syncView();
    return 0;
}

LRESULT OverlayWindow::onKeyDown(WPARAM key, LPARAM flags) {
    // Held down, arrows go on moving; a held Enter must not press and release by itself.
    const bool repeated = (flags & (1 << 30)) != 0;
    if (repeated && (key < VK_LEFT || key > VK_DOWN))
        return 0;
    const std::optional<ui::OverlayPoint> before = model_.pointer();
    model_.Form_KeyDown(static_cast<int>(key), shiftState());
    if (destroying_) // the key ended the selection
        return 0;
    syncView();
    // Keys move the pointer in the model; the real one follows, so the mouse carries on
    // from there.
    const std::optional<ui::OverlayPoint> after = model_.pointer();
    if (after && after != before)
        SetCursorPos(model_.originX() + after->x, model_.originY() + after->y);
    return 0;
}

} // namespace pictorn::platform::win32
