#include "platform/ui/background_job.h"

#include <chrono>

namespace pictorn::ui {

namespace detail {

void JobChannel::deliver(std::function<void()> event) {
    std::lock_guard lock(mutex);
    if (closed.load())
        return;
    events.push_back(std::move(event));
    if (!runPosted) {
        // One task at a time carries whatever has arrived: a window thread held for long
        // finds one task, not thousands.
        runPosted = true;
        ui.post([self = shared_from_this()] { self->runEvents(); });
    }
}

void JobChannel::finish() {
    std::lock_guard lock(mutex);
    finished = true;
    ended.notify_all();
    // Wakes a window thread that waits for events.
    if (!closed.load() && !runPosted) {
        runPosted = true;
        ui.post([self = shared_from_this()] { self->runEvents(); });
    }
}

void JobChannel::runEvents() {
    std::deque<std::function<void()>> due;
    {
        std::lock_guard lock(mutex);
        due.swap(events);
        runPosted = false;
    }
    for (auto& event : due) {
        if (closed.load())
            return; // an event closed the window
        event();
    }
}

bool JobChannel::waitFinished(int milliseconds) {
    std::unique_lock lock(mutex);
    return ended.wait_for(lock, std::chrono::milliseconds(milliseconds),
                          [this] { return finished; });
}

} // namespace detail

JobBase::JobBase(UiToolkit& ui) : channel_(std::make_shared<detail::JobChannel>(ui)) {}

JobBase::~JobBase() {
    {
        std::lock_guard lock(channel_->mutex);
        channel_->closed.store(true);
        channel_->events.clear();
    }
    abort();
    if (!worker_.joinable())
        return;
    if (channel_->waitFinished(waitedInVain_ ? 0 : kEndWaitMs))
        worker_.join();
    else
        worker_.detach(); // holds only what the channel and its own closure keep alive
}

void JobBase::start(std::function<void()> body) {
    worker_ = std::thread([channel = channel_, body = std::move(body)] {
        body();
        channel->finish();
    });
}

bool JobBase::finished() const {
    std::lock_guard lock(channel_->mutex);
    return channel_->finished;
}

bool JobBase::waitWhileOpen(const Form& window, int sliceMs) {
    while (!finished() && window.loaded())
        channel_->ui.waitEvents(sliceMs);
    return finished();
}

bool JobBase::abortAndWait(int milliseconds) {
    abort();
    const bool ended = channel_->waitFinished(milliseconds);
    waitedInVain_ = waitedInVain_ || !ended;
    return ended;
}

void JobBase::settle() {
    if (worker_.joinable())
        worker_.join();
    channel_->runEvents();
}

} // namespace pictorn::ui
