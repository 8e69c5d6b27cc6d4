// The grab after hiding the main window: it comes as soon as the screen no longer shows
// the window, never while any of it is left, and without a fixed pause.
#include "capture/uncovered_wait.h"
#include "mainwindow/frm_main.h"
#include "platform/headless/headless_services.h"
#include "prefs/frm_prefs.h"

#include <gtest/gtest.h>

using namespace pictorn;
using platform::PixelRect;

namespace {

constexpr std::uint32_t kDesktop = 0x204060;
constexpr std::uint32_t kOurWindow = 0xF0F0F0;

TEST(RepaintedEverywhere, EveryTileMustHaveChanged) {
    const imaging::Picture before(40, 20, kOurWindow);
    imaging::Picture now = before;
    EXPECT_FALSE(capture::repaintedEverywhere(before, now, 16));
    // One changed pixel in each of the six 16-pixel tiles but the last.
    for (int top = 0; top < 20; top += 16)
        for (int left = 0; left < 40; left += 16)
            if (!(top == 16 && left == 32))
                now.at(left + 3, top + 2) = kDesktop;
    EXPECT_FALSE(capture::repaintedEverywhere(before, now, 16)) << "the corner is still ours";
    now.at(39, 19) = kDesktop;
    EXPECT_TRUE(capture::repaintedEverywhere(before, now, 16));
    EXPECT_FALSE(capture::repaintedEverywhere(before, imaging::Picture(40, 21, kDesktop), 16));
    EXPECT_FALSE(capture::repaintedEverywhere({}, {}, 16));
}

class UncoveredWait : public ::testing::Test {
protected:
    headless::HeadlessServices h;
    app::PreferenceStore prefs{h.services};
    std::unique_ptr<FrmMain> main;

    UncoveredWait() {
        h.shell.specialFolders[26] = "C:\\Users\\me\\AppData\\Roaming";
        h.files.addFolder("C:\\Users\\me\\AppData\\Roaming");
        h.files.addFolder("C:\\Program Files\\Pictorn");
        h.screen.setMonitors({{0, 0, 1920, 1080}}, kDesktop);
        main = std::make_unique<FrmMain>(h.services, prefs);
        main->show();
    }
    PixelRect windowPixels() {
        const ui::Geometry g = main->geometry();
        return {g.left / 15, g.top / 15, g.width / 15, g.height / 15};
    }
    // Our window stays on the screen for this many copies of it, the look taken before
    // hiding included.
    void lingerFor(int copies) { h.screen.lingering = {{windowPixels(), kOurWindow, copies}}; }
    std::int64_t captureFullScreen() {
        const auto start = h.clock.monotonicMs();
        main->menuCaptureFullScreen.click();
        return h.clock.monotonicMs() - start;
    }
    std::uint32_t capturedAtWindowCentre() {
        const PixelRect w = windowPixels();
        return main->ImageBox1.picture()->at(w.left + w.width / 2, w.top + w.height / 2);
    }
};

TEST_F(UncoveredWait, GrabComesOnceTheAreaIsRepaintedAndSteady) {
    lingerFor(4);
    const auto waited = captureFullScreen();
    EXPECT_EQ(capturedAtWindowCentre(), kDesktop);
    EXPECT_GT(waited, 0);
    EXPECT_LT(waited, 40) << "no longer than the repaint took";
    ASSERT_FALSE(h.screen.looks.empty());
    // The window's own rectangle and a margin for a frame drawn around it.
    const PixelRect w = windowPixels();
    const PixelRect looked = h.screen.looks.front();
    EXPECT_TRUE(looked.left < w.left && looked.top < w.top && looked.right() > w.right() &&
                looked.bottom() > w.bottom());
    EXPECT_EQ(h.screen.grabs.size(), 1u);
    // Four looks still showed the window (the one before hiding among them); the grab
    // itself confirmed the fifth.
    EXPECT_EQ(h.screen.looks.size(), 5u);
}

TEST_F(UncoveredWait, AGrabThatDisagreesWithTheLookBeforeItIsNotKept) {
    lingerFor(4);
    const PixelRect w = windowPixels();
    const std::uint32_t late = 0x00AA00;
    // A repaint still under way when the full-screen grab comes.
    h.screen.beforeGrab = [&] {
        h.screen.pixel(w.left + w.width / 2, w.top + w.height / 2) = late;
    };
    captureFullScreen();
    EXPECT_EQ(capturedAtWindowCentre(), late);
    EXPECT_EQ(h.screen.grabs.size(), 2u);
}

TEST_F(UncoveredWait, AnAreaThatNeverChangesIsWaitedForOnlyUpToTheCap) {
    // Something on top of our window, or a desktop painted like it: nothing can be seen
    // to change, so the wait ends at its cap instead of hanging.
    lingerFor(1000000);
    const auto waited = captureFullScreen();
    EXPECT_GE(waited, 150);
    EXPECT_LT(waited, 170);
    EXPECT_EQ(h.screen.grabs.size(), 1u);
    EXPECT_TRUE(main->visible());
}

TEST_F(UncoveredWait, CompositorFrameReplacesThePause) {
    h.screen.compositor = true;
    lingerFor(1000000);
    EXPECT_EQ(captureFullScreen(), 0);
    EXPECT_EQ(capturedAtWindowCentre(), kDesktop);
    EXPECT_EQ(h.screen.compositorFrames, 1);
}

TEST_F(UncoveredWait, DelayCountsWholeAndTheRectangleOverlayWaitsToo) {
    // A delay outlasts any repaint: the screen is not watched, the seconds count whole.
    prefs.change([](app::Preferences& p) { p.delaySeconds = 1; });
    EXPECT_EQ(captureFullScreen(), 1000);
    EXPECT_TRUE(h.screen.looks.empty());

    prefs.change([](app::Preferences& p) { p.delaySeconds = 0; });
    h.screen.looks.clear();
    lingerFor(4);
    main->menuCaptureRectangularArea.click();
    ASSERT_TRUE(main->rectangleOpen());
    EXPECT_FALSE(h.screen.looks.empty());
    EXPECT_FALSE(h.screen.lingering && h.screen.lingering->copies > 0)
        << "the overlay froze a screen that still showed our window";
}

} // namespace
