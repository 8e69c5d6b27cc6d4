#include "platform/win32/picture_view_peer.h"

#include "platform/win32/handle.h"
#include "platform/win32/picture_dib.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pictorn::platform::win32 {

namespace {

constexpr wchar_t kClassName[] = L"PictornPictureView";
constexpr int kLineStep = 20; // pixels per scroll-bar arrow click

LRESULT CALLBACK plainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Beyond this many parts one paint of their box is cheaper than the calls.
constexpr std::size_t kMostPaintedParts = 512;

int clampScroll(int position, int content, int view) {
    return std::clamp(position, 0, std::max(0, content - view));
}

std::vector<RECT> regionRects(HRGN region) {
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size == 0) {
        return {};
    }
    std::vector<std::uint8_t> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (!GetRegionData(region, size, data)) {
        return {};
    }
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    return {rects, rects + data->rdh.nCount};
}

} // namespace

const wchar_t* pictureViewClass() {
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &wc)) {
        wc.cbSize = sizeof wc;
        // No CS_HREDRAW/CS_VREDRAW and no background brush: only uncovered parts are
        // painted, each exactly once, which is what keeps the picture from flickering.
        wc.lpfnWndProc = &PictureViewPeer::windowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        RegisterClassExW(&wc);
    }
    return kClassName;
}

PictureViewPeer::PictureViewPeer(ui::PictureView& model, HWND child, PeerHost& form)
    : ChildPeer(model, child, form), view_(model) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    layoutScrollBars();
}

