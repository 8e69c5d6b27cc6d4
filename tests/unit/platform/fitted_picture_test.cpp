#include "platform/ui/fitted_picture.h"

#include <gtest/gtest.h>

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
    }
}

} // namespace
} // namespace pictorn::ui
