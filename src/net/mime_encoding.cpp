#include "net/mime_encoding.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pictorn::net {

namespace {

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kHex[] = "0123456789ABCDEF";
// RFC 2047 allows 75 characters a word and 76 a line.
constexpr std::size_t kMaxEncodedWord = 75;
constexpr std::size_t kFoldAt = 76;

std::size_t utf8Length(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + length > text.size()) {
        length = text.size() - at;
    }
    return length;
}

void appendHex(std::string& out, unsigned char c) {
    out += '=';
    out += kHex[c >> 4];
    out += kHex[c & 15];
}

// Room for a header line's text beside the header's name, so lines stay within 78.
constexpr std::size_t kFoldRoom = kFoldAt - 10;

// Text split before each run of blanks: every piece but the first starts with its blanks.
std::vector<std::string_view> blankLedPieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t word = std::min(text.find_first_not_of(' ', at), text.size());
        const std::size_t end = std::min(text.find(' ', word), text.size());
        pieces.push_back(text.substr(at, end - at));
        at = end;
    }
    return pieces;
}

// Whether folding before blanks alone keeps every line of the text within the room.
bool foldsAtBlanks(std::string_view text) {
    const std::vector<std::string_view> pieces = blankLedPieces(text);
    return std::all_of(pieces.begin(), pieces.end(),
                       [](std::string_view piece) { return piece.size() <= kFoldRoom; });
}

// The text with a line break before a blank wherever the line would grow past the room.
// A piece of blanks alone never starts a line: a folded line must hold more than blanks.
std::string foldedAtBlanks(std::string_view text) {
    std::string out;
    std::size_t column = 0;
    for (const std::string_view piece : blankLedPieces(text)) {
        const bool onlyBlanks = piece.find_first_not_of(' ') == std::string_view::npos;
        if (column > 0 && piece.front() == ' ' && !onlyBlanks &&
            column + piece.size() > kFoldRoom) {
            out += "\r\n";
            column = 0;
        }
        out += piece;
        column += piece.size();
    }
    return out;
}

bool isAtext(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
        return true;
    }
    return std::string_view("!#$%&'*+-/=?^_`{|}~ ").find(c) != std::string_view::npos;
}

} // namespace

std::string base64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16 |
                                static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                static_cast<unsigned char>(bytes[i + 2]);
        out += kBase64Alphabet[v >> 18];
        out += kBase64Alphabet[(v >> 12) & 63];
        out += kBase64Alphabet[(v >> 6) & 63];
        out += kBase64Alphabet[v & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const std::uint32_t v = static_cast<unsigned char>(bytes[i]) << 16 |
                                (two ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0);
        out += kBase64Alphabet[v >> 18];
        out += kBase64Alphabet[(v >> 12) & 63];
        out += two ? kBase64Alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string base64Lines(std::string_view bytes) {
    constexpr std::size_t kBytesPerLine = 57; // 76 characters
    std::string out;
    out.reserve(bytes.size() / kBytesPerLine * 78 + 80);
    for (std::size_t at = 0; at < bytes.size(); at += kBytesPerLine) {
        out += base64(bytes.substr(at, kBytesPerLine));
        out += "\r\n";
    }
    return out;
}

std::string quotedPrintable(std::string_view crlfText) {
    std::string out;
    std::size_t lineStart = 0;
    while (lineStart <= crlfText.size()) {
        std::size_t lineEnd = crlfText.find("\r\n", lineStart);
        const bool last = lineEnd == std::string_view::npos;
        if (last) {
            lineEnd = crlfText.size();
        }
        const std::string_view line = crlfText.substr(lineStart, lineEnd - lineStart);
        std::size_t column = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool lastOfLine = i + 1 == line.size();
            std::string piece;
            if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lastOfLine)) {
                piece = static_cast<char>(c);
            } else {
                appendHex(piece, c);
            }
            // Keep room for the "=" of a soft break; the line's last piece may use it.
            const std::size_t limit = lastOfLine ? kFoldAt : kFoldAt - 1;
            if (column + piece.size() > limit) {
                out += "=\r\n";
                column = 0;
            }
            out += piece;
            column += piece.size();
        }
        if (last) {
            break;
        }
        out += "\r\n";
        lineStart = lineEnd + 2;
    }
    return out;
}

std::string toCrlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

