#pragma once

#include <cstddef>
#include <functional>
#include <future>
#include <system_error>
#include <utility>

namespace pictorn::imaging {

// Work on one band of a picture; made once per thread, so it may keep its own buffers.
using BandWork = std::function<void(std::size_t band)>;

// Runs the work for every band below `count` on up to `threads` threads (0: one per core),
// the calling thread among them, taking bands in order. Fewer threads when the system has
// no more to give. The first failure is rethrown once every thread has stopped.
void forEachBand(std::size_t count, unsigned threads, const std::function<BandWork()>& makeWork);

// As forEachBand on every core, and `finished(from, to)` on the calling thread for the bands in
// order, as soon as they and those before them are worked, as many at once as are there: the
// caller hands them on (shows them) while the other threads work on the next ones, and works
// bands itself while the next to hand on is not there yet. A pass run from within a band's
// work runs on its own thread.
void forEachBandInOrder(std::size_t count, const std::function<BandWork()>& makeWork,
                        const std::function<void(std::size_t from, std::size_t to)>& finished);

// A pass over rows [top, bottom) of `width` pixels each: `rows(from, to)` for bands of rows,
// on every core once the pass is large enough to gain from it, else all on the calling thread.
// Each band is finished (streamed stores fenced) before this returns.
void forEachRowBand(int top, int bottom, int width, const std::function<void(int, int)>& rows);

// make() on a thread of its own; an empty future when the system has no thread to give, and
// the caller makes it itself when it needs it.
template <class Make> auto inBackground(Make make) -> std::future<decltype(make())> {
    try {
        return std::async(std::launch::async, std::move(make));
    } catch (const std::system_error&) {
        return {};
    }
}

} // namespace pictorn::imaging
