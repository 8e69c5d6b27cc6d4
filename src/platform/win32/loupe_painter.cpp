#include "platform/win32/loupe_painter.h"

#include "platform/win32/text.h"

#include <algorithm>

namespace pictorn::platform::win32 {
namespace {

constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kReadoutBack = 0x202020;

// Grid lines: the pixel's own colour halfway to grey, so they show on dark and light alike.
std::uint32_t gridShade(std::uint32_t c) {
    return ((c >> 1) & 0x7F7F7F) + 0x404040;
}

} // namespace

void LoupePainter::render(const ui::OverlayLoupe& loupe, const std::uint32_t* picture, int width,
                          int height) {
    const PixelRect& sq = loupe.area;
    const PixelRect& text = loupe.readoutArea;
    const int left = sq.empty() ? text.left : std::min(sq.left, text.left);
    const int top = sq.empty() ? text.top : std::min(sq.top, text.top);
    const int right = sq.empty() ? text.right() : std::max(sq.right(), text.right());
    const int bottom = sq.empty() ? text.bottom() : std::max(sq.bottom(), text.bottom());
    area_ = {left, top, right, bottom};
    if (!canvas_.resize(right - left, bottom - top))
        return;
    std::uint32_t* const bits = canvas_.bits();
    const int bw = canvas_.width(), bh = canvas_.height();
    GdiFlush(); // GDI may still be reading the bitmap for a paint
    // Where neither the square nor the line is, the picture shows through.
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            const int px = left + x, py = top + y;
            const bool inside = picture && px >= 0 && py >= 0 && px < width && py < height;
            bits[static_cast<std::size_t>(y) * bw + x] =
                inside ? picture[static_cast<std::size_t>(py) * width + px] : kBlack;
        }

    const int zoom = std::max(loupe.zoom, 1);
    const int side = std::min(sq.width, loupe.cells * zoom);
    const int half = loupe.cells / 2;
    const int ox = sq.left - left, oy = sq.top - top;
    auto put = [&](int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < side && y < side)
            bits[static_cast<std::size_t>(oy + y) * bw + ox + x] = c;
    };
    for (int y = 0; y < side; ++y) {
        const int sy = loupe.sourceY - half + y / zoom;
        for (int x = 0; x < side; ++x) {
            const int sx = loupe.sourceX - half + x / zoom;
            std::uint32_t c = kBlack;
            if (picture && sx >= 0 && sy >= 0 && sx < width && sy < height)
                c = picture[static_cast<std::size_t>(sy) * width + sx];
            if (x % zoom == 0 || y % zoom == 0)
                c = gridShade(c);
            put(x, y, c);
        }
    }
    if (side > 0) {
        // The middle pixel: a black frame on its grid lines with a white one around it.
        const int c0 = half * zoom, c1 = c0 + zoom;
        for (int i = c0 - 1; i <= c1 + 1; ++i) {
            const bool inner = i >= c0 && i <= c1;
            for (auto [x, y] : {std::pair{i, c0 - 1}, {i, c1 + 1}, {c0 - 1, i}, {c1 + 1, i}})
                put(x, y, kWhite);
            if (inner)
                for (auto [x, y] : {std::pair{i, c0}, {i, c1}, {c0, i}, {c1, i}})
                    put(x, y, kBlack);
        }
        for (int i = 0; i < side; ++i)
            for (auto [x, y] : {std::pair{i, 0}, {i, side - 1}, {0, i}, {side - 1, i}})
                put(x, y, kBlack);
    }
    drawReadout(loupe);
}

void LoupePainter::drawReadout(const ui::OverlayLoupe& loupe) {
    const PixelRect& t = loupe.readoutArea;
    RECT box{t.left - area_.left, t.top - area_.top, t.right() - area_.left,
             t.bottom() - area_.top};
    const int ox = box.left, oy = box.top;
    for (int y = 0; y < t.height; ++y)
        std::fill_n(canvas_.bits() + static_cast<std::size_t>(oy + y) * canvas_.width() + ox,
                    t.width, kReadoutBack);
    // The line's height follows the monitor's DPI, and so does the font.
    const int fontHeight = std::max(t.height * 13 / 20, 6);
    if (!font_ || fontHeight != fontHeight_) {
        font_.reset(CreateFontW(-fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
        fontHeight_ = fontHeight;
    }
    HDC dc = canvas_.dc();
    SelectObjectGuard font(dc, font_ ? static_cast<HGDIOBJ>(font_.get())
                                     : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    box.left += std::max(t.height / 4, 2);
    const std::wstring text = toWide(loupe.readout);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    GdiFlush();
}

void LoupePainter::paint(HDC dc) const {
    if (!canvas_)
        return;
    BitBlt(dc, area_.left, area_.top, canvas_.width(), canvas_.height(), canvas_.dc(), 0, 0,
           SRCCOPY);
}

} // namespace pictorn::platform::win32