bool isPlainAscii(std::string_view text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u >= 0x7F) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> encodedWords(std::string_view utf8, std::string_view charset,
                                        const platform::Charsets& charsets, std::size_t maxWord) {
    const std::string prefix = "=?" + std::string(charset) + "?B?";
    const std::size_t room =
        maxWord > prefix.size() + 2 ? (maxWord - prefix.size() - 2) / 4 * 3 : 3;
    std::string out;
    std::string chunkBytes;
    std::size_t chunkStart = 0;
    const auto emit = [&](const std::string& bytes) {
        if (!out.empty()) {
            out += "\r\n ";
        }
        out += prefix + base64(bytes) + "?=";
    };
    std::size_t at = 0;
    while (at < utf8.size()) {
        const std::size_t next = at + utf8Length(utf8, at);
        platform::CharsetResult grown =
            charsets.fromUtf8(charset, utf8.substr(chunkStart, next - chunkStart));
        if (!grown.ok()) {
            return std::nullopt;
        }
        if (grown.bytes.size() > room && at > chunkStart) {
            emit(chunkBytes);
            chunkStart = at;
            continue; // this character starts the next word
        }
        chunkBytes = std::move(grown.bytes);
        at = next;
    }
    if (at > chunkStart || out.empty()) {
        emit(chunkBytes);
    }
    return out;
}

std::optional<std::string> headerText(std::string_view utf8, std::string_view charset,
                                      const platform::Charsets& charsets) {
    // "=?" could be read as the start of an encoded word, so such text is encoded too, and
    // so is text with a word too long for a line: the encoded words split it.
    if (!isPlainAscii(utf8) || utf8.find("=?") != std::string_view::npos || !foldsAtBlanks(utf8)) {
        return encodedWords(utf8, charset, charsets, kMaxEncodedWord - 10);
    }
    return foldedAtBlanks(utf8);
}

std::optional<std::string> displayName(std::string_view utf8, std::string_view charset,
                                       const platform::Charsets& charsets) {
    bool atoms = !utf8.empty();
    std::string quoted = "\"";
    for (const char c : utf8) {
        atoms = atoms && isAtext(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted += '"';
    const std::string_view plain = atoms ? utf8 : std::string_view(quoted);
    if (!isPlainAscii(utf8) || utf8.find("=?") != std::string_view::npos || !foldsAtBlanks(plain)) {
        return encodedWords(utf8, charset, charsets, kMaxEncodedWord);
    }
    return foldedAtBlanks(plain);
}

std::string fileNameParameter(std::string_view parameter, std::string_view utf8Name, bool rfc2231) {
    const std::string name(parameter);
    if (isPlainAscii(utf8Name) && utf8Name.find('"') == std::string_view::npos &&
        utf8Name.find('\\') == std::string_view::npos && utf8Name.size() < 200) {
        return name + "=\"" + std::string(utf8Name) + "\"";
    }
    if (!rfc2231) {
        // An encoded word per run of whole characters, inside one quoted string.
        std::string out = name + "=\"";
        std::size_t at = 0;
        bool first = true;
        while (at < utf8Name.size()) {
            std::size_t end = at;
            while (end < utf8Name.size() && end - at < 39) {
                end += utf8Length(utf8Name, end);
            }
            out += first ? "" : "\r\n ";
            out += "=?UTF-8?B?" + base64(utf8Name.substr(at, end - at)) + "?=";
            first = false;
            at = end;
        }
        return out + "\"";
    }
    // RFC 2231: percent-encoded UTF-8 in numbered pieces of about 60 characters.
    std::string out;
    std::string piece = "UTF-8''";
    int index = 0;
    const auto flush = [&] {
        if (!out.empty()) {
            out += ";\r\n ";
        }
        out += name + "*" + std::to_string(index++) + "*=" + piece;
        piece.clear();
    };
    for (const char c : utf8Name) {
        const auto u = static_cast<unsigned char>(c);
        std::string encoded;
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            c == '.' || c == '-' || c == '_') {
            encoded = c;
        } else {
            encoded = {'%', kHex[u >> 4], kHex[u & 15]};
        }
        if (piece.size() + encoded.size() > 50) {
            flush();
        }
        piece += encoded;
    }
    if (!piece.empty() || out.empty()) {
        flush();
    }
    return out;
}

} // namespace pictorn::net
