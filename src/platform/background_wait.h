#pragma once
// Runs a call that cannot be interrupted (a host name lookup) on a thread of its own and
// waits for it like any other network wait: in 100 ms slices that ask the abort check, up to
// the deadline. A call given up on finishes in the background and its result is dropped.
#include "platform/network.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace pictorn::platform {

template <typename Result, typename Work>
NetResult waitInBackground(Work work, Result& result,
                           std::chrono::steady_clock::time_point deadline, const AbortCheck& abort,
                           const char* timeoutDetail) {
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> value;
    };
    auto state = std::make_shared<State>();
    try {
        std::thread([state, work = std::move(work)]() mutable {
            Result value = work();
            std::lock_guard lock(state->mutex);
            state->value.emplace(std::move(value));
            state->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return NetResult{NetStatus::Failed, 0, "cannot start a thread"};
    }
    std::unique_lock lock(state->mutex);
    while (!state->value) {
        if (abort && abort()) {
            return NetResult{NetStatus::Aborted, 0, "aborted"};
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return NetResult{NetStatus::TimedOut, 0, timeoutDetail};
        }
        state->done.wait_for(lock, std::chrono::milliseconds(100));
    }
    result = std::move(*state->value);
    return {};
}

} // namespace pictorn::platform
