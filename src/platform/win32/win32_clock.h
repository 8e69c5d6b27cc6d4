#pragma once
#include "platform/clock.h"

namespace pictorn::platform::win32 {

class Win32Clock final : public Clock {
public:
    LocalTime now() override;
    std::int64_t monotonicMs() override;
};

} // namespace pictorn::platform::win32
