#pragma once
// The drawing operations of the mark-up window, on a picture's pixels. Every operation
// writes whole pixels with no blending beyond what it says, so that what covers a secret
// leaves nothing of it: a black-out is exactly its fill colour and a pixelated block exactly
// the average of the pixels it replaced.
#include "imaging/picture.h"
#include "platform/text_rasterizer.h"

#include <cstdint>
#include <vector>

namespace pictorn::markup {

// A rectangle of pixels, right and bottom exclusive.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    long long area() const { return empty() ? 0 : static_cast<long long>(width()) * height(); }
    bool operator==(const Rect&) const = default;
};

// The pixels both rectangles cover; the smallest rectangle covering both.
Rect intersect(const Rect& a, const Rect& b);
Rect unite(const Rect& a, const Rect& b);
inline Rect bounds(const imaging::Picture& p) {
    return {0, 0, p.width, p.height};
}
// The rectangle a drag from one pixel to another spans, both pixels included.
Rect spanned(int x0, int y0, int x1, int y1);

inline constexpr std::uint32_t kBlackOut = 0x000000;
inline constexpr std::uint32_t kHighlighter = 0xFFFF00;
// Smaller blocks keep too much of small text readable.
inline constexpr int kMinimumPixelBlock = 12;

// Everything inside, clipped to the picture, becomes `colour`.
void fill(imaging::Picture& p, Rect area, std::uint32_t colour);
// A frame `width` pixels wide along the inside of the rectangle.
void outline(imaging::Picture& p, Rect area, int width, std::uint32_t colour);
// Half the highlighter's yellow and half the picture `from`, into `to` (which may be `from`).
void highlight(const imaging::Picture& from, imaging::Picture& to, Rect area);
// Blocks of `block` pixels (at least kMinimumPixelBlock) from the area's top-left; the rest
// of a row or column joins the last block so no block is narrower than `block`. The area
// grows to one block where it is smaller, so a pixel is never its own block.
Rect pixelateArea(const imaging::Picture& p, Rect area, int block);
// From the pixels of `from` into `to`, which may be `from`.
void pixelate(const imaging::Picture& from, imaging::Picture& to, Rect area, int block);

// An arrow from (x0, y0) to its head at (x1, y1): a line `width` wide and a filled head.
struct Arrow {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0, width = 2;
};
Rect arrowBounds(const Arrow& a);
// Bands along the arrow that hold every pixel drawArrow writes: a long diagonal arrow
// covers a thin part of its box.
std::vector<Rect> arrowAreas(const Arrow& a);
void drawArrow(imaging::Picture& p, const Arrow& a, std::uint32_t colour);

// Blends `colour` into the picture at (x, y) by the coverage.
void drawCoverage(imaging::Picture& p, int x, int y, const platform::TextCoverage& c,
                  std::uint32_t colour);

// `memory` (when it has the capacity) holds the result's pixels.
imaging::Picture crop(const imaging::Picture& p, Rect area, std::vector<std::uint32_t> memory = {});

} // namespace pictorn::markup
