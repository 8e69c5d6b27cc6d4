#pragma once
// The screen grabs every capture command starts from: the whole (virtual) screen, the
// foreground window with its frame, or any screen rectangle, plus the pointer drawn in.
#include "imaging/picture.h"
#include "platform/screen_capture.h"

#include <optional>

namespace pictorn::capture {

// A grabbed picture and the screen position of its top-left pixel.
struct ScreenGrab {
    imaging::Picture picture;
    int originX = 0, originY = 0;
};

int monitorCount(platform::ScreenCapture& screen);

// The pixels of a screen rectangle (pixels, screen coordinates).
imaging::Picture grabWindowArea(platform::ScreenCapture& screen, const platform::PixelRect& area);

// The whole foreground window, frame and title bar included; the grab's origin is the
// window's top-left corner on the screen. Nothing when no window is in the foreground.
// `storage`: pixel memory to grab into (see FrameRecycler), or none.
std::optional<ScreenGrab> grabForegroundWindow(platform::ScreenCapture& screen,
                                               std::vector<std::uint32_t> storage = {});

// The primary screen, or with several monitors the whole virtual screen from its real
// top-left corner, so monitors left of or above the primary one are included.
// What a full-screen capture grabs: see grabScreen.
platform::PixelRect screenArea(platform::ScreenCapture& screen);
ScreenGrab grabScreen(platform::ScreenCapture& screen, std::vector<std::uint32_t> storage = {});

// Draws the pointer as it is now into a grab, placed by its hot spot.
void drawCurrentPointer(platform::ScreenCapture& screen, ScreenGrab& grab);

} // namespace pictorn::capture
