#include "platform/ui/fitted_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace pictorn::ui {
namespace {

using imaging::Picture;

Picture noise(int w, int h, unsigned seed) {
    Picture p(w, h);
    for (auto& pixel : p.pixels) {
        seed = seed * 1103515245u + 12345u;
        pixel = (seed >> 8) & imaging::kRgbMask;
    }
    return p;
}

Picture fitted(const Picture& picture, int w, int h) {
    Picture shown(w, h);
    fitPart(picture, shown, 0, 0, w, h);
    return shown;
}

TEST(FittedPicture, EachShownPixelAveragesWhatItCoversAndAPartComesOutAsInTheWhole) {
    Picture four(4, 2);
    four.at(0, 0) = imaging::rgb(10, 0, 0);
    four.at(1, 0) = imaging::rgb(20, 0, 0);
    four.at(0, 1) = imaging::rgb(30, 0, 0);
    four.at(1, 1) = imaging::rgb(41, 4, 0);
    EXPECT_EQ(fitted(four, 2, 1).at(0, 0), imaging::rgb(25, 1, 0)); // 101/4 rounds to 25
    const Picture same = noise(37, 23, 1);
    EXPECT_EQ(fitted(same, 37, 23).pixels, same.pixels);
    // Against sums per channel, at ratios of a few pixels and of hundreds of them (more rows
    // than a 16-bit column sum holds among them).
    for (const auto [w, h, sw, sh] :
         {std::array{53, 41, 19, 17}, {80, 50, 77, 49}, {900, 700, 5, 3}, {29, 1300, 11, 2}}) {
        const Picture picture = noise(w, h, 4);
        const Picture shown = fitted(picture, sw, sh);
        for (int y = 0; y < sh; ++y) {
            for (int x = 0; x < sw; ++x) {
                std::array<unsigned, 3> sum{};
                const int x0 = x * w / sw, x1 = (x + 1) * w / sw, y0 = y * h / sh,
                          y1 = (y + 1) * h / sh;
                for (int sy = y0; sy < y1; ++sy) {
                    for (int sx = x0; sx < x1; ++sx) {
                        const std::uint32_t p = picture.at(sx, sy);
                        sum[0] += imaging::redOf(p);
                        sum[1] += imaging::greenOf(p);
                        sum[2] += imaging::blueOf(p);
                    }
                }
                const unsigned n = static_cast<unsigned>((x1 - x0) * (y1 - y0));
                auto avg = [n](unsigned s) {
                    return static_cast<std::uint8_t>((s + n / 2) / n);
                };
                ASSERT_EQ(shown.at(x, y), imaging::rgb(avg(sum[0]), avg(sum[1]), avg(sum[2])))
                    << w << "x" << h << " at " << x << "," << y;
            }
        }
    }

    // A change in the picture, worked out again only where it shows, gives the whole anew;
    // sizes an odd ratio apart, and large enough to be worked on several threads.
    for (const auto [w, h, sw, sh] : {std::array{997, 601, 613, 370}, {1500, 900, 1461, 876}}) {
        Picture picture = noise(w, h, 2);
        Picture shown = fitted(picture, sw, sh);
        const Picture changed = noise(w, h, 3);
        const int from[2] = {w / 3, h / 4}, to[2] = {w / 3 + 101, h / 4 + 57};
        for (int y = from[1]; y < to[1]; ++y) {
            for (int x = from[0]; x < to[0]; ++x) {
                picture.at(x, y) = changed.at(x, y);
            }
        }
        int left = 0, right = 0, top = 0, bottom = 0;
        shownSpan(w, sw, from[0], to[0], left, right);
        shownSpan(h, sh, from[1], to[1], top, bottom);
        EXPECT_LT(right - left, sw / 4);
        fitPart(picture, shown, left, top, right, bottom);
        ASSERT_EQ(shown.pixels, fitted(picture, sw, sh).pixels) << w << "x" << h;

        // Of one colour, most of the part is filled: the edges still average with the rest.
        const SolidPart solid{from[0], from[1], to[0], to[1], 0xFF123456u};
        for (int y = from[1]; y < to[1]; ++y) {
            std::fill(picture.row(y) + from[0], picture.row(y) + to[0], 0x123456u);
        }
        fitPart(picture, shown, left, top, right, bottom, solid);
        ASSERT_EQ(shown.pixels, fitted(picture, sw, sh).pixels) << w << "x" << h;

        // Rows repeating in bands of 7 (the rest joining the last): each band's first row
        // stands for the others, the edges still average with the rest.
        const RepeatedRows bands{from[0], from[1], to[0], to[1], 7};
        const Picture blocks = noise(w, h, 6);
        for (int y = from[1]; y < to[1]; ++y) {
            const int first = std::min(from[1] + (y - from[1]) / 7 * 7, from[1] + 49);
            std::copy(blocks.row(first) + from[0], blocks.row(first) + to[0],
                      picture.row(y) + from[0]);
        }
        fitPart(picture, shown, left, top, right, bottom, bands);
        ASSERT_EQ(shown.pixels, fitted(picture, sw, sh).pixels) << w << "x" << h;

        // A black-out of nearly all of it: the fill is shared among threads.
        for (int y = 3; y < h - 3; ++y) {
            std::fill(picture.row(y) + 3, picture.row(y) + w - 3, 0u);
        }
        fitPart(picture, shown, 0, 0, sw, sh, SolidPart{3, 3, w - 3, h - 3, 0u});
        ASSERT_EQ(shown.pixels, fitted(picture, sw, sh).pixels) << w << "x" << h;
    }
    // Every span of columns at ratios where a shown pixel ends exactly on a picture pixel,
    // and where it does not.
    for (const int sw : {40, 20, 29}) {
        for (int from = 0; from < 40; ++from) {
            for (int to = from + 1; to <= 40; ++to) {
                Picture picture = noise(40, 3, 5);
                Picture shown = fitted(picture, sw, 3);
                for (int y = 0; y < 3; ++y) {
                    std::fill(picture.row(y) + from, picture.row(y) + to, 0x123456u);
                }
                fitPart(picture, shown, 0, 0, sw, 3, SolidPart{from, 0, to, 3, 0x123456u});
                ASSERT_EQ(shown.pixels, fitted(picture, sw, 3).pixels)
                    << sw << ": " << from << "-" << to;
            }
        }
    }
}

} // namespace
} // namespace pictorn::ui
