#pragma once
// Charset conversion through Windows code pages.
#include "platform/charset.h"

namespace pictorn::platform::win32 {

class Win32Charsets final : public Charsets {
public:
    CharsetResult fromUtf8(std::string_view charset, std::string_view utf8) const override;
};

} // namespace pictorn::platform::win32
