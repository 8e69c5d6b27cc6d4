#pragma once
// The server as the user types it: "host", "host:port", "[2001:db8::1]:2121", a bare IPv6
// address, optionally written as "ftp://host:port/".
#include <cstdint>
#include <string>
#include <string_view>

namespace pictorn::net {

inline constexpr std::uint16_t kFtpDefaultPort = 21;

struct ServerText {
    std::string host; // a name or a numeric address, IPv6 without brackets
    std::uint16_t port = kFtpDefaultPort;
    std::string error; // why the text is not a server, empty when it is

    bool ok() const noexcept { return error.empty(); }
    // "host:port", with brackets around an IPv6 address: how the log names the server.
    std::string display() const;
};

ServerText parseServerText(std::string_view text);

} // namespace pictorn::net
