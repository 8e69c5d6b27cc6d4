#include "platform/win32/text.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_shell.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace pictorn::platform::win32 {
namespace {

TEST(Shell, AppDataIsAnExistingFolderWithoutTrailingBackslash) {
    Win32Shell shell;
    const std::string appData = shell.specialFolderPath(kCsidlAppData);
    ASSERT_FALSE(appData.empty());
    EXPECT_NE(appData.back(), '\\');
    const DWORD attributes = GetFileAttributesW(toWide(appData).c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(shell.specialFolderPath(0x7F), ""); // no such folder number
}

TEST(Shell, ProgramFolderAndNameNameTheRunningExe) {
    Win32Shell shell;
    const std::string folder = shell.programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(shell.programName(), "win32_tests");
    const std::wstring exe = toWide(folder + shell.programName() + ".exe");
    EXPECT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(Clock, LocalTimeIsPlausibleAndMonotonicNeverGoesBack) {
    Win32Clock clock;
    const LocalTime now = clock.now();
    EXPECT_GE(now.year, 2020);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.hour < 24 && now.minute < 60 && now.second < 61);
    std::int64_t last = clock.monotonicMs();
    for (int i = 0; i < 1000; ++i) {
        const std::int64_t next = clock.monotonicMs();
        ASSERT_GE(next, last);
        last = next;
    }
}

} // namespace
} // namespace pictorn::platform::win32
