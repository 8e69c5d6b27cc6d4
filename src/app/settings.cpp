#include "app/settings.h"

#include "app/password_storage.h"

namespace pictorn::app {

void SettingsStore::createKey() {
    registry_.CreateKey(keyPath_);
}

std::optional<std::string> SettingsStore::readText(std::string_view name) {
    return registry_.ReadTextValue(keyPath_, name);
}

void SettingsStore::writeText(std::string_view name, std::string_view text) {
    registry_.WriteTextValue(keyPath_, name, text);
}

void SettingsStore::writePassword(std::string_view name, std::string_view password) {
    registry_.WriteBinaryValue(keyPath_, name, StoredPasswordForm(protection_, password));
}

std::string SettingsStore::readPassword(std::string_view name) {
    const std::optional<std::string> stored = registry_.ReadBinaryValue(keyPath_, name);
    return stored ? PasswordFromStoredForm(protection_, *stored) : std::string();
}

} // namespace pictorn::app
