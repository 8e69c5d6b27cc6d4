#pragma once
#include "platform/launcher.h"

namespace pictorn::platform::win32 {

class Win32Launcher final : public Launcher {
public:
    std::uint32_t startProgram(std::string_view commandLine) override;
    void openWithShell(std::string_view target, std::string_view workingFolder = {}) override;
};

} // namespace pictorn::platform::win32
