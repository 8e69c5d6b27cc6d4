#pragma once
// How the settings targets turn fuzz input into a settings store: the input is split at
// zero bytes into one value per stored name -- the preference table's, then the mail and
// FTP windows' (an empty piece leaves that value missing); the first byte of each value picks
// its stored type.
#include "app/mail_ftp_settings.h"
#include "app/preference_table.h"
#include "app/registry.h"
#include "platform/headless/memory_registry.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

inline void plantStoredSettings(pictorn::headless::MemoryRegistry& registry,
                                std::string_view input) {
    using namespace pictorn;
    constexpr std::uint32_t kTypes[] = {1 /* REG_SZ */, 2 /* REG_EXPAND_SZ */, 3 /* REG_BINARY */,
                                        4 /* REG_DWORD */};
    constexpr std::string_view key = "Software\\Orvanta\\Pictorn";
    std::vector<std::string_view> names;
    for (const app::PreferenceRow& row : app::preferenceTable().rows())
        names.push_back(row.name);
    for (const auto& row : app::mailSettingsTable().rows())
        names.push_back(row.name);
    for (const auto& row : app::ftpSettingsTable().rows())
        names.push_back(row.name);
    for (std::string_view name : names) {
        if (input.empty())
            break;
        const std::size_t end = std::min(input.find('\0'), input.size());
        std::string_view value = input.substr(0, end);
        input.remove_prefix(std::min(end + 1, input.size()));
        if (value.empty())
            continue;
        const std::uint32_t type = kTypes[static_cast<unsigned char>(value[0]) % 4];
        value.remove_prefix(1);
        registry.plant(app::kHkeyCurrentUser, key, name, type, value);
    }
}
