#include "platform/headless/fake_charsets.h"
#include "text/ascii.h"

namespace pictorn::headless {

namespace {} // namespace

platform::CharsetResult FakeCharsets::fromUtf8(std::string_view charset,
                                               std::string_view utf8) const {
    using platform::CharsetStatus;
    const std::string name = text::asciiLowerCase(charset);
    if (name == "utf-8") {
        return {CharsetStatus::Ok, std::string(utf8)};
    }
    const unsigned limit = name == "us-ascii" ? 0x7F : name == "iso-8859-1" ? 0xFF : 0;
    if (limit == 0) {
        return {CharsetStatus::Unknown, {}};
    }
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        unsigned code = c;
        if (c >= 0xC0 && c < 0xE0 && i + 1 < utf8.size()) {
            code = (c & 0x1Fu) << 6 | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        } else if (c >= 0x80) {
            return {CharsetStatus::CannotHold, {}};
        }
        if (code > limit) {
            return {CharsetStatus::CannotHold, {}};
        }
        out += static_cast<char>(code);
    }
    return {CharsetStatus::Ok, std::move(out)};
}

} // namespace pictorn::headless
