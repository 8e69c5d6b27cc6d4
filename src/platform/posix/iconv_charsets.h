#pragma once
// Charset conversion with the C library's iconv (native builds; the tests send real mail
// through it). Windows uses code pages instead (win32/win32_charsets.h).
#include "platform/charset.h"

namespace pictorn::posix {

class IconvCharsets : public platform::Charsets {
public:
    platform::CharsetResult fromUtf8(std::string_view charset,
                                     std::string_view utf8) const override;
};

} // namespace pictorn::posix
