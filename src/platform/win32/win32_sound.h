#pragma once
#include "platform/sound.h"

namespace pictorn::platform::win32 {

class Win32Sound final : public Sound {
public:
    bool hasWaveDevice() override;
    bool playFileAsync(std::string_view path) override;
    void beep() override;
};

} // namespace pictorn::platform::win32
