#include "platform/win32/win32_clock.h"

#include <windows.h>

namespace pictorn::platform::win32 {

LocalTime Win32Clock::now() {
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

// GetTickCount64 does not wrap after 49 days as GetTickCount does.
std::int64_t Win32Clock::monotonicMs() {
    return static_cast<std::int64_t>(GetTickCount64());
}

} // namespace pictorn::platform::win32
