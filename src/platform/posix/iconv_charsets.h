#pragma once
// Charset conversion with the C library's iconv (native builds; the tests send real mail
// through it). Windows uses code pages instead (win32/win32_charsets.h).
#include "platform/charset.h"

namespace pictorn::platform::posix {

class IconvCharsets : public Charsets {
public:
    CharsetResult fromUtf8(std::string_view charset, std::string_view utf8) const override;
};

} // namespace pictorn::platform::posix
