#pragma once
// Server texts as users type them: "host", "host:port", "[IPv6]" or "[IPv6]:port"; a bare
// IPv6 literal (more than one colon, no brackets) is a host without a port.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pictorn::net {

struct ServerAddress {
    std::string host; // without brackets
    std::optional<std::uint16_t> port;
};

// Nothing when the text names no host or its port is not a number from 1 to 65535.
std::optional<ServerAddress> parseServerAddress(std::string_view text);

// "smtp.example.com:587", "[::1]:25" — the form error messages show.
std::string hostPortText(std::string_view host, std::uint16_t port);

} // namespace pictorn::net
