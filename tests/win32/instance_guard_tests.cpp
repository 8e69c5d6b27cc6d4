#include "platform/win32/win32_instance_guard.h"

#include <gtest/gtest.h>

#include <memory>

namespace pictorn::platform::win32 {
namespace {

// A name of the test's own, so a running Pictorn is neither disturbed nor in the way.
std::string testProgramId() {
    return "PictornTest-" + std::to_string(GetCurrentProcessId());
}

TEST(InstanceGuard, SecondClaimFailsUntilTheFirstHolderIsGone) {
    auto first = std::make_unique<Win32InstanceGuard>(testProgramId());
    ASSERT_TRUE(first->claim());
    EXPECT_TRUE(first->claim()); // asking again does not lose it

    Win32InstanceGuard second(testProgramId());
    EXPECT_FALSE(second.claim());
    EXPECT_FALSE(second.claim());

    first.reset();
    Win32InstanceGuard third(testProgramId());
    EXPECT_TRUE(third.claim());
    Win32InstanceGuard otherProgram(testProgramId() + "-other");
    EXPECT_TRUE(otherProgram.claim());
}

TEST(InstanceGuard, NameIsPerUser) {
    const std::wstring sid = currentUserSid();
    ASSERT_EQ(sid.rfind(L"S-1-", 0), 0u);
    Win32InstanceGuard guard("Pictorn");
    EXPECT_EQ(guard.mutexName().rfind(L"Local\\Pictorn", 0), 0u);
    EXPECT_NE(guard.mutexName().find(sid), std::wstring::npos);
}

} // namespace
} // namespace pictorn::platform::win32
