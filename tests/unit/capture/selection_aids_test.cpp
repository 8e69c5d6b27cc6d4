#include "capture/selection_aids.h"

#include <gtest/gtest.h>

namespace pictorn::capture {
namespace {

using platform::Monitor;
using platform::PixelRect;

bool overlaps(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}
bool within(const PixelRect& inner, const PixelRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right() &&
           inner.bottom() <= outer.bottom();
}

TEST(LoupePlacement, BesideThePointerFlippingAtEdgesNeverOverItNorOffTheMonitor) {
    const Monitor m{{0, 0, 1280, 800}, 96};
    const LoupePlacement p = placeLoupe(100, 100, m);
    EXPECT_EQ(p.cells, 17);
    EXPECT_EQ(p.loupe, (PixelRect{120, 120, 136, 136}));
    EXPECT_EQ(p.readout, (PixelRect{120, 256, 200, 20}));
    EXPECT_EQ(placeLoupe(1200, 100, m).loupe.left, 1200 - 20 - 200);
    EXPECT_EQ(placeLoupe(100, 780, m).loupe.top, 780 - 20 - 156);
    for (auto [x, y] : {std::pair{0, 0},
                        {1279, 0},
                        {0, 799},
                        {1279, 799},
                        {640, 400},
                        {1059, 643},
                        {1060, 644}}) {
        const LoupePlacement at = placeLoupe(x, y, m);
        const PixelRect crosshair{x - 16, y - 16, 32, 32};
        EXPECT_TRUE(within(at.loupe, m.area) && within(at.readout, m.area)) << x << "," << y;
        EXPECT_FALSE(overlaps(at.loupe, crosshair) || overlaps(at.readout, crosshair))
            << x << "," << y;
    }
}

TEST(LoupePlacement, FollowsEachMonitorsDpiAndPlaceLeftOfAndAboveThePrimary) {
    const std::vector<Monitor> monitors{{{0, 0, 1920, 1080}, 96}, {{-2880, -400, 2880, 1620}, 144}};
    const auto left = monitorAt(monitors, -10, 500);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->dpi, 144);
    // Below the left monitor, nearer to it than to the primary one.
    EXPECT_EQ(monitorAt(monitors, -2000, 1300)->dpi, 144);
    EXPECT_EQ(monitorAt(monitors, 5, 5)->dpi, 96);
    EXPECT_FALSE(monitorAt({}, 0, 0));

    const LoupePlacement p = placeLoupe(-10, 500, *left);
    EXPECT_EQ(p.cells, 25); // 195 pixels wanted, an odd number of eight-pixel cells
    // The monitor ends at x = 0: the pair flips to the pointer's left, at 1.5 times the size.
    EXPECT_EQ(p.loupe, (PixelRect{-10 - 30 - 300, 530, 200, 200}));
    EXPECT_EQ(p.readout, (PixelRect{-340, 730, 300, 30}));
    EXPECT_EQ(placeLoupe(-2870, -390, *left).loupe.left, -2870 + 30);
}

TEST(Readout, ScreenPositionAndWhileSelectingTheSize) {
    EXPECT_EQ(readoutText(12, -34, std::nullopt), "12, -34");
    EXPECT_EQ(readoutText(400, 300, SelectionSize{299, 199}), "400, 300   299 \u00D7 199");
    EXPECT_EQ(readoutText(0, 0, SelectionSize{-1, 5}), "0, 0   0 \u00D7 5");
}

} // namespace
} // namespace pictorn::capture
