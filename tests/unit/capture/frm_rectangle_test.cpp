#include "capture/frm_rectangle.h"
#include "platform/headless/headless_services.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace pictorn::capture {
namespace {

class FrmRectangleTest : public ::testing::Test {
protected:
    FrmRectangleTest() {
        platform.screen.setMonitors({{0, 0, 400, 300}});
        // Every pixel tells where it came from, so copies can be checked anywhere.
        for (int y = 0; y < 300; ++y)
            for (int x = 0; x < 400; ++x)
                platform.screen.pixel(x, y) = static_cast<std::uint32_t>(y << 12 | x);
    }

    FrmRectangle& open() {
        overlay.show();
        return overlay;
    }
    // Press, move and release at twips positions, as a drag by the user.
    void drag(float x0, float y0, float x1, float y1) {
        overlay.Form_MouseDown(1, 0, x0, y0);
        overlay.Form_MouseMove(1, 0, x1, y1);
        overlay.Form_MouseUp(1, 0, x1, y1);
    }

    headless::HeadlessServices platform;
    app::Colour color = app::kRed;
    std::vector<SelectionResult> results;
    std::function<void(const SelectionResult&)> onDone = [this](const SelectionResult& r) {
        results.push_back(r);
    };
    FrmRectangle overlay{platform.services, [this] { return color; },
                         [this](const SelectionResult& r) {
                             onDone(r);
                         }};
};

TEST(CrosshairChoice, EachOfferedColourHasItsPointerOthersTheStandardOne) {
    EXPECT_EQ(crosshairCursorFor(app::kBlue), 101);
    EXPECT_EQ(crosshairCursorFor(app::kCyan), 102);
    EXPECT_EQ(crosshairCursorFor(app::kMagenta), 103);
    EXPECT_EQ(crosshairCursorFor(app::kGreen), 104);
    EXPECT_EQ(crosshairCursorFor(app::kRed), 105);
    EXPECT_EQ(crosshairCursorFor(app::kYellow), 106);
    EXPECT_EQ(crosshairCursorFor(app::Colour{0}), kStandardCrosshair);
}

TEST(OutlineColour, StoredValueHasRedInTheLowByte) {
    EXPECT_EQ(outlineColorFor(app::kRed), 0xFF0000u);
    EXPECT_EQ(outlineColorFor(app::kBlue), 0x0000FFu);
    EXPECT_EQ(outlineColorFor(app::Colour{8421631}), 0xFF8080u); // a colour outside the table
}

TEST_F(FrmRectangleTest, LoadFreezesTheScreenAndPicksThePointer) {
    color = app::kGreen;
    open();
    EXPECT_EQ(overlay.name(), "frmRectangle");
    EXPECT_FALSE(overlay.style().showInTaskbar);
    EXPECT_EQ(overlay.cursorId(), 104);
    EXPECT_EQ(overlay.frozen().width, 400);
    EXPECT_EQ(overlay.frozen().at(5, 7), (7u << 12) | 5u);
    // Later changes on screen do not reach the frozen picture.
    platform.screen.pixel(5, 7) = 0;
    EXPECT_EQ(overlay.frozen().at(5, 7), (7u << 12) | 5u);
    EXPECT_EQ(overlay.toTwips(100), 1500.0f);
    EXPECT_EQ(overlay.toPixels(1510), 101);
}

TEST_F(FrmRectangleTest, SelectionMovesTheTopLeftInwardInEitherDragDirection) {
    for (auto [x0, y0, x1, y1] : std::vector<std::array<float, 4>>{{3000, 2000, 1500, 1000},
                                                                   {1500, 1000, 3000, 2000},
                                                                   {1500, 2000, 3000, 1000},
                                                                   {3000, 1000, 1500, 2000}}) {
        results.clear();
        open();
        drag(x0, y0, x1, y1);
        ASSERT_EQ(results.size(), 1u);
        const SelectionResult& r = results[0];
        EXPECT_FALSE(r.cancelled);
        EXPECT_FLOAT_EQ(r.left, 1510);
        EXPECT_FLOAT_EQ(r.top, 1010);
        EXPECT_FLOAT_EQ(r.width, 1490);
        EXPECT_FLOAT_EQ(r.height, 990);
        // 15 twips a pixel: 100.7 -> 101, 67.3 -> 67, 99.3 -> 99, 66 -> 66.
        EXPECT_EQ(r.area, (platform::PixelRect{101, 67, 99, 66}));
        ASSERT_EQ(r.picture.width, 99);
        ASSERT_EQ(r.picture.height, 66);
        // Press rows off the pixel grid leave the outline's top row in the copy.
        EXPECT_EQ(r.picture.at(5, 5), (72u << 12) | 106u);
        EXPECT_EQ(r.picture.at(98, 65), (132u << 12) | 199u);
        EXPECT_FALSE(overlay.loaded());
        EXPECT_FALSE(overlay.isDragging());
    }
}

TEST_F(FrmRectangleTest, ShortDragsAndClicksCancel) {
    for (auto [dx, dy] : std::vector<std::pair<float, float>>{
             {0, 0}, {50, 900}, {900, 50}, {-50, -900}, {900, -30}}) {
        results.clear();
        open();
        drag(1500, 1500, 1500 + dx, 1500 + dy);
        ASSERT_EQ(results.size(), 1u) << dx << "," << dy;
        EXPECT_TRUE(results[0].cancelled);
        EXPECT_TRUE(results[0].picture.empty());
        EXPECT_FALSE(overlay.loaded());
    }
    results.clear();
    open();
    drag(1500, 1500, 1551, 1551); // just over the limit in both directions
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].cancelled);
    EXPECT_TRUE(platform.messageBox.shown.empty());
}

