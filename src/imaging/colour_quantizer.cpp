#include "imaging/colour_quantizer.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "imaging/colour_histogram.h"
#include "imaging/nearest_colour.h"

namespace pictorn::imaging {

namespace {

constexpr int kRefinementPasses = 3;

struct Sums {
    double n = 0, r = 0, g = 0, b = 0, sq = 0;

    void add(const ColourCount& c) {
        const double w = c.count;
        const double r0 = redOf(c.colour), g0 = greenOf(c.colour), b0 = blueOf(c.colour);
        n += w;
        r += w * r0;
        g += w * g0;
        b += w * b0;
        sq += w * (r0 * r0 + g0 * g0 + b0 * b0);
    }
    Sums& operator+=(const Sums& o) {
        n += o.n;
        r += o.r;
        g += o.g;
        b += o.b;
        sq += o.sq;
        return *this;
    }
    Sums operator-(const Sums& o) const { return {n - o.n, r - o.r, g - o.g, b - o.b, sq - o.sq}; }
    double sse() const { return n > 0 ? sq - (r * r + g * g + b * b) / n : 0; }
    std::uint32_t mean() const {
        auto channel = [&](double v) {
            return static_cast<std::uint8_t>(std::clamp(std::lround(v / n), 0l, 255l));
        };
        return rgb(channel(r), channel(g), channel(b));
    }
};

struct Box {
    std::size_t begin, end;
    Sums sums;
};

Sums sumsOf(const std::vector<ColourCount>& colours, std::size_t begin, std::size_t end) {
    Sums s;
    for (std::size_t i = begin; i < end; ++i) {
        s.add(colours[i]);
    }
    return s;
}

// Splits along the channel of widest spread, at the value that leaves the least error.
// Channels have only 256 values, so the colours are binned per value: no sorting.
std::pair<Box, Box> split(std::vector<ColourCount>& colours, const Box& box) {
    const auto first = colours.begin() + static_cast<std::ptrdiff_t>(box.begin);
    const auto last = colours.begin() + static_cast<std::ptrdiff_t>(box.end);
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    for (auto it = first; it != last; ++it) {
        const int v[3] = {redOf(it->colour), greenOf(it->colour), blueOf(it->colour)};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], v[k]);
            hi[k] = std::max(hi[k], v[k]);
        }
    }
    int axis = 0;
    for (int k = 1; k < 3; ++k) {
        if (hi[k] - lo[k] > hi[axis] - lo[axis]) {
            axis = k;
        }
    }
    const int shift = 16 - 8 * axis;
    auto valueOf = [shift](const ColourCount& c) {
        return (c.colour >> shift) & 0xFF;
    };

    std::array<Sums, 256> bins{};
    for (auto it = first; it != last; ++it) {
        bins[valueOf(*it)].add(*it);
    }
    Sums left, bestLeft;
    double bestError = -1;
    unsigned bestValue = 0;
    for (int v = lo[axis]; v < hi[axis]; ++v) {
        left += bins[static_cast<std::size_t>(v)];
        const double error = left.sse() + (box.sums - left).sse();
        if (bestError < 0 || error < bestError) {
            bestError = error;
            bestValue = static_cast<unsigned>(v);
            bestLeft = left;
        }
    }
    const auto middle =
        std::partition(first, last, [&](const ColourCount& c) { return valueOf(c) <= bestValue; });
    const auto at = static_cast<std::size_t>(middle - colours.begin());
    return {Box{box.begin, at, bestLeft}, Box{at, box.end, box.sums - bestLeft}};
}

std::vector<std::uint32_t> splitBoxes(std::vector<ColourCount>& colours, int maxColours) {
    std::vector<Box> boxes{Box{0, colours.size(), sumsOf(colours, 0, colours.size())}};
    while (boxes.size() < static_cast<std::size_t>(maxColours)) {
        std::size_t worst = boxes.size();
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin > 1 &&
                (worst == boxes.size() || boxes[i].sums.sse() > boxes[worst].sums.sse())) {
                worst = i;
            }
        }
        if (worst == boxes.size()) {
            break; // every box holds a single colour
        }
        auto [a, b] = split(colours, boxes[worst]);
        boxes[worst] = a;
        boxes.push_back(b);
    }
    std::vector<std::uint32_t> palette;
    for (const Box& box : boxes) {
        palette.push_back(box.sums.mean());
    }
    return palette;
}

