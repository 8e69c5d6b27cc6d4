#pragma once
#include "platform/registry_api.h"

#include <windows.h>

namespace pictorn::platform::win32 {

// The registry through the Unicode advapi32 calls; status codes are the system's own.
class Win32Registry final : public RegistryApi {
public:
    long createKey(RegHandle hive, std::string_view subKey) override;
    long openKey(RegHandle hive, std::string_view subKey, std::uint32_t access,
                 RegHandle& key) override;
    long setText(RegHandle key, std::string_view name, std::string_view text) override;
    long setBinary(RegHandle key, std::string_view name,
                   std::span<const std::uint8_t> bytes) override;
    long queryText(RegHandle key, std::string_view name, std::string& text) override;
    long queryBinary(RegHandle key, std::string_view name, std::string& bytes) override;
    long closeKey(RegHandle key) override;
};

// 0x80000000.. are the hives as the program names them; on 64-bit Windows the real
// predefined HKEYs are the sign-extended values, so they are translated here.
HKEY toHkey(RegHandle handle) noexcept;
RegHandle fromHkey(HKEY key) noexcept;

} // namespace pictorn::platform::win32