TEST_F(FrmRectangleTest, EscapeCancelsWhileOpenOrDragging) {
    open();
    overlay.Form_KeyDown('A', 0);
    EXPECT_TRUE(overlay.loaded());
    overlay.Form_MouseDown(1, 0, 100, 100);
    overlay.Form_MouseMove(1, 0, 2000, 2000);
    overlay.Form_KeyDown(FrmRectangle::kEscape, 0);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].cancelled);
    EXPECT_FALSE(overlay.loaded());
    EXPECT_FALSE(overlay.isDragging());
    EXPECT_TRUE(overlay.frozen().empty()); // the frozen screen goes with the overlay
}

TEST_F(FrmRectangleTest, ReleaseWithoutPressOnTheOverlayIsIgnored) {
    open();
    overlay.Form_MouseUp(1, 0, 3000, 3000);
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(overlay.loaded());
    // Reopening starts afresh: the press of an earlier opening does not count.
    drag(300, 300, 3000, 3000);
    open();
    overlay.Form_MouseUp(1, 0, 3000, 3000);
    EXPECT_EQ(results.size(), 1u);
}

TEST_F(FrmRectangleTest, OutlineFollowsTheDragInTheLiveColour) {
    open();
    overlay.Form_MouseMove(0, 0, 600, 600);
    EXPECT_FALSE(overlay.outline());
    overlay.Form_MouseDown(1, 0, 1500, 750);
    overlay.Form_MouseMove(1, 0, 600, 1500);
    EXPECT_EQ(overlay.outline(), (Outline{40, 50, 100, 100, 0xFF0000}));
    color = app::kBlue;
    overlay.Form_MouseMove(1, 0, 3000, 1500);
    EXPECT_EQ(overlay.outline(), (Outline{100, 50, 200, 100, 0x0000FF}));
    overlay.Form_MouseDown(1, 0, 0, 0); // a new press clears the drawing
    EXPECT_FALSE(overlay.outline());
}

TEST_F(FrmRectangleTest, TheLastOutlineIsPartOfTheCopy) {
    open();
    overlay.Form_MouseDown(1, 0, 1500, 1500);
    overlay.Form_MouseMove(1, 0, 2250, 2250); // outline corner at pixel (150, 150)
    overlay.Form_MouseUp(1, 0, 3000, 3000);   // released further out, without a move
    ASSERT_EQ(results.size(), 1u);
    const imaging::Picture& p = results[0].picture;
    EXPECT_EQ(results[0].area.left, 101);
    EXPECT_EQ(p.at(150 - 101, 120 - 101), 0xFF0000u); // right edge of the outline
    EXPECT_EQ(p.at(151 - 101, 120 - 101), (120u << 12) | 151u);
}

