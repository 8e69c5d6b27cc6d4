#pragma once
// The only code that touches the settings store. Keys are named by full textual paths
// ("HKEY_CURRENT_USER\Software\Orvanta\Pictorn"); a read that fails answers nothing
// instead of raising, so any stored text, "Error" too, reads back as itself.
#include "platform/message_box.h"
#include "platform/registry_api.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pictorn::app {

inline constexpr std::string_view kProgramName = "Pictorn";

inline constexpr platform::RegHandle kHkeyClassesRoot = 0x80000000;
inline constexpr platform::RegHandle kHkeyCurrentUser = 0x80000001;
inline constexpr platform::RegHandle kHkeyLocalMachine = 0x80000002;
inline constexpr platform::RegHandle kHkeyUsers = 0x80000003;
inline constexpr platform::RegHandle kHkeyPerformanceData = 0x80000004;
inline constexpr platform::RegHandle kHkeyCurrentConfig = 0x80000005;
inline constexpr platform::RegHandle kHkeyDynData = 0x80000006;

class Registry {
public:
    Registry(platform::RegistryApi& api, platform::MessageBoxService& messageBox)
        : api_(api), messageBox_(messageBox) {}

    // Creates the key and its missing parents; failures are silent.
    void CreateKey(std::string_view keyPath);
    // Writes into an existing key only; failures are silent.
    void WriteTextValue(std::string_view keyPath, std::string_view name, std::string_view text);
    // The stored text exactly as written; nothing when it cannot be read (missing key or
    // value, a value of another type); empty for a path that names no hive.
    std::optional<std::string> ReadTextValue(std::string_view keyPath, std::string_view name);
    // Byte values hold text one byte per character, where a character is one byte of the
    // UTF-8 text: any text survives, and plain ASCII is exactly one byte per character.
    void WriteBinaryValue(std::string_view keyPath, std::string_view name, std::string_view text);
    std::optional<std::string> ReadBinaryValue(std::string_view keyPath, std::string_view name);

    // Splits "HIVE\sub\key" into the hive handle and the sub-key, which replaces keyPath.
    // A malformed path is reported in a box and yields hive 0 (the caller does nothing).
    void ParseKeyPath(std::string& keyPath, platform::RegHandle& hive);
    static platform::RegHandle HiveFromName(std::string_view name);

private:
    // Parses the path and opens the key; false (and nothing open) when either fails.
    bool open(std::string_view keyPath, std::uint32_t access, platform::RegHandle& hive,
              platform::RegHandle& key);

    platform::RegistryApi& api_;
    platform::MessageBoxService& messageBox_;
};

} // namespace pictorn::app
