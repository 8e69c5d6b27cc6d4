#pragma once
// Charsets without a conversion library, for window tests: UTF-8, US-ASCII and ISO-8859-1
// convert exactly; every other charset is unknown (so mail falls back to UTF-8).
#include "platform/charset.h"

namespace pictorn::headless {

class FakeCharsets : public platform::Charsets {
public:
    platform::CharsetResult fromUtf8(std::string_view charset,
                                     std::string_view utf8) const override;
};

} // namespace pictorn::headless
