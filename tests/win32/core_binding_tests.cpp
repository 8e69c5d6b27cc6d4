// The affinity the binding gives: the caller held on the core it runs on and let go after, a
// helper made on its own thread kept off that core from another.
#include "platform/win32/win32_core_binding.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <bit>
#include <future>
#include <thread>

namespace pictorn::platform::win32 {
namespace {

// What the thread may run on: setting an affinity answers with the one before.
DWORD_PTR affinityOf(HANDLE thread, DWORD_PTR cores) {
    const DWORD_PTR now = SetThreadAffinityMask(thread, cores);
    SetThreadAffinityMask(thread, now);
    return now;
}

TEST(CoreBinding, HoldsTheCallerOnItsCoreAndKeepsAHelperOffIt) {
    DWORD_PTR cores = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &cores, &system));
    if (std::popcount(cores) < 2) {
        GTEST_SKIP() << "one core: nothing to keep apart";
    }
    Win32CoreBinding binding;
    const DWORD_PTR before = affinityOf(GetCurrentThread(), cores);

    std::promise<std::unique_ptr<imaging::CoreBinding::Helper>> made;
    std::promise<void> keptOff;
    std::promise<std::pair<DWORD_PTR, DWORD>> seen;
    std::thread helper([&] {
        made.set_value(binding.thisHelper());
        keptOff.get_future().wait();
        Sleep(0);
        seen.set_value({affinityOf(GetCurrentThread(), cores), GetCurrentProcessorNumber()});
    });
    const auto bound = made.get_future().get();
    {
        const auto held = binding.holdThisThread();
        const int core = held->core();
        ASSERT_GE(core, 0);
        const DWORD_PTR bit = DWORD_PTR{1} << core;
        EXPECT_EQ(affinityOf(GetCurrentThread(), cores), bit);
        EXPECT_EQ(GetCurrentProcessorNumber(), static_cast<DWORD>(core));

        bound->keepOff(core);
        keptOff.set_value();
        const auto [helperCores, helperCore] = seen.get_future().get();
        EXPECT_EQ(helperCores, cores & ~bit);
        EXPECT_NE(helperCore, static_cast<DWORD>(core));
    }
    helper.join();
    EXPECT_EQ(affinityOf(GetCurrentThread(), cores), before) << "let go as it was";
}

} // namespace
} // namespace pictorn::platform::win32
