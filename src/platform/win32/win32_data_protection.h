#pragma once
#include "platform/data_protection.h"

namespace pictorn::platform::win32 {

// CryptProtectData for the current user, never showing a prompt.
class Win32DataProtection final : public DataProtection {
public:
    std::optional<std::string> protect(std::string_view plain) override;
    std::optional<std::string> unprotect(std::string_view sealed) override;
};

} // namespace pictorn::platform::win32