PictureViewPeer::~PictureViewPeer() {
    if (IsWindow(hwnd_) &&
        GetWindowLongPtrW(hwnd_, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
}

LRESULT CALLBACK PictureViewPeer::windowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    auto* self = reinterpret_cast<PictureViewPeer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) {
        return plainProc(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

namespace {

// Before a peer is bound (or after it is gone) the window is an empty grey area.
LRESULT CALLBACK plainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_APPWORKSPACE));
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

LRESULT PictureViewPeer::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers every pixel
    case WM_PAINT: {
        // Each part of the update region on its own: GDI stretches and copies the whole
        // box around what is clipped, so two thin strips far apart would cost the area
        // between them.
        Region update{CreateRectRgn(0, 0, 0, 0)};
        const bool parts = update && GetUpdateRgn(hwnd_, update.get(), FALSE) == COMPLEXREGION;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        std::vector<RECT> areas;
        if (parts) {
            areas = regionRects(update.get());
        }
        if (areas.empty() || areas.size() > kMostPaintedParts) {
            areas = {ps.rcPaint};
        }
        for (const RECT& area : areas) {
            paint(dc, area);
        }
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(hwnd_, &client);
        paint(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_SIZE:
        layoutScrollBars();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_HSCROLL:
        onScroll(SB_HORZ, LOWORD(wParam));
        return 0;
    case WM_VSCROLL:
        onScroll(SB_VERT, LOWORD(wParam));
        return 0;
    case WM_MOUSEWHEEL:
        // Shift turns the wheel sideways, as in most viewers.
        onWheel((GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) ? SB_HORZ : SB_VERT,
                GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    case WM_MOUSEHWHEEL:
        onWheel(SB_HORZ, -GET_WHEEL_DELTA_WPARAM(wParam));
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

SIZE PictureViewPeer::pictureSize() const {
    const auto& picture = view_.picture();
    if (!picture || picture->empty()) {
        return {0, 0};
    }
    return {picture->width, picture->height};
}

void PictureViewPeer::paint(HDC dc, const RECT& area) {
    if (view_.picture()) {
        paintPixels(dc, area, *view_.picture());
    } else {
        paintPixels(dc, area, imaging::Picture{});
    }
}

void PictureViewPeer::paintPixels(HDC dc, const RECT& area, const imaging::Picture& picture) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const SIZE size{picture.width, picture.height};
    const int shownRight = std::min<LONG>(client.right, size.cx - scroll_.x);
    const int shownBottom = std::min<LONG>(client.bottom, size.cy - scroll_.y);
    if (!picture.empty() && shownRight > 0 && shownBottom > 0) {
        // Only the rows and columns inside the update area are copied. The rows are handed
        // over as a DIB of their own: GDI implementations disagree on whether a source
        // row offset into a top-down DIB counts from its top or its bottom.
        const int left = std::max<LONG>(area.left, 0);
        const int top = std::max<LONG>(area.top, 0);
        const int right = std::min<LONG>(area.right, shownRight);
        const int bottom = std::min<LONG>(area.bottom, shownBottom);
        if (right > left && bottom > top) {
            const int rows = bottom - top;
            BITMAPINFO info = topDownInfo(picture);
            info.bmiHeader.biHeight = -rows;
            StretchDIBits(dc, left, top, right - left, rows, left + scroll_.x, 0, right - left,
                          rows, picture.row(top + scroll_.y), &info, DIB_RGB_COLORS, SRCCOPY);
        }
    }
    // The grey around the picture: right of it, then below it, never over it.
    HBRUSH grey = GetSysColorBrush(COLOR_APPWORKSPACE);
    const int pictureRight = std::max(0, shownRight);
    const int pictureBottom = std::max(0, shownBottom);
    RECT right{pictureRight, area.top, area.right, area.bottom};
    if (right.left < area.left) {
        right.left = area.left;
    }
    if (right.right > right.left) {
        FillRect(dc, &right, grey);
    }
    RECT below{area.left, pictureBottom, std::min<LONG>(area.right, pictureRight), area.bottom};
    if (below.top < area.top) {
        below.top = area.top;
    }
    if (below.right > below.left && below.bottom > below.top) {
        FillRect(dc, &below, grey);
    }
}

void PictureViewPeer::layoutScrollBars() {
    // Showing a bar shrinks the client area, which sends WM_SIZE back here.
    if (layingOut_) {
        return;
    }
    layingOut_ = true;
    // A bar that comes or goes changes the frame: not drawn meanwhile, which under Wine cost
    // up to 19 ms for a 4K picture's bars. Turning drawing back on shows a hidden window, so a
    // hidden one is left as it is.
    const bool shown = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) {
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    }
    const SIZE size = pictureSize();
    RECT laidOut{};
    for (int pass = 0; pass < 2; ++pass) {
        RECT client;
        GetClientRect(hwnd_, &client);
        if (pass == 1 && client.right == laidOut.right && client.bottom == laidOut.bottom) {
            break; // no bar came or went
        }
        laidOut = client;
        SCROLLINFO h{sizeof h,
                     SIF_RANGE | SIF_PAGE | SIF_POS,
                     0,
                     std::max<LONG>(0, size.cx - 1),
                     static_cast<UINT>(client.right),
                     0,
                     0};
        SCROLLINFO v{sizeof v,
                     SIF_RANGE | SIF_PAGE | SIF_POS,
                     0,
                     std::max<LONG>(0, size.cy - 1),
                     static_cast<UINT>(client.bottom),
                     0,
                     0};
        scroll_.x = clampScroll(scroll_.x, size.cx, client.right);
        scroll_.y = clampScroll(scroll_.y, size.cy, client.bottom);
        h.nPos = scroll_.x;
        v.nPos = scroll_.y;
        SetScrollInfo(hwnd_, SB_HORZ, &h, FALSE);
        SetScrollInfo(hwnd_, SB_VERT, &v, FALSE);
    }
    layingOut_ = false;
    if (shown) {
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    }
    // The bars drawn once, as they end up, with the picture.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void PictureViewPeer::scrollTo(int x, int y) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const SIZE size = pictureSize();
    x = clampScroll(x, size.cx, client.right);
    y = clampScroll(y, size.cy, client.bottom);
    const int dx = scroll_.x - x;
    const int dy = scroll_.y - y;
    if (dx == 0 && dy == 0) {
        return;
    }
    scroll_ = {x, y};
    SetScrollPos(hwnd_, SB_HORZ, x, TRUE);
    SetScrollPos(hwnd_, SB_VERT, y, TRUE);
    // Move what is already on the screen and paint only the strip that came into view.
    ScrollWindowEx(hwnd_, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    UpdateWindow(hwnd_);
}

void PictureViewPeer::onScroll(int bar, int code) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd_, bar, &info);
    int position = info.nPos;
    const int page = static_cast<int>(info.nPage);
    switch (code) {
    case SB_LINEUP:
        position -= kLineStep;
        break;
    case SB_LINEDOWN:
        position += kLineStep;
        break;
    case SB_PAGEUP:
        position -= page;
        break;
    case SB_PAGEDOWN:
        position += page;
        break;
    case SB_TOP:
        position = 0;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos; // 32-bit, unlike the message's 16-bit position
        break;
    default:
        return;
    }
    if (bar == SB_HORZ) {
        scrollTo(position, scroll_.y);
    } else {
        scrollTo(scroll_.x, position);
    }
}

void PictureViewPeer::onWheel(int bar, int delta) {
    // High-resolution wheels send small deltas; keep the remainder so they add up.
    int& rest = wheelRest_[bar == SB_HORZ ? 0 : 1];
    rest += delta;
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == 0) {
        return;
    }
    const int notches = rest / WHEEL_DELTA;
    if (notches == 0) {
        return;
    }
    rest -= notches * WHEEL_DELTA;
    RECT client;
    GetClientRect(hwnd_, &client);
    const int page = bar == SB_HORZ ? client.right : client.bottom;
    const int step = lines == WHEEL_PAGESCROLL ? page : static_cast<int>(lines) * kLineStep;
    const int distance = -notches * step;
    if (bar == SB_HORZ) {
        scrollTo(scroll_.x + distance, scroll_.y);
    } else {
        scrollTo(scroll_.x, scroll_.y + distance);
    }
}

void PictureViewPeer::updateOwn(ui::Property what) {
    if (what == ui::Property::Value) {
        // A new picture starts at its top-left corner.
        scroll_ = {0, 0};
        layoutScrollBars();
    }
}

} // namespace pictorn::platform::win32
