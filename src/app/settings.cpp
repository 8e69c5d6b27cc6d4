#include "app/settings.h"

#include "app/password_storage.h"

#include <stdexcept>

namespace pictorn::app {

const SettingDef& findSetting(std::string_view name) {
    for (const SettingDef& setting : kSettingsCatalogue) {
        if (setting.name == name) {
            return setting;
        }
    }
    throw std::invalid_argument("Unknown setting: " + std::string(name));
}

void SettingsStore::createKey() {
    registry_.CreateKey(keyPath_);
}

std::string SettingsStore::readRaw(std::string_view name) {
    const SettingDef& setting = findSetting(name);
    return setting.form == StoredForm::Bytes ? registry_.ReadBinaryValue(keyPath_, name)
                                             : registry_.ReadTextValue(keyPath_, name);
}

std::optional<std::string> SettingsStore::read(std::string_view name) {
    const SettingDef& setting = findSetting(name);
    std::string value = readRaw(name);
    if (value == kFailureMarker || (setting.emptyIsMissing && value.empty())) {
        if (!setting.missing) {
            return std::nullopt;
        }
        return std::string(*setting.missing);
    }
    return value;
}

void SettingsStore::write(std::string_view name, std::string_view text) {
    const SettingDef& setting = findSetting(name);
    if (setting.form == StoredForm::Bytes) {
        registry_.WriteBinaryValue(keyPath_, name, text);
    } else {
        registry_.WriteTextValue(keyPath_, name, text);
    }
}

void SettingsStore::writeBytes(std::string_view name, std::string_view bytes) {
    findSetting(name);
    registry_.WriteBinaryValue(keyPath_, name, bytes);
}

void SettingsStore::writePassword(std::string_view name, std::string_view password) {
    writeBytes(name, StoredPasswordForm(protection_, password));
}

std::string SettingsStore::readPassword(std::string_view name) {
    findSetting(name);
    const std::string stored = registry_.ReadBinaryValue(keyPath_, name);
    // A failed read comes back as the failure marker.
    if (stored == kFailureMarker) {
        return {};
    }
    return PasswordFromStoredForm(protection_, stored);
}

} // namespace pictorn::app
