#pragma once
// Text crosses into the win32 layer as UTF-8 and leaves it the same way; the W functions
// in between take UTF-16. Invalid input never fails: the bad sequence becomes U+FFFD.
#include <string>
#include <string_view>

namespace pictorn::platform::win32 {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view utf16);

} // namespace pictorn::platform::win32
