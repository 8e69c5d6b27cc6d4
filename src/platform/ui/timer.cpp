#include "platform/ui/timer.h"

namespace pictorn::ui {

void Timer::setInterval(int milliseconds) {
    if (interval_ == milliseconds)
        return;
    interval_ = milliseconds;
    changed(Property::Interval);
}

} // namespace pictorn::ui
