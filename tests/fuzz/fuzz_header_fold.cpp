// The subject and the display names are the user's text, folded into header lines: every
// line within 998 characters, every line break a fold (a line break of the text itself
// would start a header of its own), and a mail program must read the text back as typed.
#include "net/mime_encoding.h"
#include "platform/headless/fake_charsets.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace pictorn;

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string fromBase64(std::string_view text) {
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') {
            break;
        }
        const std::size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos) {
            __builtin_trap();
        }
        bits = bits << 6 | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

// The header's text as a reader unfolds it, after checking each line.
std::string unfolded(std::string_view header, std::size_t nameLength) {
    std::string out;
    std::size_t lineStart = 0;
    for (;;) {
        const std::size_t end = header.find("\r\n", lineStart);
        const std::size_t lineEnd = end == std::string_view::npos ? header.size() : end;
        if (lineEnd - lineStart + (lineStart == 0 ? nameLength : 0) > 998) {
            __builtin_trap();
        }
        out += header.substr(lineStart, lineEnd - lineStart);
        if (end == std::string_view::npos) {
            return out;
        }
        const std::string_view next = header.substr(end + 2);
        if (next.empty() || next.front() != ' ' ||
            next.substr(0, next.find("\r\n")).find_first_not_of(' ') == std::string_view::npos) {
            __builtin_trap(); // not a fold, or a folded line of blanks alone
        }
        lineStart = end + 2;
    }
}

// Encoded words "=?utf-8?B?...?=" separated by blanks, which a reader drops between them.
std::string decodedWords(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.substr(at, 10) != "=?utf-8?B?") {
            __builtin_trap();
        }
        const std::size_t end = text.find("?=", at + 10);
        if (end == std::string_view::npos || end + 2 - at > 75) {
            __builtin_trap();
        }
        out += fromBase64(text.substr(at + 10, end - at - 10));
        at = text.find_first_not_of(' ', end + 2);
        if (at == std::string_view::npos) {
            break;
        }
    }
    return out;
}

std::string unquoted(std::string_view text) {
    if (text.size() < 2 || text.back() != '"') {
        __builtin_trap();
    }
    std::string out;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        }
        out += text[i];
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const headless::FakeCharsets charsets;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::string subject = net::headerText(text, "utf-8", charsets).value();
    const std::string readSubject = unfolded(subject, 9); // "Subject: "
    const bool encoded = readSubject.starts_with("=?");
    if ((encoded ? decodedWords(readSubject) : readSubject) != text) {
        __builtin_trap();
    }

    const std::string name = net::displayName(text, "utf-8", charsets).value();
    const std::string readName = unfolded(name, 6); // "From: "
    std::string shown = readName;
    if (readName.starts_with("=?")) {
        shown = decodedWords(readName);
    } else if (readName.starts_with("\"")) {
        shown = unquoted(readName);
    }
    if (shown != text) {
        __builtin_trap();
    }
    return 0;
}
