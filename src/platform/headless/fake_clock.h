#pragma once
#include "platform/clock.h"

#include <cstdint>

namespace pictorn::headless {

// A clock that moves only when told: advance() moves both the wall clock and the
// monotonic clock, across minute, day, month and year boundaries (forward only).
class FakeClock : public platform::Clock {
public:
    platform::LocalTime now() override { return time; }
    std::int64_t monotonicMs() override { return monotonic; }

    void advance(std::int64_t ms);

    platform::LocalTime time{2024, 1, 1, 12, 0, 0};
    std::int64_t monotonic = 0;

private:
    std::int64_t subSecondMs_ = 0; // so that many short advances add up to seconds
};

} // namespace pictorn::headless
