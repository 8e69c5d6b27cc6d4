#include "imaging/png_filters.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace pictorn::imaging {

namespace {

std::uint8_t paethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return static_cast<std::uint8_t>(a);
    }
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Residual of byte i under filter f; `up` is never null here (a zero row stands in).
inline std::uint8_t residual(PngFilter f, const std::uint8_t* row, const std::uint8_t* up,
                             std::size_t i, std::size_t bpp) {
    const int left = i >= bpp ? row[i - bpp] : 0;
    const int upLeft = i >= bpp ? up[i - bpp] : 0;
    switch (f) {
    case PngFilter::None:
        return row[i];
    case PngFilter::Sub:
        return static_cast<std::uint8_t>(row[i] - left);
    case PngFilter::Up:
        return static_cast<std::uint8_t>(row[i] - up[i]);
    case PngFilter::Average:
        return static_cast<std::uint8_t>(row[i] - ((left + up[i]) >> 1));
    case PngFilter::Paeth:
        return static_cast<std::uint8_t>(row[i] - paethPredictor(left, up[i], upLeft));
    }
    return row[i];
}

void applyFilter(PngFilter f, const std::uint8_t* row, const std::uint8_t* up, std::size_t bytes,
                 std::size_t bpp, std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>(f);
    std::uint8_t* dst = out + 1;
    switch (f) {
    case PngFilter::None:
        std::copy(row, row + bytes, dst);
        return;
    case PngFilter::Sub:
        for (std::size_t i = 0; i < bytes; ++i) {
            dst[i] = static_cast<std::uint8_t>(row[i] - (i >= bpp ? row[i - bpp] : 0));
        }
        return;
    case PngFilter::Up:
        for (std::size_t i = 0; i < bytes; ++i) {
            dst[i] = static_cast<std::uint8_t>(row[i] - up[i]);
        }
        return;
    default:
        for (std::size_t i = 0; i < bytes; ++i) {
            dst[i] = residual(f, row, up, i, bpp);
        }
    }
}

// The residual bytes read as signed values: small magnitudes compress best.
std::size_t cost(PngFilter f, const std::uint8_t* row, const std::uint8_t* up, std::size_t bytes,
                 std::size_t bpp) {
    std::size_t sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        sum += static_cast<std::size_t>(
            std::abs(static_cast<std::int8_t>(residual(f, row, up, i, bpp))));
    }
    return sum;
}

PngFilter adaptiveFilter(const std::uint8_t* row, const std::uint8_t* up, std::size_t bytes,
                         std::size_t bpp) {
    PngFilter best = PngFilter::None;
    std::size_t bestCost = cost(PngFilter::None, row, up, bytes, bpp);
    for (const PngFilter f :
         {PngFilter::Sub, PngFilter::Up, PngFilter::Average, PngFilter::Paeth}) {
        const std::size_t c = cost(f, row, up, bytes, bpp);
        if (c < bestCost) {
            bestCost = c;
            best = f;
        }
    }
    return best;
}

// Share of pixels that repeat their left neighbour exactly, in percent. UI rows (text,
// panels, borders) are mostly runs, and LZ77 finds the repeated glyphs and widgets only in
// unfiltered bytes; photo rows have almost no runs and need a predictor.
unsigned runShare(const std::uint8_t* row, std::size_t bytes, std::size_t bpp) {
    std::size_t repeats = 0;
    for (std::size_t i = bpp; i + bpp <= bytes; i += bpp) {
        bool same = true;
        for (std::size_t k = 0; k < bpp; ++k) {
            same = same && row[i + k] == row[i - bpp + k];
        }
        repeats += same ? 1 : 0;
    }
    const std::size_t pixels = bytes / bpp;
    return pixels > 1 ? static_cast<unsigned>(100 * repeats / (pixels - 1)) : 100;
}

int screenshotThreshold() {
    static const int value = [] {
        const char* env = std::getenv("PICTORN_PNG_RUN_THRESHOLD");
        return env ? std::atoi(env) : 50;
    }();
    return value;
}

} // namespace

void filterRow(PngFilterChoice choice, const std::uint8_t* row, const std::uint8_t* previous,
               std::size_t bytes, std::size_t bpp, std::uint8_t* out) {
    static thread_local std::vector<std::uint8_t> zeros;
    const std::uint8_t* up = previous;
    if (up == nullptr) {
        if (zeros.size() < bytes) {
            zeros.assign(bytes, 0);
        }
        up = zeros.data();
    }
    PngFilter f = PngFilter::None;
    if (choice == PngFilterChoice::Adaptive ||
        (choice == PngFilterChoice::Screenshot &&
         runShare(row, bytes, bpp) < static_cast<unsigned>(screenshotThreshold()))) {
        f = adaptiveFilter(row, up, bytes, bpp);
    }
    applyFilter(f, row, up, bytes, bpp, out);
}

} // namespace pictorn::imaging
