#pragma once
// Sealing secrets (stored passwords) so that only the current user on this machine can
// open them again: CryptProtectData on Windows, an in-memory stand-in in tests.
#include <optional>
#include <string>
#include <string_view>

namespace pictorn::platform {

class DataProtection {
public:
    virtual ~DataProtection() = default;
    // The sealed bytes, or nothing when the system cannot seal.
    virtual std::optional<std::string> protect(std::string_view plain) = 0;
    // The plain bytes, or nothing when the data is damaged or was sealed for someone else.
    virtual std::optional<std::string> unprotect(std::string_view sealed) = 0;
};

} // namespace pictorn::platform
