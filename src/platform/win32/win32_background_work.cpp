#include "platform/win32/win32_background_work.h"

namespace pictorn::platform::win32 {

Win32BackgroundWork::Win32BackgroundWork() = default;

Win32BackgroundWork::~Win32BackgroundWork() {
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (worker_.joinable())
        worker_.join();
    // Results nobody will look at any more go with the mailbox, without running.
}

void Win32BackgroundWork::start(std::function<void()> job, std::function<void()> done) {
    std::unique_lock lock(mutex_);
    queue_.push_back(Item{std::move(job), std::move(done)});
    if (!worker_.joinable())
        worker_ = std::thread([this] { work(); });
    changed_.notify_all();
}

void Win32BackgroundWork::waitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !running_; });
}

void Win32BackgroundWork::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return; // stopping, and every job has run
        Item item = std::move(queue_.front());
        queue_.pop_front();
        running_ = true;
        lock.unlock();
        try {
            item.job();
        } catch (...) {
            // The job's own report is all there is; the worker goes on with the next one.
        }
        item.job = nullptr; // what the job held is let go before anyone is told it ended
        if (item.done)
            mailbox_.post(std::move(item.done));
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

} // namespace pictorn::platform::win32
