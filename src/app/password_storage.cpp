#include "app/password_storage.h"

#include "app/global_routines.h"

#include <cstdint>

namespace pictorn::app {

namespace {

// A checksum sealed with the password, so a damaged seal gives no password rather than a
// wrong one even where the system's own check is weak (Wine opens some altered seals).
std::string checksumOf(std::string_view text) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>((hash >> (8 * i)) & 0xFF);
    }
    return out;
}

} // namespace

std::string StoredPasswordForm(platform::DataProtection& protection, std::string_view password) {
    if (password.empty()) {
        return {};
    }
    if (std::optional<std::string> sealed =
            protection.protect(checksumOf(password) + std::string(password))) {
        return std::string(kSealedPasswordMarker) + *sealed;
    }
    return ScramblePassword(password);
}

std::string PasswordFromStoredForm(platform::DataProtection& protection, std::string_view stored) {
    if (stored.starts_with(kSealedPasswordMarker)) {
        stored.remove_prefix(kSealedPasswordMarker.size());
        const std::optional<std::string> opened = protection.unprotect(stored);
        if (!opened || opened->size() < 4) {
            return {};
        }
        std::string password = opened->substr(4);
        return opened->substr(0, 4) == checksumOf(password) ? password : std::string();
    }
    return UnscramblePassword(stored);
}

} // namespace pictorn::app
