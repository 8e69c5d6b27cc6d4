#pragma once
// How stored passwords look: sealed for the current user (DataProtection) behind a marker,
// or — in settings written by older versions — scrambled (ScramblePassword). Reading takes
// both, writing always seals.
#include "platform/data_protection.h"

#include <string>
#include <string_view>

namespace pictorn::app {

// Scrambling adds 5 to every byte, so a scrambled password never starts with a zero byte.
inline constexpr std::string_view kSealedPasswordMarker{"\0PictornSealed1\0", 16};

// The stored form of a password: empty for an empty one; sealed behind the marker; the
// scrambled form only when the system cannot seal, so the password is not lost.
std::string StoredPasswordForm(platform::DataProtection& protection, std::string_view password);

// The password of a stored form. A seal that does not open (another user, another machine,
// damaged bytes) gives an empty password; a scrambled form that cannot be unscrambled raises
// AppError 5 as UnscramblePassword does.
std::string PasswordFromStoredForm(platform::DataProtection& protection, std::string_view stored);

} // namespace pictorn::app
