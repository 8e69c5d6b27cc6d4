#include "net/server_address.h"

namespace pictorn::net {

namespace {

std::optional<std::uint16_t> parsePort(std::string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<ServerAddress> parseServerAddress(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    ServerAddress out;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close == 1) {
            return std::nullopt;
        }
        out.host = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':' || !(out.port = parsePort(rest.substr(1)))) {
                return std::nullopt;
            }
        }
        return out;
    }
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
        out.host = std::string(text.substr(0, colon));
        if (!(out.port = parsePort(text.substr(colon + 1)))) {
            return std::nullopt;
        }
    } else {
        out.host = std::string(text);
    }
    if (out.host.empty() || out.host.find_first_of(" \t/\\") != std::string::npos) {
        return std::nullopt;
    }
    return out;
}

std::string hostPortText(std::string_view host, std::uint16_t port) {
    const bool v6 = host.find(':') != std::string_view::npos;
    return (v6 ? "[" + std::string(host) + "]" : std::string(host)) + ":" + std::to_string(port);
}

} // namespace pictorn::net
