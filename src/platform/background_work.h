#pragma once
// Work that must not hold up the user-interface thread (encoding and writing a picture):
// one worker runs the jobs in the order they were started, and each job's `done` comes
// back to the user-interface thread through its message loop.
#include <functional>

namespace pictorn::platform {

class BackgroundWork {
public:
    virtual ~BackgroundWork() = default;
    // Runs `job` on the worker once every job started before it has finished; `done` then
    // runs on the user-interface thread. A job reports its own failures; one that throws
    // anyway is ended and its `done` still runs.
    virtual void start(std::function<void()> job, std::function<void()> done) = 0;
    // Returns once every job started so far has finished; their `done` may still be due.
    virtual void waitIdle() = 0;
};

} // namespace pictorn::platform
