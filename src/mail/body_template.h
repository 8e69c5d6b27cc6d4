#pragma once
// The mail body template kept in the data folder between openings of the mail window.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pictorn::mail {

inline constexpr std::string_view kBodyTemplateName = "email_body_text.txt";
inline constexpr std::string_view kDefaultBody =
    "Hi ...,\r\n\r\nHere's the screenshot.\r\n\r\n-- \r\nKind regards,\r\nYour Name";

// The text of the template file's bytes. The file is written in UTF-8, so that any body
// survives; a file that is not UTF-8 (from an older version, or saved by an editor in the
// Windows ANSI code page) is read as Windows-1252. A leading UTF-8 byte-order mark is
// dropped.
std::string bodyFromFileBytes(std::span<const std::uint8_t> bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool isUtf8(std::span<const std::uint8_t> bytes);

} // namespace pictorn::mail
