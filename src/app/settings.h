#pragma once
// The one settings key of the current user, where every value of the program lives flat,
// read and written by name. What the values mean, their defaults and texts are with their
// owners: the preference table (app/preference_table.h), the mail and FTP windows' tables
// (app/mail_ftp_settings.h).
#include "app/registry.h"
#include "platform/data_protection.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace pictorn::app {

inline constexpr std::string_view kSettingsKeyPath =
    "HKEY_CURRENT_USER\\Software\\Orvanta\\Pictorn";
inline constexpr std::string_view kEditorPlaceholder = "Click the browse button [...]";

// The settings key seen through the registry layer.
class SettingsStore {
public:
    SettingsStore(Registry& registry, platform::DataProtection& protection,
                  std::string keyPath = std::string(kSettingsKeyPath))
        : registry_(registry), protection_(protection), keyPath_(std::move(keyPath)) {}

    void createKey();
    // A text value as stored; nothing when it cannot be read (missing, or of another type).
    std::optional<std::string> readText(std::string_view name);
    void writeText(std::string_view name, std::string_view text);
    // Passwords are stored as byte values, sealed for the current user (password_storage.h);
    // the scrambled form of older versions is still read. A failed read, or a seal that does
    // not open, gives an empty password; scrambled bytes that cannot be unscrambled raise
    // AppError 5 (loaders ignore it).
    void writePassword(std::string_view name, std::string_view password);
    std::string readPassword(std::string_view name);

    const std::string& keyPath() const { return keyPath_; }

private:
    Registry& registry_;
    platform::DataProtection& protection_;
    std::string keyPath_;
};

} // namespace pictorn::app
