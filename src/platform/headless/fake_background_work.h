#pragma once
// Background work for tests: by default each job and its `done` run at once, in place; a
// test that holds the jobs sees the moment between starting a write and its end, and lets
// them finish when it chooses (or when the program waits for them).
#include "platform/background_work.h"

#include <deque>
#include <utility>

namespace pictorn::headless {

class FakeBackgroundWork : public platform::BackgroundWork {
public:
    void start(std::function<void()> job, std::function<void()> done) override {
        ++started;
        queued_.emplace_back(std::move(job), std::move(done));
        if (!hold)
            finishAll();
    }
    void waitIdle() override {
        if (!queued_.empty())
            ++waitsForWork;
        finishAll();
    }
    // Runs the queued jobs in order, each followed by its `done`.
    void finishAll() {
        while (!queued_.empty()) {
            auto [job, done] = std::move(queued_.front());
            queued_.pop_front();
            job();
            if (done)
                done();
        }
    }
    std::size_t queued() const { return queued_.size(); }

    bool hold = false;
    int started = 0;
    int waitsForWork = 0; // waits that found work in progress

private:
    std::deque<std::pair<std::function<void()>, std::function<void()>>> queued_;
};

} // namespace pictorn::headless
