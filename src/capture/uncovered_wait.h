#pragma once
// Waiting, after the main window was hidden, until the screen no longer shows it: with a
// compositor for its next frame, without one until the windows beneath have repainted the
// area it covered. Neither is a guess at how long a repaint takes, so the grab comes as
// soon as it can and never holds the window.
#include "imaging/picture.h"
#include "platform/clock.h"
#include "platform/screen_capture.h"

#include <functional>
#include <optional>

namespace pictorn::capture {

// What the screen showed where a window is about to be hidden.
struct CoveredArea {
    platform::PixelRect area;
    imaging::Picture before;

    bool empty() const { return area.empty() || before.empty(); }
};

// The window's rectangle grown by a few pixels (window managers draw frames around what a
// window reports) and clipped to the screen, as it looks now.
CoveredArea recordCoveredArea(platform::ScreenCapture& screen, platform::PixelRect window);

// True when every tile of `tile` x `tile` pixels differs somewhere from `before`: nothing
// of what was there is left whole. Pictures of different sizes never count as repainted.
bool repaintedEverywhere(const imaging::Picture& before, const imaging::Picture& now,
                         int tile = 16);

// Returns once the area is repainted everywhere and looks the same twice in a row (a
// repaint in progress has finished), or after `capMs` on the monotonic clock. `pump` lets
// the program's own windows run for up to the given milliseconds between looks. With a
// compositor its frame replaces the pause, and one look after it is enough.
// Returns the milliseconds waited.
std::int64_t waitUntilUncovered(platform::ScreenCapture& screen, const CoveredArea& covered,
                                platform::Clock& clock, const std::function<void(int)>& pump,
                                int capMs);

// The grab the capture will take once the wait is over, of a rectangle that holds the
// covered area.
struct GrabOffer {
    platform::PixelRect area;
    std::function<imaging::Picture()> grab;
};

// The same wait, where the capture's own grab serves as the second of the two looks: once
// a look finds the area repainted, the grab is taken, and when it shows the area as that
// look did it is the capture (one look and its pause fewer). Without a compositor only;
// nothing when the grab was not taken or disagreed (the caller then grabs after the wait).
std::optional<imaging::Picture> grabWhenUncovered(platform::ScreenCapture& screen,
                                                  const CoveredArea& covered,
                                                  platform::Clock& clock,
                                                  const std::function<void(int)>& pump, int capMs,
                                                  const GrabOffer& offer);

} // namespace pictorn::capture