TEST_F(FrmRectangleTest, FailureWhileFinishingIsReportedAndKeepsTheOverlayOpen) {
    onDone = [](const SelectionResult&) {
        throw std::runtime_error("disk full");
    };
    open();
    drag(0, 0, 3000, 3000);
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_NE(platform.messageBox.last().text.find("frmRectangle - Form_MouseUp"),
              std::string::npos);
    EXPECT_TRUE(overlay.loaded());
}

TEST_F(FrmRectangleTest, KeysDragLikeTheMouseAndMixWithIt) {
    using O = ui::OverlayForm;
    auto keys = [&](int key, int shift, int times) {
        for (int i = 0; i < times; ++i)
            overlay.Form_KeyDown(key, shift);
    };
    open();
    drag(1500, 1500, 4500, 3000); // (100, 100) to (300, 200)
    const SelectionResult byMouse = results.at(0);

    open();
    overlay.Form_MouseMove(0, 0, 1500, 1500);
    keys(O::kReturnKey, 0, 1);
    keys(O::kRightKey, O::kShiftKey, 20);
    keys(O::kDownKey, 0, 100);
    ASSERT_TRUE(overlay.loupe());
    // The readout tells the size the picture gets.
    EXPECT_EQ(overlay.loupe()->readout, "300, 200   199 × 99");
    EXPECT_EQ(overlay.outline(), (Outline{100, 100, 300, 200, 0xFF0000}));
    keys(O::kSpaceKey, 0, 1);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[1].area, byMouse.area);
    EXPECT_EQ(results[1].picture.pixels, byMouse.picture.pixels);

    // A press by mouse, a release by key; one from keys too short cancels; arrows stop at the
    // screen's edge; M hides and shows the magnifier but not the readout.
    open();
    overlay.Form_MouseDown(1, 0, 1500, 1500);
    keys(O::kLeftKey, O::kShiftKey, 30);
    keys(O::kUpKey, O::kShiftKey, 30);
    EXPECT_EQ(overlay.pointer(), (ui::OverlayPoint{0, 0}));
    keys(O::kReturnKey, 0, 1);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[2].area, (platform::PixelRect{1, 1, 99, 99}));
    open();
    overlay.Form_MouseMove(0, 0, 1500, 1500);
    keys(O::kMagnifierKey, 0, 1);
    EXPECT_TRUE(overlay.loupe()->area.empty());
    EXPECT_EQ(overlay.loupe()->readout, "100, 100");
    keys(O::kMagnifierKey, 0, 1);
    EXPECT_EQ(overlay.loupe()->area.width, 136);
    keys(O::kReturnKey, 0, 1);
    keys(O::kRightKey, 0, 3);
    keys(O::kReturnKey, 0, 1);
    ASSERT_EQ(results.size(), 4u);
    EXPECT_TRUE(results[3].cancelled);
}

TEST_F(FrmRectangleTest, TheMagnifierStartsAsTheSourceSays) {
    bool show = false;
    overlay.setMagnifierSource([&] { return show; });
    open();
    overlay.Form_MouseMove(0, 0, 1500, 1500);
    EXPECT_TRUE(overlay.loupe()->area.empty());
    overlay.Form_KeyDown(FrmRectangle::kEscape, 0);
    show = true;
    open();
    overlay.Form_MouseMove(0, 0, 1500, 1500);
    EXPECT_FALSE(overlay.loupe()->area.empty());
}

TEST_F(FrmRectangleTest, SpansTheVirtualScreenWithMonitorsLeftAndAbove) {
    platform.screen.setMonitors({{0, 0, 400, 300}, {-200, -100, 200, 100}}, 0x333333);
    platform.screen.pixel(-200, -100) = 0xABCDEF;
    open();
    EXPECT_EQ(overlay.originX(), -200);
    EXPECT_EQ(overlay.originY(), -100);
    EXPECT_EQ(overlay.frozen().width, 600);
    EXPECT_EQ(overlay.frozen().height, 400);
    drag(-10, -10, 1500, 1500); // from the overlay's own corner
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].area, (platform::PixelRect{-200, -100, 100, 100}));
    EXPECT_EQ(results[0].picture.at(0, 0), 0xABCDEFu);
}

} // namespace
} // namespace pictorn::capture
