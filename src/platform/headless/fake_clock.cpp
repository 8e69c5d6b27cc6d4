#include "platform/headless/fake_clock.h"

#include <chrono>

namespace pictorn::headless {

void FakeClock::advance(std::int64_t ms) {
    using namespace std::chrono;
    monotonic += ms;
    subSecondMs_ += ms;
    const std::int64_t wholeSeconds = subSecondMs_ / 1000;
    subSecondMs_ %= 1000;

    const sys_days date = year_month_day{year{time.year}, month{static_cast<unsigned>(time.month)},
                                         day{static_cast<unsigned>(time.day)}};
    const sys_seconds moved = date + hours{time.hour} + minutes{time.minute} +
                              seconds{time.second} + seconds{wholeSeconds};
    const sys_days newDate = floor<days>(moved);
    const year_month_day ymd{newDate};
    const hh_mm_ss clockTime{moved - newDate};
    time.year = static_cast<int>(ymd.year());
    time.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    time.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    time.hour = static_cast<int>(clockTime.hours().count());
    time.minute = static_cast<int>(clockTime.minutes().count());
    time.second = static_cast<int>(clockTime.seconds().count());
}

} // namespace pictorn::headless
