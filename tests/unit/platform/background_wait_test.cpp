#include "platform/background_wait.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace pictorn::platform {
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point in(int ms) {
    return Clock::now() + std::chrono::milliseconds(ms);
}

TEST(BackgroundWait, HandsBackTheResultOrGivesUpOnAHangingCall) {
    std::string result;
    auto done = waitInBackground([] { return std::string("resolved"); }, result, in(10000), {},
                                 "lookup timed out");
    ASSERT_TRUE(done.ok());
    EXPECT_EQ(result, "resolved");

    // A call that hangs until released: the wait ends on time or on abort all the same, and
    // the late result is dropped without touching ours.
    std::promise<void> release;
    auto released = release.get_future().share();
    auto hanging = [released] {
        released.wait();
        return std::string("late");
    };
    result = "untouched";
    auto timedOut = waitInBackground(hanging, result, in(200), {}, "lookup timed out");
    EXPECT_EQ(timedOut.status, NetStatus::TimedOut);
    EXPECT_EQ(timedOut.detail, "lookup timed out");

    const auto stopAt = in(200);
    const auto start = Clock::now();
    auto aborted = waitInBackground(
        hanging, result, in(60000), [stopAt] { return Clock::now() >= stopAt; }, "unused");
    EXPECT_EQ(aborted.status, NetStatus::Aborted);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 2.0);
    EXPECT_EQ(result, "untouched");
    release.set_value();
}

} // namespace
} // namespace pictorn::platform
