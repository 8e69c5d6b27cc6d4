#include "mail/mail_text.h"

namespace pictorn::mail {

namespace {

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The code point starting at `at` (a stray byte stands alone).
std::string_view charAt(std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && isContinuation(text[end]) && end - at < 4) {
        ++end;
    }
    return text.substr(at, end - at);
}

// The code point ending just before `end`.
std::string_view charBefore(std::string_view text, std::size_t end) {
    std::size_t start = end - 1;
    while (start > 0 && isContinuation(text[start]) && end - start < 4) {
        --start;
    }
    return text.substr(start, end - start);
}

bool inSet(std::string_view set, std::string_view c) {
    for (std::size_t at = 0; at < set.size();) {
        const std::string_view member = charAt(set, at);
        if (member == c) {
            return true;
        }
        at += member.size();
    }
    return false;
}

} // namespace

void fnTrim(std::string& text, std::string_view set) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::string_view c = charAt(text, begin);
        if (!inSet(set, c)) {
            break;
        }
        begin += c.size();
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::string_view c = charBefore(text, end);
        if (!inSet(set, c)) {
            break;
        }
        end -= c.size();
    }
    text = text.substr(begin, end - begin);
}

void fnParseAddr(std::string_view entry, std::string& name, std::string& address) {
    const std::size_t open = entry.find('<');
    if (open == std::string_view::npos) {
        name.clear();
        address = std::string(entry);
    } else {
        name = std::string(entry.substr(0, open));
        address = std::string(entry.substr(open));
    }
    fnTrim(name, kAddressTrimSet);
    fnTrim(address, kAddressTrimSet);
}

std::string sReplace(std::string_view text, std::string_view search, std::string_view replacement) {
    const std::size_t at = text.find(search);
    if (at == std::string_view::npos) {
        return std::string(text);
    }
    std::string out(text.substr(0, at));
    out += replacement;
    out += text.substr(at + search.size());
    return out;
}

} // namespace pictorn::mail
