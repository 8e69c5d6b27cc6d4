#include "platform/win32/canvas_view_peer.h"

#include "platform/ui/overlay_form.h"
#include "platform/win32/handle.h"
#include "platform/win32/text.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace pictorn::platform::win32 {

namespace {

constexpr UINT_PTR kMemoryTimer = 1;
constexpr UINT kMemoryDelayMs = 50;

int shiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? ui::OverlayForm::kShiftKey : 0) |
           (GetKeyState(VK_CONTROL) < 0 ? ui::OverlayForm::kCtrlKey : 0) |
           (GetKeyState(VK_MENU) < 0 ? ui::OverlayForm::kAltKey : 0);
}

} // namespace

CanvasViewPeer::CanvasViewPeer(ui::CanvasView& model, HWND child, PeerHost& form)
    : PictureViewPeer(model, child, form), canvas_(model) {
    layoutScrollBars();
}

double CanvasViewPeer::scale() const {
    const auto& picture = canvas_.picture();
    if (!canvas_.fit() || !picture || picture->empty()) {
        return 1.0;
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    return std::clamp(std::min(static_cast<double>(client.right) / picture->width,
                               static_cast<double>(client.bottom) / picture->height),
                      1e-3, 1.0);
}

SIZE CanvasViewPeer::pictureSize() const {
    const auto& picture = canvas_.picture();
    if (!picture || picture->empty()) {
        return {0, 0};
    }
    const double s = scale();
    return {std::max(1L, std::lround(picture->width * s)),
            std::max(1L, std::lround(picture->height * s))};
}

LRESULT CanvasViewPeer::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorW(nullptr, IDC_CROSS));
            return TRUE;
        }
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_SETFOCUS:
        focusGained();
        return 0;
    case WM_KEYDOWN:
        ui::fire(canvas_.KeyDown, static_cast<int>(wParam), shiftState());
        return 0;
    case WM_CHAR: {
        const auto unit = static_cast<wchar_t>(wParam);
        if (unit >= 0xD800 && unit < 0xDC00) {
            highSurrogate_ = unit;
            return 0;
        }
        std::wstring typed;
        if (unit >= 0xDC00 && unit < 0xE000) {
            if (!highSurrogate_) {
                return 0;
            }
            typed += highSurrogate_;
        }
        typed += unit;
        highSurrogate_ = 0;
        ui::fire(canvas_.KeyPress, toUtf8(typed));
        return 0;
    }
    case WM_MOUSEMOVE:
        // The release happened where no message of it reached this window.
        if (pressed_ && !(wParam & MK_LBUTTON)) {
            cancelDrag();
        }
        mouse(message, lParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        mouse(message, lParam);
        return 0;
    case WM_TIMER:
        if (wParam == kMemoryTimer) {
            KillTimer(hwnd_, kMemoryTimer);
            fitted_.prepareMemory(clientSize());
            return 0;
        }
        break;
    case WM_CANCELMODE:
        cancelDrag();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_) {
            cancelDrag();
        }
        return 0;
    default:
        break;
    }
    return PictureViewPeer::handle(message, wParam, lParam);
}

void CanvasViewPeer::mouse(UINT message, LPARAM lParam) {
    const double s = scale();
    const int x = static_cast<int>(std::floor((GET_X_LPARAM(lParam) + scroll_.x) / s));
    const int y = static_cast<int>(std::floor((GET_Y_LPARAM(lParam) + scroll_.y) / s));
    const int shift = shiftState();
    if (message == WM_LBUTTONDOWN) {
        SetFocus(hwnd_);
        SetCapture(hwnd_);
        pressed_ = true;
        ui::fire(canvas_.MouseDown, ui::OverlayForm::kLeftButton, shift, x, y);
    } else if (message == WM_LBUTTONUP) {
        // Before the release: giving the capture back is no lost drag.
        pressed_ = false;
        if (GetCapture() == hwnd_) {
            ReleaseCapture();
        }
        ui::fire(canvas_.MouseUp, ui::OverlayForm::kLeftButton, shift, x, y);
    } else {
        const int buttons = GetKeyState(VK_LBUTTON) < 0 ? ui::OverlayForm::kLeftButton : 0;
        ui::fire(canvas_.MouseMove, buttons, shift, x, y);
    }
}

// The release will go to whichever window has the pointer now, never here.
void CanvasViewPeer::cancelDrag() {
    if (!pressed_) {
        return;
    }
    pressed_ = false;
    if (GetCapture() == hwnd_) {
        ReleaseCapture();
    }
    ui::fire(canvas_.DragCancelled);
}

void CanvasViewPeer::paint(HDC dc, const RECT& area) {
    if (scale() == 1.0) {
        PictureViewPeer::paint(dc, area);
        return;
    }
    fitted_.paint(canvas_, shownSize(), clientSize(), area.top, area.bottom,
                  [&](const imaging::Picture& shown, int from, int to) {
                      paintPixels(dc, RECT{area.left, from, area.right, to}, shown);
                  });
    if (fitted_.needsMemory()) {
        // Soon after, not in this paint: the first change of the whole picture then finds its
        // memory ready (making 32 MB for a 4K picture's shown pixels took 10-20 ms under Wine).
        SetTimer(hwnd_, kMemoryTimer, kMemoryDelayMs, nullptr);
    }
}

ui::FittedView::Size CanvasViewPeer::shownSize() const {
    const SIZE size = pictureSize();
    return {size.cx, size.cy};
}

ui::FittedView::Size CanvasViewPeer::clientSize() const {
    RECT client;
    GetClientRect(hwnd_, &client);
    return {client.right, client.bottom};
}

void CanvasViewPeer::updateOwn(ui::Property what) {
    if (what == ui::Property::Range) {
        fitted_.forget();
        scroll_ = {0, 0};
        layoutScrollBars();
    } else if (what == ui::Property::Value) {
        fitted_.anotherPicture();
        PictureViewPeer::updateOwn(what);
    } else if (what == ui::Property::Content) {
        const double s = scale();
        if (s != 1.0) {
            fitted_.changed(canvas_, shownSize(), clientSize());
        }
        // One region, invalidated once: under Wine each invalidation is a call to the server,
        // and an arrow across a 4K picture changes some seventy bands.
        Region changed{CreateRectRgn(0, 0, 0, 0)};
        for (const ui::CanvasView::Area& a : canvas_.repainted()) {
            // One pixel more all round: a scaled picture spreads a pixel over its neighbours.
            const Region part{
                CreateRectRgn(static_cast<int>(std::floor(a.left * s)) - scroll_.x - 1,
                              static_cast<int>(std::floor(a.top * s)) - scroll_.y - 1,
                              static_cast<int>(std::ceil(a.right * s)) - scroll_.x + 1,
                              static_cast<int>(std::ceil(a.bottom * s)) - scroll_.y + 1)};
            CombineRgn(changed.get(), changed.get(), part.get(), RGN_OR);
        }
        InvalidateRgn(hwnd_, changed.get(), FALSE);
    } else {
        PictureViewPeer::updateOwn(what);
    }
}

} // namespace pictorn::platform::win32
