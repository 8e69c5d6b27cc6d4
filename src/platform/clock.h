#pragma once
#include <cstdint>

namespace pictorn::platform {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
    // Milliseconds on a clock that never goes back (waits are measured on it).
    virtual std::int64_t monotonicMs() = 0;
};

} // namespace pictorn::platform
