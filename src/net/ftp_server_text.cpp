#include "net/ftp_server_text.h"
#include "text/ascii.h"

#include <algorithm>
#include <cctype>

namespace pictorn::net {

namespace {

ServerText failed(std::string error) {
    ServerText server;
    server.error = std::move(error);
    return server;
}

// A host name or IPv4 address: letters, digits, '-', '.', '_' (some intranet names).
bool plausibleHost(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' ||
               static_cast<unsigned char>(c) >= 0x80; // international names, resolved as given
    });
}

bool plausibleV6(std::string_view host) {
    return host.find(':') != std::string_view::npos &&
           std::all_of(host.begin(), host.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.' ||
                      c == '%' || std::isalnum(static_cast<unsigned char>(c));
           });
}

} // namespace

std::string ServerText::display() const {
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

ServerText parseServerText(std::string_view text) {
    text = text::trimmed(text);
    if (text::startsWithNoCase(text, "ftp://")) {
        text.remove_prefix(6);
    } else if (text::startsWithNoCase(text, "ftps://") || text::startsWithNoCase(text, "sftp://") ||
               text::startsWithNoCase(text, "http://") ||
               text::startsWithNoCase(text, "https://")) {
        return failed("only FTP servers are supported (the server name starts with \"" +
                      std::string(text.substr(0, text.find(':'))) + "://\")");
    }
    // "ftp://host/" and "ftp://host/folder": the folder belongs in the remote folder box.
    if (const std::size_t slash = text.find('/'); slash != std::string_view::npos) {
        if (slash + 1 != text.size()) {
            return failed("the server name holds a folder: enter the folder as the remote "
                          "folder instead");
        }
        text.remove_suffix(1);
    }
    if (text.find('@') != std::string_view::npos) {
        return failed("the server name holds a user name: enter it as the user instead");
    }
    if (text.empty()) {
        return failed("no server name is given");
    }
    ServerText server;
    std::string_view portText;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            return failed("the IPv6 address has no closing bracket");
        }
        server.host = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return failed("unexpected text after the IPv6 address");
            }
            portText = rest.substr(1);
            if (portText.empty()) {
                return failed("the port number is missing after ':'");
            }
        }
        if (!plausibleV6(server.host)) {
            return failed("\"" + server.host + "\" is not an IPv6 address");
        }
    } else if (std::count(text.begin(), text.end(), ':') > 1) {
        server.host = std::string(text); // a bare IPv6 address: no port can follow it
        if (!plausibleV6(server.host)) {
            return failed("\"" + server.host + "\" is not a server name");
        }
    } else {
        const std::size_t colon = text.find(':');
        server.host = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = text.substr(colon + 1);
            if (portText.empty()) {
                return failed("the port number is missing after ':'");
            }
        }
        if (!plausibleHost(server.host)) {
            return failed("\"" + server.host + "\" is not a server name");
        }
    }
    if (!portText.empty()) {
        unsigned long port = 0;
        const bool digits =
            portText.size() <= 5 && std::all_of(portText.begin(), portText.end(),
                                                [](char c) { return c >= '0' && c <= '9'; });
        if (digits) {
            port = std::stoul(std::string(portText));
        }
        if (!digits || port == 0 || port > 65535) {
            return failed("\"" + std::string(portText) + "\" is not a port number (1 to 65535)");
        }
        server.port = static_cast<std::uint16_t>(port);
    }
    return server;
}

} // namespace pictorn::net
