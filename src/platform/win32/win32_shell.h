#pragma once
#include "platform/shell.h"

namespace pictorn::platform::win32 {

class Win32Shell final : public Shell {
public:
    std::string specialFolderPath(int csidl) override;
    std::string programFolder() override;
    std::string programName() override;
};

} // namespace pictorn::platform::win32
