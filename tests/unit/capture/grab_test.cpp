#include "capture/grab.h"
#include "capture/pointer_drawing.h"
#include "platform/headless/fake_screen_capture.h"

#include <gtest/gtest.h>

namespace pictorn::capture {
namespace {

using headless::FakeScreenCapture;
using platform::CursorState;
using platform::PixelRect;

// A 3x3 pointer: a white (masked) or opaque-red (alpha) centre on a transparent ring.
CursorState smallPointer(int x, int y, bool alpha = false) {
    CursorState c;
    c.visible = true;
    c.x = x;
    c.y = y;
    c.hotX = 1;
    c.hotY = 1;
    c.image.width = c.image.height = 3;
    c.image.alpha = alpha;
    c.image.pixels.assign(9, alpha ? 0x00000000u : 0u);
    if (alpha) {
        c.image.pixels[4] = 0xFFFF0000u;
    } else {
        c.image.andMask.assign(9, 1);
        c.image.andMask[4] = 0;
        c.image.pixels[4] = 0xFFFFFF;
    }
    return c;
}

TEST(GrabScreen, OneMonitorGivesThePrimaryScreen) {
    FakeScreenCapture screen;
    screen.setMonitors({{0, 0, 1024, 768}}, 0x123456);
    const ScreenGrab grab = grabScreen(screen);
    EXPECT_EQ(grab.picture.width, 1024);
    EXPECT_EQ(grab.picture.height, 768);
    EXPECT_EQ(grab.originX, 0);
    EXPECT_EQ(grab.picture.at(1023, 767), 0x123456u);
    EXPECT_EQ(monitorCount(screen), 1);
}

TEST(GrabScreen, SeveralMonitorsCoverTheVirtualScreenFromItsRealCorner) {
    FakeScreenCapture screen;
    // A second monitor left of the primary one and a third above it.
    screen.setMonitors({{0, 0, 800, 600}, {-640, 100, 640, 480}, {0, -300, 400, 300}});
    screen.pixel(-640, 100) = 0xAA0000;
    screen.pixel(0, -300) = 0x00BB00;
    screen.pixel(799, 599) = 0x0000CC;
    const ScreenGrab grab = grabScreen(screen);
    EXPECT_EQ(screen.grabs.back(), (PixelRect{-640, -300, 1440, 900}));
    EXPECT_EQ(grab.originX, -640);
    EXPECT_EQ(grab.originY, -300);
    EXPECT_EQ(grab.picture.at(0, 400), 0xAA0000u);
    EXPECT_EQ(grab.picture.at(640, 0), 0x00BB00u);
    EXPECT_EQ(grab.picture.at(1439, 899), 0x0000CCu);
}

TEST(GrabForegroundWindow, GrabsTheWholeRectAndRecordsWhereItWas) {
    FakeScreenCapture screen;
    screen.pixel(100, 50) = 0xFEDCBA;
    screen.foreground = PixelRect{100, 50, 300, 200};

    ScreenGrab grab = grabForegroundWindow(screen).value();
    EXPECT_EQ(grab.picture.width, 300);
    EXPECT_EQ(grab.picture.height, 200);
    EXPECT_EQ(grab.picture.at(0, 0), 0xFEDCBAu);
    EXPECT_EQ(grab.originX, 100);
    EXPECT_EQ(grab.originY, 50);

    screen.foreground = PixelRect{-20, -5, 40, 30};
    grab = grabForegroundWindow(screen).value();
    EXPECT_EQ(grab.originX, -20);
    EXPECT_EQ(grab.originY, -5);
}

TEST(GrabForegroundWindow, NoWindowIsNoGrabNotAnEmptyPicture) {
    FakeScreenCapture screen;
    screen.foreground.reset();
    EXPECT_FALSE(grabForegroundWindow(screen));
    screen.foreground = PixelRect{10, 10, 0, 5};
    EXPECT_FALSE(grabForegroundWindow(screen));
    EXPECT_TRUE(screen.grabs.empty());
}

TEST(DrawPointer, PlacesTheImageByItsHotSpot) {
    // Pointer at (300, 200) over a window at (100, 50): the hot spot lands on (200, 150).
    FakeScreenCapture screen;
    screen.foreground = PixelRect{100, 50, 400, 300};
    screen.pointer = smallPointer(300, 200);
    ScreenGrab grab = grabForegroundWindow(screen).value();
    drawCurrentPointer(screen, grab);
    EXPECT_EQ(grab.picture.at(200, 150), 0xFFFFFFu);
    EXPECT_EQ(grab.picture.at(199, 149), 0u);
    EXPECT_EQ(grab.picture.at(191, 141), 0u); // not 9 pixels up and left
}

TEST(DrawPointer, FollowsTheVirtualScreenOrigin) {
    FakeScreenCapture screen;
    screen.setMonitors({{0, 0, 100, 100}, {-100, 0, 100, 100}});
    screen.pointer = smallPointer(-90, 10);
    ScreenGrab grab = grabScreen(screen);
    drawCurrentPointer(screen, grab);
    EXPECT_EQ(grab.picture.at(10, 10), 0xFFFFFFu);
}

TEST(DrawPointer, ClipsAtEveryEdgeAndHonoursMasks) {
    imaging::Picture picture(4, 4, 0x102030);
    // Hot spot on the top-left corner: only the image's bottom-right part shows.
    drawPointer(picture, smallPointer(0, 0), 0, 0);
    EXPECT_EQ(picture.at(0, 0), 0xFFFFFFu ^ 0u);    // AND 0, XOR white
    EXPECT_EQ(picture.at(1, 1), 0x102030u);         // transparent ring kept the screen
    drawPointer(picture, smallPointer(4, 4), 0, 0); // centre just outside
    EXPECT_EQ(picture.at(3, 3), 0x102030u);
    drawPointer(picture, smallPointer(3, 3), 0, 0);
    EXPECT_EQ(picture.at(3, 3), 0xFFFFFFu);
    // Far outside, with positions at the ends of the int range: nothing drawn, no wrap.
    imaging::Picture before = picture;
    drawPointer(picture, smallPointer(2147483647, -2147483647 - 1), -5, 5);
    EXPECT_EQ(picture.pixels, before.pixels);

    // An inverting pixel (mask 1, XOR white) flips the screen colour.
    CursorState invert = smallPointer(1, 1);
    invert.image.andMask[4] = 1;
    drawPointer(picture, invert, 0, 0);
    EXPECT_EQ(picture.at(1, 1), 0x102030u ^ 0xFFFFFFu);

    invert.visible = false;
    before = picture;
    drawPointer(picture, invert, 0, 0);
    EXPECT_EQ(picture.pixels, before.pixels);
}

TEST(DrawPointer, BlendsAlphaImages) {
    imaging::Picture picture(3, 3, 0x0000FF);
    CursorState c = smallPointer(1, 1, true);
    c.image.pixels[0] = 0x80FFFFFFu; // half-transparent white over blue
    drawPointer(picture, c, 0, 0);
    EXPECT_EQ(picture.at(1, 1), 0xFF0000u);
    EXPECT_EQ(picture.at(0, 0), 0x8080FFu);
    EXPECT_EQ(picture.at(2, 2), 0x0000FFu);
}

} // namespace
} // namespace pictorn::capture
