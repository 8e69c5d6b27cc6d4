#include "app/settings.h"

#include "app/password_storage.h"

namespace pictorn::app {

void SettingsStore::createKey() {
    registry_.CreateKey(keyPath_);
}

std::optional<std::string> SettingsStore::readText(std::string_view name) {
    std::string value = registry_.ReadTextValue(keyPath_, name);
    if (value == kFailureMarker)
        return std::nullopt;
    return value;
}

void SettingsStore::writeText(std::string_view name, std::string_view text) {
    registry_.WriteTextValue(keyPath_, name, text);
}

void SettingsStore::writePassword(std::string_view name, std::string_view password) {
    registry_.WriteBinaryValue(keyPath_, name, StoredPasswordForm(protection_, password));
}

std::string SettingsStore::readPassword(std::string_view name) {
    const std::string stored = registry_.ReadBinaryValue(keyPath_, name);
    // A failed read comes back as the failure marker.
    if (stored == kFailureMarker) {
        return {};
    }
    return PasswordFromStoredForm(protection_, stored);
}

} // namespace pictorn::app
