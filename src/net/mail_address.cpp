#include "net/mail_address.h"
#include "text/ascii.h"

namespace pictorn::net {

namespace {

std::string unquoteName(std::string_view name) {
    name = text::trimmed(name);
    if (name.size() >= 2 && ((name.front() == '"' && name.back() == '"') ||
                             (name.front() == '\'' && name.back() == '\''))) {
        name = name.substr(1, name.size() - 2);
    }
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 1 < name.size()) {
            ++i;
        }
        out += name[i];
    }
    return std::string(text::trimmed(out));
}

MailAddress parseItem(std::string_view item) {
    bool quoted = false;
    for (std::size_t i = 0; i < item.size(); ++i) {
        const char c = item[i];
        if (quoted && c == '\\') {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == '<' && !quoted) {
            const std::size_t close = item.find('>', i + 1);
            const std::string_view inner = item.substr(
                i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1);
            return {unquoteName(item.substr(0, i)), std::string(text::trimmed(inner))};
        }
    }
    return {{}, std::string(text::trimmed(item))};
}

} // namespace

std::vector<MailAddress> parseAddressList(std::string_view list) {
    std::vector<MailAddress> out;
    const auto take = [&out](std::string_view item) {
        if (!text::trimmed(item).empty()) {
            MailAddress address = parseItem(item);
            if (!address.address.empty()) {
                out.push_back(std::move(address));
            }
        }
    };
    bool quoted = false, bracketed = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const char c = list[i];
        if (quoted) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                quoted = false;
            }
        } else if (c == '"' && !bracketed) {
            quoted = true;
        } else if (c == '<') {
            bracketed = true;
        } else if (c == '>') {
            bracketed = false;
        } else if ((c == ',' || c == ';') && !bracketed) {
            take(list.substr(start, i - start));
            start = i + 1;
        }
    }
    take(list.substr(std::min(start, list.size())));
    return out;
}

} // namespace pictorn::net
