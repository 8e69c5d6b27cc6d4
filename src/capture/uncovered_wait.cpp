#include "capture/uncovered_wait.h"

#include <algorithm>
#include <cstring>

namespace pictorn::capture {

namespace {

// Frames of window managers lie outside what the window reports; a few pixels of margin
// take them along, while every edge tile still holds pixels of the window itself.
constexpr int kMargin = 4;
constexpr int kLookPauseMs = 4;

platform::PixelRect clipped(const platform::PixelRect& a, const platform::PixelRect& b) {
    const int left = std::max(a.left, b.left);
    const int top = std::max(a.top, b.top);
    const int right = std::min(a.right(), b.right());
    const int bottom = std::min(a.bottom(), b.bottom());
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

bool samePixels(const imaging::Picture& a, const imaging::Picture& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

bool holds(const platform::PixelRect& outer, const platform::PixelRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right() &&
           inner.bottom() <= outer.bottom();
}

// The part `area` of a picture taken of `whole`, which holds it.
imaging::Picture cut(const imaging::Picture& picture, const platform::PixelRect& whole,
                     const platform::PixelRect& area) {
    imaging::Picture part(area.width, area.height);
    for (int y = 0; y < area.height; ++y) {
        const std::uint32_t* from =
            picture.row(area.top - whole.top + y) + (area.left - whole.left);
        std::copy(from, from + area.width, part.row(y));
    }
    return part;
}

struct WaitResult {
    std::int64_t waitedMs = 0;
    std::optional<imaging::Picture> grab;
};

WaitResult waitOrGrab(platform::ScreenCapture& screen, const CoveredArea& covered,
                      platform::Clock& clock, const std::function<void(int)>& pump, int capMs,
                      const GrabOffer* offer) {
    const std::int64_t start = clock.monotonicMs();
    if (covered.empty())
        return {};
    const std::int64_t deadline = start + capMs;
    const bool offered = offer && offer->grab && holds(offer->area, covered.area);
    imaging::Picture last;
    for (;;) {
        // The compositor's frame is the better pause: after it the screen is final.
        const bool composed = screen.waitForCompositor();
        if (!composed && pump)
            pump(kLookPauseMs);
        imaging::Picture now = screen.look(covered.area);
        const bool repainted = repaintedEverywhere(covered.before, now);
        if (repainted && (composed || samePixels(last, now)))
            break;
        if (repainted && offered && !composed) {
            imaging::Picture whole = offer->grab();
            imaging::Picture there = cut(whole, offer->area, covered.area);
            if (samePixels(there, now))
                return {clock.monotonicMs() - start, std::move(whole)};
            // Still being repainted: the next look is compared with the newest pixels.
            now = std::move(there);
        }
        if (clock.monotonicMs() >= deadline)
            break;
        last = std::move(now);
    }
    return {clock.monotonicMs() - start, std::nullopt};
}

} // namespace

CoveredArea recordCoveredArea(platform::ScreenCapture& screen, platform::PixelRect window) {
    window.left -= kMargin;
    window.top -= kMargin;
    window.width += 2 * kMargin;
    window.height += 2 * kMargin;
    CoveredArea covered{clipped(window, screen.virtualScreen()), {}};
    if (!covered.area.empty())
        covered.before = screen.look(covered.area);
    return covered;
}

bool repaintedEverywhere(const imaging::Picture& before, const imaging::Picture& now, int tile) {
    if (before.width != now.width || before.height != now.height || before.empty())
        return false;
    tile = std::max(tile, 1);
    for (int top = 0; top < now.height; top += tile) {
        const int rows = std::min(tile, now.height - top);
        for (int left = 0; left < now.width; left += tile) {
            const std::size_t bytes =
                static_cast<std::size_t>(std::min(tile, now.width - left)) * sizeof(std::uint32_t);
            bool changed = false;
            for (int y = top; y < top + rows && !changed; ++y)
                changed = std::memcmp(before.row(y) + left, now.row(y) + left, bytes) != 0;
            if (!changed)
                return false;
        }
    }
    return true;
}

std::int64_t waitUntilUncovered(platform::ScreenCapture& screen, const CoveredArea& covered,
                                platform::Clock& clock, const std::function<void(int)>& pump,
                                int capMs) {
    return waitOrGrab(screen, covered, clock, pump, capMs, nullptr).waitedMs;
}

std::optional<imaging::Picture> grabWhenUncovered(platform::ScreenCapture& screen,
                                                  const CoveredArea& covered,
                                                  platform::Clock& clock,
                                                  const std::function<void(int)>& pump, int capMs,
                                                  const GrabOffer& offer) {
    return waitOrGrab(screen, covered, clock, pump, capMs, &offer).grab;
}

} // namespace pictorn::capture
