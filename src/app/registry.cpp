#include "app/registry.h"

#include <array>
#include <cstdint>
#include <span>

namespace pictorn::app {

using platform::RegHandle;

namespace {

struct HiveName {
    std::string_view name;
    RegHandle handle;
};

constexpr std::array<HiveName, 7> kHives{{
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
    {"HKEY_USERS", kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", kHkeyPerformanceData},
    {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
    {"HKEY_DYN_DATA", kHkeyDynData},
}};

// Closes the opened key however the operation ends, so no key outlives one operation.
class OpenKey {
public:
    OpenKey(platform::RegistryApi& api, RegHandle key) : api_(api), key_(key) {}
    ~OpenKey() { api_.closeKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

private:
    platform::RegistryApi& api_;
    RegHandle key_;
};

} // namespace

RegHandle Registry::HiveFromName(std::string_view name) {
    for (const auto& hive : kHives) {
        if (hive.name == name) {
            return hive.handle;
        }
    }
    return 0;
}

void Registry::ParseKeyPath(std::string& keyPath, RegHandle& hive) {
    hive = 0;
    if (!keyPath.starts_with("HKEY_") || keyPath.ends_with('\\')) {
        std::string text = "Incorrect Format:";
        text += "\n\n";
        text += keyPath;
        messageBox_.show(text, platform::mb::kOk, kProgramName);
        return;
    }
    const auto separator = keyPath.find('\\');
    if (separator == std::string::npos) {
        hive = HiveFromName(keyPath);
        keyPath.clear();
    } else {
        hive = HiveFromName(std::string_view(keyPath).substr(0, separator));
        keyPath.erase(0, separator + 1);
    }
}

bool Registry::open(std::string_view keyPath, std::uint32_t access, RegHandle& hive,
                    RegHandle& key) {
    std::string subKey(keyPath);
    ParseKeyPath(subKey, hive);
    if (hive == 0) {
        return false;
    }
    key = 0;
    return api_.openKey(hive, subKey, access, key) == platform::kRegOk;
}

void Registry::CreateKey(std::string_view keyPath) {
    std::string subKey(keyPath);
    RegHandle hive = 0;
    ParseKeyPath(subKey, hive);
    if (hive != 0) {
        api_.createKey(hive, subKey);
    }
}

void Registry::WriteTextValue(std::string_view keyPath, std::string_view name,
                              std::string_view text) {
    RegHandle hive = 0, key = 0;
    if (!open(keyPath, platform::kKeyWrite, hive, key)) {
        return;
    }
    OpenKey closer(api_, key);
    api_.setText(key, name, text);
}

std::optional<std::string> Registry::ReadTextValue(std::string_view keyPath,
                                                   std::string_view name) {
    RegHandle hive = 0, key = 0;
    if (!open(keyPath, platform::kKeyRead, hive, key)) {
        return hive == 0 ? std::optional(std::string()) : std::nullopt;
    }
    OpenKey closer(api_, key);
    std::string text;
    if (api_.queryText(key, name, text) != platform::kRegOk) {
        return std::nullopt;
    }
    return text;
}

void Registry::WriteBinaryValue(std::string_view keyPath, std::string_view name,
                                std::string_view text) {
    RegHandle hive = 0, key = 0;
    if (!open(keyPath, platform::kKeyWrite, hive, key)) {
        return;
    }
    OpenKey closer(api_, key);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    api_.setBinary(key, name, bytes);
}

std::optional<std::string> Registry::ReadBinaryValue(std::string_view keyPath,
                                                     std::string_view name) {
    RegHandle hive = 0, key = 0;
    if (!open(keyPath, platform::kKeyRead, hive, key)) {
        return hive == 0 ? std::optional(std::string()) : std::nullopt;
    }
    OpenKey closer(api_, key);
    std::string bytes;
    if (api_.queryBinary(key, name, bytes) != platform::kRegOk) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace pictorn::app
