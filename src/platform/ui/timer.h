#pragma once
// A timer of a form: while enabled with a non-zero interval it ticks every interval
// milliseconds on the user-interface thread.
#include "platform/ui/control.h"

namespace pictorn::ui {

class Timer : public Control {
public:
    using Control::Control;
    int interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool running() const { return enabled() && interval_ > 0; }
    // Called by the platform (or a test) when the interval has passed.
    void tick() {
        if (running())
            fire(Tick);
    }
    Event<> Tick;

private:
    int interval_ = 0;
};

} // namespace pictorn::ui
