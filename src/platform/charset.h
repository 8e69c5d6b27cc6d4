#pragma once
// Converting the program's UTF-8 text into the character set a mail is sent in. The names
// are the ones mail headers carry ("iso-8859-1", "windows-1251", "koi8-r", "big5", ...),
// matched without regard to case. Win32 converts through code pages; natively iconv does.
#include <string>
#include <string_view>

namespace pictorn::platform {

enum class CharsetStatus {
    Ok,
    Unknown,    // this system cannot convert into the charset (or the name is unknown)
    CannotHold, // the charset has no code for some character of the text
};

struct CharsetResult {
    CharsetStatus status = CharsetStatus::Ok;
    std::string bytes; // the converted text when Ok, empty otherwise

    bool ok() const noexcept { return status == CharsetStatus::Ok; }
};

class Charsets {
public:
    virtual ~Charsets() = default;
    // The UTF-8 text in the named charset, exactly: a character the charset cannot hold is
    // never replaced by a look-alike or a question mark. Stateful charsets (iso-2022-jp,
    // hz-gb-2312, utf-7) end in their initial state, so each result stands on its own.
    virtual CharsetResult fromUtf8(std::string_view charset, std::string_view utf8) const = 0;
};

} // namespace pictorn::platform
