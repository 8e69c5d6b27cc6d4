#pragma once

#include <cstddef>
#include <functional>

namespace pictorn::imaging {

// Work on one band of a picture; made once per thread, so it may keep its own buffers.
using BandWork = std::function<void(std::size_t band)>;

// Runs the work for every band below `count` on up to `threads` threads (0: one per core),
// the calling thread among them, taking bands in order. Fewer threads when the system has
// no more to give. The first failure is rethrown once every thread has stopped.
void forEachBand(std::size_t count, unsigned threads, const std::function<BandWork()>& makeWork);

} // namespace pictorn::imaging
