#pragma once
// Small text rules of the preferences' fields.
#include <string>
#include <string_view>

namespace pictorn::prefs {

// Letters in lower case: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals.
// Paths are compared without regard to case on Windows, so this only changes the look.
std::string lowerCase(std::string_view text);
// Empty, or the hint the editor field shows when no editor is chosen.
bool noPathGiven(std::string_view text);
// The characters of the reserved set, each after one space, and one space at the end.
std::string reservedCharactersLine();
// The five-line message about reserved characters in a prefix.
std::string reservedCharactersMessage();

} // namespace pictorn::prefs