// Lloyd iterations over the distinct colours, weighted by their pixel counts.
void refine(const std::vector<ColourCount>& colours, std::vector<std::uint32_t>& palette) {
    for (int pass = 0; pass < kRefinementPasses; ++pass) {
        const NearestColour nearest(palette);
        std::vector<Sums> sums(palette.size());
        for (const ColourCount& c : colours) {
            sums[static_cast<std::size_t>(
                     nearest.find(redOf(c.colour), greenOf(c.colour), blueOf(c.colour)))]
                .add(c);
        }
        for (std::size_t i = 0; i < palette.size(); ++i) {
            if (sums[i].n > 0) {
                palette[i] = sums[i].mean();
            }
        }
    }
}

std::uint8_t clampChannel(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

ColourIndex mapExact(const Picture& picture, const std::vector<std::uint32_t>& palette) {
    const NearestColour nearest(palette);
    ColourMap cache;
    ColourIndex result{palette, std::vector<std::uint8_t>(picture.pixels.size())};
    std::uint32_t previous = kRgbMask + 1;
    std::uint8_t index = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const std::uint32_t colour = picture.pixels[i] & kRgbMask;
        if (colour != previous) {
            previous = colour;
            std::uint32_t& cached = cache[colour]; // index + 1, 0 while unknown
            if (cached == 0) {
                cached = 1 + static_cast<std::uint32_t>(
                                 nearest.find(redOf(colour), greenOf(colour), blueOf(colour)));
            }
            index = static_cast<std::uint8_t>(cached - 1);
        }
        result.indices[i] = index;
    }
    return result;
}

ColourIndex mapDithered(const Picture& picture, const std::vector<std::uint32_t>& palette) {
    const NearestColour nearest(palette);
    const auto width = static_cast<std::size_t>(picture.width);
    ColourIndex result{palette, std::vector<std::uint8_t>(picture.pixels.size())};
    // Errors in sixteenths, one pixel of margin on both sides.
    std::vector<int> current((width + 2) * 3, 0), next((width + 2) * 3, 0);
    for (int y = 0; y < picture.height; ++y) {
        std::fill(next.begin(), next.end(), 0);
        const std::uint32_t* src = picture.row(y);
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t p = src[x];
            int* e = &current[(x + 1) * 3];
            const int want[3] = {redOf(p) + e[0] / 16, greenOf(p) + e[1] / 16,
                                 blueOf(p) + e[2] / 16};
            const int r = clampChannel(want[0]), g = clampChannel(want[1]),
                      b = clampChannel(want[2]);
            const int index = nearest.find(r, g, b);
            result.indices[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint8_t>(index);
            const std::uint32_t got = palette[static_cast<std::size_t>(index)];
            const int err[3] = {r - redOf(got), g - greenOf(got), b - blueOf(got)};
            for (int k = 0; k < 3; ++k) {
                e[3 + k] += err[k] * 7;
                next[x * 3 + static_cast<std::size_t>(k)] += err[k] * 3;
                next[(x + 1) * 3 + static_cast<std::size_t>(k)] += err[k] * 5;
                next[(x + 2) * 3 + static_cast<std::size_t>(k)] += err[k];
            }
        }
        std::swap(current, next);
    }
    return result;
}

} // namespace

std::vector<std::uint32_t> choosePalette(const Picture& picture, int maxColours) {
    maxColours = std::clamp(maxColours, 2, 256);
    std::vector<ColourCount> colours = colourHistogram(picture);
    if (colours.empty()) {
        return {0};
    }
    std::vector<std::uint32_t> palette = splitBoxes(colours, maxColours);
    refine(colours, palette);
    return palette;
}

ColourIndex mapToPalette(const Picture& picture, const std::vector<std::uint32_t>& palette,
                         bool dither) {
    return dither ? mapDithered(picture, palette) : mapExact(picture, palette);
}

} // namespace pictorn::imaging
