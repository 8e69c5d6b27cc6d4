#pragma once
// One worker thread for the jobs, and a mailbox that brings each job's `done` back to the
// thread that made this object (the user-interface thread).
#include "platform/background_work.h"
#include "platform/win32/thread_mailbox.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pictorn::platform::win32 {

class Win32BackgroundWork : public BackgroundWork {
public:
    Win32BackgroundWork();
    ~Win32BackgroundWork() override;
    Win32BackgroundWork(const Win32BackgroundWork&) = delete;
    Win32BackgroundWork& operator=(const Win32BackgroundWork&) = delete;

    void start(std::function<void()> job, std::function<void()> done) override;
    void waitIdle() override;

private:
    struct Item {
        std::function<void()> job;
        std::function<void()> done;
    };
    void work();

    ThreadMailbox mailbox_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Item> queue_;
    bool running_ = false; // a job is being run
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace pictorn::platform::win32
