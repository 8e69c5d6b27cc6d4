#include "markup/markup_ops.h"

#include "imaging/channel_sums.h"
#include "imaging/parallel_bands.h"
#include "imaging/streaming_rows.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <emmintrin.h>

namespace pictorn::markup {

using imaging::Picture;

Rect intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return r.empty() ? Rect{} : r;
}

Rect unite(const Rect& a, const Rect& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Rect spanned(int x0, int y0, int x1, int y1) {
    return {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
}

void fill(Picture& p, Rect area, std::uint32_t colour) {
    area = intersect(area, bounds(p));
    const bool stream = imaging::worthStreaming(area.area());
    // On one core: streamed stores alone fill memory as fast as it takes them (two cores
    // measured slower under Wine).
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = p.row(y) + area.left;
        const auto n = static_cast<std::size_t>(area.width());
        if (stream) {
            imaging::streamFill(row, n, colour & imaging::kRgbMask);
        } else {
            std::fill(row, row + n, colour & imaging::kRgbMask);
        }
    }
    imaging::finishStreaming();
}

void outline(Picture& p, Rect area, int width, std::uint32_t colour) {
    const int w = std::max(1, width);
    if (area.width() <= 2 * w || area.height() <= 2 * w) {
        fill(p, area, colour);
        return;
    }
    fill(p, {area.left, area.top, area.right, area.top + w}, colour);
    fill(p, {area.left, area.bottom - w, area.right, area.bottom}, colour);
    fill(p, {area.left, area.top + w, area.left + w, area.bottom - w}, colour);
    fill(p, {area.right - w, area.top + w, area.right, area.bottom - w}, colour);
}

void highlight(const Picture& from, Picture& to, Rect area) {
    area = intersect(area, bounds(from));
    // Per channel (c + 255) / 2 for red and green and c / 2 for blue, all three at once:
    // (c >> 1) + 127 + (c & 1) never carries into the next channel.
    auto pixel = [](std::uint32_t c) {
        return ((c >> 1) & 0x7F7F7Fu) + 0x7F7F00u + (c & 0x010100u);
    };
    auto four = [](__m128i c) {
        const __m128i half = _mm_and_si128(_mm_srli_epi32(c, 1), _mm_set1_epi32(0x7F7F7F));
        return _mm_add_epi32(_mm_add_epi32(half, _mm_set1_epi32(0x7F7F00)),
                             _mm_and_si128(c, _mm_set1_epi32(0x010100)));
    };
    const bool stream = imaging::worthStreaming(area.area());
    const auto n = static_cast<std::size_t>(area.width());
    imaging::forEachRowBand(area.top, area.bottom, area.width(), [&](int top, int bottom) {
        for (int y = top; y < bottom; ++y) {
            const std::uint32_t* in = from.row(y) + area.left;
            std::uint32_t* out = to.row(y) + area.left;
            if (stream) {
                imaging::streamRow(in, out, n, pixel, four);
            } else {
                std::transform(in, in + n, out, pixel);
            }
        }
    });
}

namespace {

// The rounded average of n pixels whose channels sum to red, green and blue.
std::uint32_t average(const std::uint32_t* redGreenBlue, std::uint64_t n) {
    auto channel = [n](std::uint32_t sum) {
        return static_cast<std::uint8_t>((sum + n / 2) / n);
    };
    return imaging::rgb(channel(redGreenBlue[0]), channel(redGreenBlue[1]),
                        channel(redGreenBlue[2]));
}

// Grows [from, to) to at least `block` within [0, limit), around its middle.
void growSpan(int& from, int& to, int block, int limit) {
    if (to - from >= block) {
        return;
    }
    if (limit <= block) {
        from = 0;
        to = limit;
        return;
    }
    from = std::clamp(from - (block - (to - from)) / 2, 0, limit - block);
    to = from + block;
}

// The block boundaries along a span: every `block` pixels, the rest joining the last one.
std::vector<int> cuts(int from, int to, int block) {
    std::vector<int> result;
    const int count = std::max(1, (to - from) / block);
    for (int i = 0; i < count; ++i) {
        result.push_back(from + i * block);
    }
    result.push_back(to);
    return result;
}

} // namespace

Rect pixelateArea(const Picture& p, Rect area, int block) {
    area = intersect(area, bounds(p));
    if (area.empty()) {
        return {};
    }
    block = std::max(block, kMinimumPixelBlock);
    growSpan(area.left, area.right, block, p.width);
    growSpan(area.top, area.bottom, block, p.height);
    return area;
}

void pixelate(const Picture& from, Picture& to, Rect area, int block) {
    area = pixelateArea(from, area, block);
    if (area.empty()) {
        return;
    }
    block = std::max(block, kMinimumPixelBlock);
    const std::vector<int> columns = cuts(area.left, area.right, block);
    const std::vector<int> rows = cuts(area.top, area.bottom, block);
    const std::size_t blocks = columns.size() - 1;
    const auto width = static_cast<std::size_t>(area.width());
    const bool stream = imaging::worthStreaming(area.area());
    // Rows of blocks are independent: a 4K picture is done on every core at once.
    imaging::forEachBand(rows.size() - 1, 0, [&]() -> imaging::BandWork {
        return [&, sums = std::vector<std::uint32_t>(3 * blocks),
                line = std::vector<std::uint32_t>(width),
                columnSums = std::vector<std::uint16_t>(4 * width)](std::size_t r) mutable {
            std::fill(sums.begin(), sums.end(), 0);
            // Down the columns first, then across each block once.
            for (int top = rows[r]; top < rows[r + 1];) {
                const int bottom = std::min(rows[r + 1], top + imaging::kRowsPerColumnSum);
                imaging::sumColumns([&](int y) { return from.row(y) + area.left; }, top, bottom,
                                    width, columnSums.data());
                for (std::size_t c = 0; c < blocks; ++c) {
                    std::uint32_t blue = 0, green = 0, red = 0;
                    for (int x = columns[c]; x < columns[c + 1]; ++x) {
                        const std::uint16_t* pixel =
                            columnSums.data() + 4 * static_cast<std::size_t>(x - area.left);
                        blue += pixel[imaging::kBlueByte];
                        green += pixel[imaging::kGreenByte];
                        red += pixel[imaging::kRedByte];
                    }
                    sums[3 * c] += red;
                    sums[3 * c + 1] += green;
                    sums[3 * c + 2] += blue;
                }
                top = bottom;
            }
            const auto height = static_cast<std::uint64_t>(rows[r + 1] - rows[r]);
            // Every block but the last is `block` wide: its average by a multiplication.
            const std::uint64_t usual = height * static_cast<std::uint64_t>(block);
            const imaging::PackedAverage usualAverage(
                std::clamp<std::uint64_t>(usual, 1, imaging::kMaxPackedPixels));
            for (std::size_t c = 0; c < blocks; ++c) {
                const std::uint64_t n =
                    height * static_cast<std::uint64_t>(columns[c + 1] - columns[c]);
                const std::uint64_t sum = (std::uint64_t{sums[3 * c]} << 42) |
                                          (std::uint64_t{sums[3 * c + 1]} << 21) | sums[3 * c + 2];
                const std::uint32_t colour = n == usual && n <= imaging::kMaxPackedPixels
                                                 ? usualAverage(sum)
                                                 : average(sums.data() + 3 * c, n);
                std::fill(line.begin() + (columns[c] - area.left),
                          line.begin() + (columns[c + 1] - area.left), colour);
            }
            for (int y = rows[r]; y < rows[r + 1]; ++y) {
                if (stream) {
                    imaging::streamCopy(line.data(), to.row(y) + area.left, width);
                } else {
                    std::copy(line.begin(), line.end(), to.row(y) + area.left);
                }
            }
            imaging::finishStreaming();
        };
    });
}

namespace {

// The head's length along the arrow, at most the arrow's own length.
double headLength(const Arrow& a) {
    return std::min(std::hypot(a.x1 - a.x0, a.y1 - a.y0), 5.0 * std::max(1, a.width) + 4.0);
}

bool insideTriangle(double px, double py, const double (&t)[3][2]) {
    auto side = [&](int i, int j) {
        return (t[j][0] - t[i][0]) * (py - t[i][1]) - (t[j][1] - t[i][1]) * (px - t[i][0]);
    };
    const double d0 = side(0, 1), d1 = side(1, 2), d2 = side(2, 0);
    const bool negative = d0 < 0 || d1 < 0 || d2 < 0;
    const bool positive = d0 > 0 || d1 > 0 || d2 > 0;
    return !(negative && positive);
}

// The columns of row y that drawArrow tests (pixels near the line), within `area`.
std::pair<int, int> arrowColumns(const Arrow& a, const Rect& area, int y) {
    const double length = std::hypot(a.x1 - a.x0, a.y1 - a.y0);
    if (length < 1.0) {
        return {area.left, area.left};
    }
    const double ux = (a.x1 - a.x0) / length, uy = (a.y1 - a.y0) / length;
    if (std::abs(uy) <= 0.05) {
        return {area.left, area.right};
    }
    const double radius = std::max(1, a.width) / 2.0;
    const double reach = std::max(radius, headLength(a) * 0.5) + 1.0;
    const double centre = a.x0 + (y + 0.5 - a.y0) * ux / uy;
    const double spread = reach / std::abs(uy);
    return {std::max(area.left, static_cast<int>(std::floor(centre - spread))),
            std::min(area.right, static_cast<int>(std::ceil(centre + spread)) + 1)};
}

} // namespace

std::vector<Rect> arrowAreas(const Arrow& a) {
    // Bands of rows: few enough rectangles, little beyond the line in each.
    constexpr int kBand = 32;
    const Rect box = arrowBounds(a);
    std::vector<Rect> bands;
    for (int top = box.top; top < box.bottom; top += kBand) {
        const int bottom = std::min(box.bottom, top + kBand);
        const auto [firstFrom, firstTo] = arrowColumns(a, box, top);
        const auto [lastFrom, lastTo] = arrowColumns(a, box, bottom - 1);
        const Rect band{std::min(firstFrom, lastFrom), top, std::max(firstTo, lastTo), bottom};
        if (!band.empty()) {
            bands.push_back(band);
        }
    }
    return bands;
}

Rect arrowBounds(const Arrow& a) {
    const int reach = static_cast<int>(std::ceil(headLength(a))) + std::max(1, a.width) + 1;
    return {std::min(a.x0, a.x1) - reach, std::min(a.y0, a.y1) - reach,
            std::max(a.x0, a.x1) + reach, std::max(a.y0, a.y1) + reach};
}

void drawArrow(Picture& p, const Arrow& a, std::uint32_t colour) {
    const double length = std::hypot(a.x1 - a.x0, a.y1 - a.y0);
    if (length < 1.0) {
        return;
    }
    // Points are pixel corners and pixels are tested at their centres, so a line two
    // pixels wide along a row covers exactly two rows.
    const double ux = (a.x1 - a.x0) / length, uy = (a.y1 - a.y0) / length;
    const double head = headLength(a);
    const double baseX = a.x1 - ux * head, baseY = a.y1 - uy * head;
    const double half = head * 0.5;
    const double triangle[3][2] = {{static_cast<double>(a.x1), static_cast<double>(a.y1)},
                                   {baseX - uy * half, baseY + ux * half},
                                   {baseX + uy * half, baseY - ux * half}};
    const double radius = std::max(1, a.width) / 2.0;
    const double shaft = length - head;
    const Rect area = intersect(arrowBounds(a), bounds(p));
    const std::uint32_t c = colour & imaging::kRgbMask;
    // Only the pixels near the line are tested: a long diagonal arrow's box is mostly empty.
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint32_t* row = p.row(y);
        const auto [from, to] = arrowColumns(a, area, y);
        for (int x = from; x < to; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double along = (px - a.x0) * ux + (py - a.y0) * uy;
            const double across = std::abs((px - a.x0) * -uy + (py - a.y0) * ux);
            const bool inShaft = along >= 0 && along <= shaft && across <= radius;
            if (inShaft || insideTriangle(px, py, triangle)) {
                row[x] = c;
            }
        }
    }
}

