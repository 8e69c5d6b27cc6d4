#include "app/password_storage.h"

#include "app/global_routines.h"

namespace pictorn::app {

std::string StoredPasswordForm(platform::DataProtection& protection, std::string_view password) {
    if (password.empty()) {
        return {};
    }
    if (std::optional<std::string> sealed = protection.protect(password)) {
        return std::string(kSealedPasswordMarker) + *sealed;
    }
    return ScramblePassword(password);
}

std::string PasswordFromStoredForm(platform::DataProtection& protection, std::string_view stored) {
    if (stored.starts_with(kSealedPasswordMarker)) {
        stored.remove_prefix(kSealedPasswordMarker.size());
        return protection.unprotect(stored).value_or(std::string());
    }
    return UnscramblePassword(stored);
}

} // namespace pictorn::app
