#include "platform/print_layout.h"

#include <gtest/gtest.h>

namespace pictorn::platform {
namespace {

// A4 portrait at 600 dpi, printable area about 7.9 x 11.3 inches.
constexpr PageMetrics kA4{4760, 6779, 600, 600};

TEST(PrintLayout, FitToPageFillsTheNarrowerSideAndCentres) {
    // A 1920 x 1080 screenshot is limited by the page's width.
    const PageRect wide = placeOnPage(1920, 1080, kA4, true);
    EXPECT_EQ(wide.width, 4760);
    EXPECT_EQ(wide.height, 2678);
    EXPECT_EQ(wide.left, 0);
    EXPECT_EQ(wide.top, (6779 - 2678) / 2);
    // A tall one by its height.
    const PageRect tall = placeOnPage(100, 1000, kA4, true);
    EXPECT_EQ(tall.height, 6779);
    EXPECT_EQ(tall.width, 678);
    EXPECT_EQ(tall.left, (4760 - 678) / 2);
}

TEST(PrintLayout, WithoutFittingASmallPictureKeepsItsScreenSize) {
    // 96 screen pixels are one inch: 600 device pixels.
    EXPECT_EQ(placeOnPage(96, 48, kA4, false), (PageRect{2080, 3239, 600, 300}));
    // A big one still shrinks to the page.
    EXPECT_EQ(placeOnPage(1920, 1080, kA4, false).width, 4760);
}

TEST(PrintLayout, UnequalResolutionsKeepTheProportionsOnPaper) {
    const PageRect rect = placeOnPage(200, 100, PageMetrics{1200, 3000, 300, 600}, true);
    // 4 x 2 inches on paper: 1200 x 1200 device pixels at 300 x 600 dpi.
    EXPECT_EQ(rect.width, 1200);
    EXPECT_EQ(rect.height, 1200);
}

TEST(PrintLayout, EmptyPictureOrPageGivesNothing) {
    EXPECT_EQ(placeOnPage(0, 10, kA4, true), PageRect{});
    EXPECT_EQ(placeOnPage(10, 10, PageMetrics{0, 100, 300, 300}, true), PageRect{});
    // An unknown resolution is taken as the screen's.
    EXPECT_EQ(placeOnPage(10, 10, PageMetrics{100, 100, 0, 0}, false), (PageRect{45, 45, 10, 10}));
}

} // namespace
} // namespace pictorn::platform