void drawCoverage(Picture& p, int x, int y, const platform::TextCoverage& c, std::uint32_t colour) {
    const Rect area = intersect({x, y, x + c.width, y + c.height}, bounds(p));
    const unsigned red = imaging::redOf(colour), green = imaging::greenOf(colour),
                   blue = imaging::blueOf(colour);
    for (int py = area.top; py < area.bottom; ++py) {
        std::uint32_t* row = p.row(py);
        const std::uint8_t* alpha =
            c.alpha.data() + static_cast<std::size_t>(py - y) * static_cast<std::size_t>(c.width);
        for (int px = area.left; px < area.right; ++px) {
            const unsigned a = alpha[px - x];
            if (a == 0) {
                continue;
            }
            const std::uint32_t old = row[px];
            auto mix = [a](unsigned from, unsigned to) {
                return static_cast<std::uint8_t>((from * (255 - a) + to * a + 127) / 255);
            };
            row[px] = imaging::rgb(mix(imaging::redOf(old), red), mix(imaging::greenOf(old), green),
                                   mix(imaging::blueOf(old), blue));
        }
    }
}

Picture crop(const Picture& p, Rect area, std::vector<std::uint32_t> memory) {
    area = intersect(area, bounds(p));
    Picture result;
    result.width = area.width();
    result.height = area.height();
    result.pixels = std::move(memory);
    // Into memory as large already, which is only shortened: nothing is written twice.
    const auto size = static_cast<std::size_t>(area.area());
    const bool stream = imaging::worthStreaming(area.area()) && result.pixels.size() >= size;
    if (stream) {
        result.pixels.resize(size);
    } else {
        result.pixels.clear();
        result.pixels.reserve(size);
    }
    if (!stream) {
        for (int y = area.top; y < area.bottom; ++y) {
            result.pixels.insert(result.pixels.end(), p.row(y) + area.left, p.row(y) + area.right);
        }
        return result;
    }
    imaging::forEachRowBand(area.top, area.bottom, area.width(), [&](int top, int bottom) {
        for (int y = top; y < bottom; ++y) {
            imaging::streamCopy(p.row(y) + area.left, result.row(y - area.top),
                                static_cast<std::size_t>(result.width));
        }
    });
    return result;
}

} // namespace pictorn::markup
