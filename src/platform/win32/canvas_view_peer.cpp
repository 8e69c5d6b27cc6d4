#include "platform/win32/canvas_view_peer.h"

#include "platform/ui/fitted_picture.h"
#include "platform/ui/overlay_form.h"
#include "platform/win32/text.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace pictorn::platform::win32 {

namespace {

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

// The shown pixels of the changed parts, worked out now while the rest stays as it was.
void CanvasViewPeer::refit() {
    const auto& picture = canvas_.picture();
    const SIZE size = pictureSize();
    if (!fittedWhole_ || !picture || fitted_.width != size.cx || fitted_.height != size.cy) {
        fittedWhole_ = false;
        return;
    }
    const std::uint64_t state = canvas_.state();
    if (state != 0 && state == fittedState_) {
        return;
    }
    if (refitWhole(state)) {
        return;
    }
    for (const ui::CanvasView::Area& a : canvas_.repainted()) {
        const RECT part = shownPart(a);
        fitKnown(*picture, fitted_, part);
    }
    fittedState_ = state;
}

RECT CanvasViewPeer::shownPart(const ui::CanvasView::Area& a) const {
    const auto& picture = *canvas_.picture();
    int left = 0, right = 0, top = 0, bottom = 0;
    ui::shownSpan(picture.width, fitted_.width, a.left, a.right, left, right);
    ui::shownSpan(picture.height, fitted_.height, a.top, a.bottom, top, bottom);
    return {left, top, right, bottom};
}

// The shown pixels of `part` worked out anew, using what the change says of its pixels.
void CanvasViewPeer::fitKnown(const imaging::Picture& picture, imaging::Picture& shown,
                              const RECT& part) const {
    const ui::CanvasView::Area& b = canvas_.bands();
    if (canvas_.bandRows() > 0 && b.right > b.left && b.bottom > b.top) {
        ui::fitPart(picture, shown, part.left, part.top, part.right, part.bottom,
                    ui::RepeatedRows{b.left, b.top, b.right, b.bottom, canvas_.bandRows()});
        return;
    }
    const ui::CanvasView::Area& s = canvas_.solid();
    ui::fitPart(picture, shown, part.left, part.top, part.right, part.bottom,
                ui::SolidPart{s.left, s.top, s.right, s.bottom, canvas_.solidColour()});
}

// A change of most of the picture is shown from memory of its own, keeping what was shown
// before it: undone (the state before it again) that is shown back at once.
bool CanvasViewPeer::refitWhole(std::uint64_t state) {
    if (state == 0) {
        return false;
    }
    if (state == otherState_ && other_.width == fitted_.width && other_.height == fitted_.height) {
        std::swap(fitted_, other_);
        std::swap(fittedState_, otherState_);
        return true;
    }
    const auto& picture = *canvas_.picture();
    long long changed = 0;
    RECT box{fitted_.width, fitted_.height, 0, 0};
    for (const ui::CanvasView::Area& a : canvas_.repainted()) {
        changed +=
            static_cast<long long>(std::max(0, a.right - a.left)) * std::max(0, a.bottom - a.top);
        const RECT part = shownPart(a);
        box = {std::min(box.left, part.left), std::min(box.top, part.top),
               std::max(box.right, part.right), std::max(box.bottom, part.bottom)};
    }
    if (changed * 2 < static_cast<long long>(picture.width) * picture.height) {
        return false;
    }
    // Outside the changed box the shown pixels are as they were.
    other_ = shownMemory({fitted_.width, fitted_.height}, std::move(other_.pixels));
    auto keep = [&](LONG left, LONG top, LONG right, LONG bottom) {
        for (LONG y = top; y < bottom; ++y) {
            std::copy(fitted_.row(y) + left, fitted_.row(y) + right, other_.row(y) + left);
        }
    };
    keep(0, 0, other_.width, box.top);
    keep(0, box.top, box.left, box.bottom);
    keep(box.right, box.top, other_.width, box.bottom);
    keep(0, box.bottom, other_.width, other_.height);
    fitKnown(picture, other_, box);
    std::swap(fitted_, other_);
    otherState_ = fittedState_;
    fittedState_ = state;
    return true;
}

// With room for any shown picture the window can hold: a crop whose picture is shown a little
// larger than the one before touches no fresh memory in its paint (under Wine 16-26 ms for a
// 4K picture's shown pixels).
imaging::Picture CanvasViewPeer::shownMemory(SIZE size, std::vector<std::uint32_t> storage) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    const auto area = [](LONG w, LONG h) {
        return static_cast<std::size_t>(std::max(0L, w)) *
               static_cast<std::size_t>(std::max(0L, h));
    };
    const std::size_t room = std::max(area(size.cx, size.cy), area(client.right, client.bottom));
    if (storage.capacity() < room) {
        storage = std::vector<std::uint32_t>(room);
    }
    return imaging::Picture::reusing(size.cx, size.cy, std::move(storage));
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
    const SIZE size = pictureSize();
    if (fitted_.width != size.cx || fitted_.height != size.cy || !fittedWhole_) {
        // What was kept for the picture shown before a crop serves its undo.
        const std::uint64_t state = canvas_.state();
        auto shows = [&](const imaging::Picture& shown, std::uint64_t of) {
            return state != 0 && of == state && shown.width == size.cx && shown.height == size.cy;
        };
        if (!shows(fitted_, fittedState_) && shows(other_, otherState_)) {
            std::swap(fitted_, other_);
            std::swap(fittedState_, otherState_);
        }
        if (!shows(fitted_, fittedState_)) {
            fitted_ = shownMemory(size, std::move(fitted_.pixels));
            ui::fitPart(*canvas_.picture(), fitted_, 0, 0, size.cx, size.cy);
            fittedState_ = state;
        }
        fittedWhole_ = true;
    }
    paintPixels(dc, area, fitted_);
}

void CanvasViewPeer::updateOwn(ui::Property what) {
    if (what == ui::Property::Range) {
        fittedWhole_ = false;
        fittedState_ = 0;
    } else if (what == ui::Property::Value) {
        // Another picture (a crop, or its undo): what was shown is kept under its state.
        fittedWhole_ = false;
        std::swap(fitted_, other_);
        std::swap(fittedState_, otherState_);
    }
    if (what == ui::Property::Range) {
        scroll_ = {0, 0};
        layoutScrollBars();
    } else if (what == ui::Property::Content) {
        const double s = scale();
        if (s != 1.0) {
            refit();
        }
        for (const ui::CanvasView::Area& a : canvas_.repainted()) {
            // One pixel more all round: a scaled picture spreads a pixel over its neighbours.
            RECT r{static_cast<LONG>(std::floor(a.left * s)) - scroll_.x - 1,
                   static_cast<LONG>(std::floor(a.top * s)) - scroll_.y - 1,
                   static_cast<LONG>(std::ceil(a.right * s)) - scroll_.x + 1,
                   static_cast<LONG>(std::ceil(a.bottom * s)) - scroll_.y + 1};
            InvalidateRect(hwnd_, &r, FALSE);
        }
    } else {
        PictureViewPeer::updateOwn(what);
    }
}

} // namespace pictorn::platform::win32
