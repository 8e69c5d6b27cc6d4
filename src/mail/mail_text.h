#pragma once
// The mail window's small text operations: trimming a set of characters from both ends,
// splitting a sender entry into display name and address, replacing one occurrence.
// Texts are UTF-8; characters are whole code points, so a set may hold non-ASCII letters.
#include <string>
#include <string_view>

namespace pictorn::mail {

// Characters stripped around a display name and an address: blank , ; < > " '
inline constexpr std::string_view kAddressTrimSet = " ,;<>\"'";

// Removes every leading and trailing character of the text that occurs in the set;
// characters of the set between other characters remain. An empty set strips nothing.
void fnTrim(std::string& text, std::string_view set);

// Splits "Name <address>" at its first "<": the part before is the name, the rest the
// address; without a "<" the whole entry is the address. Both are trimmed with the address
// trim set, so "\"John\" <js@x.org>" gives John and js@x.org.
void fnParseAddr(std::string_view entry, std::string& name, std::string& address);

// The text with the first occurrence of `search` replaced; the text itself when there is
// none. Calling it again on the result replaces the next occurrence.
std::string sReplace(std::string_view text, std::string_view search, std::string_view replacement);

} // namespace pictorn::mail
