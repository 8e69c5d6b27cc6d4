#pragma once
// Stored texts to numbers and truth values, failing the way the loaders expect: a text
// that is not a number raises "Type mismatch" (13), so a step that reads it is skipped.
#include <optional>
#include <string>
#include <string_view>

namespace pictorn::app {

inline constexpr int kTypeMismatch = 13;
inline constexpr int kOverflow = 6;

// Decimal text with optional blanks and sign; a fraction is rounded half to even.
long long toNumber(std::string_view text);
// toNumber's value, or nothing where it would raise: for readers that fall back on a
// default anyway, without an exception per unusable text.
std::optional<long long> numberOrNothing(std::string_view text);
// toNumber limited to a 32-bit (or 16-bit) integer; larger values raise "Overflow" (6).
int toInteger(std::string_view text);
// numberOrNothing's value when it lies within [low, high].
std::optional<long long> numberWithin(std::string_view text, long long low, long long high);
int toShort(std::string_view text);
// "True"/"False" in any letter case, or a number (0 is false); nothing for other text.
std::optional<bool> booleanOrNothing(std::string_view text);
std::string booleanText(bool value); // "True" / "False"
bool isNumeric(std::string_view text);
// Spaces (only) removed at both ends, as the settings and the fields are trimmed.
std::string trim(std::string_view text);

} // namespace pictorn::app
