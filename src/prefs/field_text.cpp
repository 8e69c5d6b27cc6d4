#include "prefs/field_text.h"

#include "app/global_routines.h"
#include "app/settings.h"

namespace pictorn::prefs {
namespace {

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one code point of UTF-8 at `i` and advances; a malformed byte gives kInvalid
// and is passed over alone.
char32_t decode(std::string_view s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        ++i;
        return c;
    }
    if (c < 0xC0 || c >= 0xF8) {
        ++i;
        return kInvalid;
    }
    const std::size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    if (i + extra >= s.size()) {
        ++i;
        return kInvalid;
    }
    char32_t cp = c & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kInvalid;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    i += extra + 1;
    return cp;
}

void encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t lower(char32_t cp) {
    if ((cp >= U'A' && cp <= U'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) ||
        (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) || (cp >= 0x410 && cp <= 0x42F))
        return cp + 0x20;
    if (cp >= 0x400 && cp <= 0x40F)
        return cp + 0x50;
    // Latin Extended-A pairs capitals and small letters as even and odd neighbours, with
    // the run from U+0139 to U+0148 and from U+0179 to U+017E shifted by one.
    if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177))
        return (cp % 2 == 0) ? cp + 1 : cp;
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E))
        return (cp % 2 == 1) ? cp + 1 : cp;
    return cp;
}

} // namespace

std::string lowerCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t cp = decode(text, i);
        if (cp == kInvalid)
            out += text[start];
        else
            encode(lower(cp), out);
    }
    return out;
}

bool noPathGiven(std::string_view text) {
    return text.empty() || text == app::kEditorPlaceholder;
}

std::string reservedCharactersLine() {
    std::string line;
    const std::string_view set = app::kReservedFileNameChars;
    for (std::size_t i = 0; i < set.size();) {
        const std::size_t start = i;
        decode(set, i);
        line += ' ';
        line += set.substr(start, i - start);
    }
    return line + ' ';
}

std::string reservedCharactersMessage() {
    return "You entered at least one character that is reserved by the operating system.\r\n"
           "\r\n"
           "Please avoid characters in filenames like: \r\n" +
           reservedCharactersLine() +
           "\r\n"
           "They have specific functions in Windows so it confuses the system if a filename "
           "contains them.    ";
}

} // namespace pictorn::prefs
