#include "net/ftp_reply.h"
#include "text/ascii.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace pictorn::net {

using platform::Address;

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Every run of digits in `text`, as numbers (runs too long for an int give -1).
std::vector<long> numbersIn(std::string_view text) {
    std::vector<long> numbers;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isDigit(text[i])) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
        }
        long value = -1;
        if (j - i <= 9) {
            std::from_chars(text.data() + i, text.data() + j, value);
        }
        numbers.push_back(value);
        i = j;
    }
    return numbers;
}

std::optional<std::array<int, 4>> ipv4Parts(std::string_view ip) {
    std::array<int, 4> parts{};
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? ip.find('.', pos) : ip.size();
        if (dot == std::string_view::npos || dot == pos || dot - pos > 3) {
            return std::nullopt;
        }
        int value = 0;
        for (std::size_t k = pos; k < dot; ++k) {
            if (!isDigit(ip[k])) {
                return std::nullopt;
            }
            value = value * 10 + (ip[k] - '0');
        }
        if (value > 255) {
            return std::nullopt;
        }
        parts[static_cast<std::size_t>(i)] = value;
        pos = dot + 1;
    }
    return parts;
}

} // namespace

std::optional<Address> parsePasvReply(const Reply& reply) {
    if (reply.code != 227 || reply.lines.empty()) {
        return std::nullopt;
    }
    std::string_view text = reply.lines.front();
    text.remove_prefix(std::min<std::size_t>(text.size(), 4)); // the code is not a number here
    const std::size_t open = text.find('(');
    if (open != std::string_view::npos) {
        text.remove_prefix(open + 1);
    }
    const std::vector<long> n = numbersIn(text);
    if (n.size() < 6) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 6; ++i) {
        if (n[i] < 0 || n[i] > 255) {
            return std::nullopt;
        }
    }
    const long port = n[4] * 256 + n[5];
    if (port == 0) {
        return std::nullopt;
    }
    Address address;
    address.ip = std::to_string(n[0]) + '.' + std::to_string(n[1]) + '.' + std::to_string(n[2]) +
                 '.' + std::to_string(n[3]);
    address.port = static_cast<std::uint16_t>(port);
    return address;
}

std::optional<std::uint16_t> parseEpsvReply(const Reply& reply) {
    if (reply.code != 229 || reply.lines.empty()) {
        return std::nullopt;
    }
    const std::string_view text = reply.lines.front();
    const std::size_t open = text.find('(', 3);
    if (open == std::string_view::npos || open + 4 >= text.size()) {
        return std::nullopt;
    }
    // (<d><d><d>port<d>) with the same printable delimiter four times.
    const char d = text[open + 1];
    if (d < 33 || d > 126 || isDigit(d) || text[open + 2] != d || text[open + 3] != d) {
        return std::nullopt;
    }
    const std::size_t start = open + 4;
    std::size_t end = start;
    while (end < text.size() && isDigit(text[end])) {
        ++end;
    }
    if (end == start || end - start > 5 || end + 1 >= text.size() || text[end] != d ||
        text[end + 1] != ')') {
        return std::nullopt;
    }
    int port = 0;
    std::from_chars(text.data() + start, text.data() + end, port);
    if (port <= 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

bool isPrivateOrUnusableV4(std::string_view ip) {
    const std::optional<std::array<int, 4>> p = ipv4Parts(ip);
    if (!p) {
        return true;
    }
    const int a = (*p)[0];
    const int b = (*p)[1];
    return a == 0 || a == 10 || a == 127 || a >= 224 || (a == 169 && b == 254) ||
           (a == 172 && b >= 16 && b <= 31) || (a == 192 && b == 168) ||
           (a == 100 && b >= 64 && b <= 127);
}

Address choosePassiveAddress(const Address& announced, const Address& controlPeer) {
    if (controlPeer.isV6() || isPrivateOrUnusableV4(announced.ip)) {
        return Address{controlPeer.ip, announced.port};
    }
    return announced;
}

std::string eprtCommand(const Address& listening) {
    return "EPRT |" + std::string(listening.isV6() ? "2" : "1") + "|" + listening.ip + "|" +
           std::to_string(listening.port) + "|";
}

std::optional<std::string> portCommand(const Address& listening) {
    const std::optional<std::array<int, 4>> p = ipv4Parts(listening.ip);
    if (!p) {
        return std::nullopt;
    }
    std::string command = "PORT ";
    for (int part : *p) {
        command += std::to_string(part) + ',';
    }
    command += std::to_string(listening.port / 256) + ',' + std::to_string(listening.port % 256);
    return command;
}

std::vector<std::string> parseFeatures(const Reply& reply) {
    std::vector<std::string> features;
    if (reply.code != 211 || reply.lines.size() < 3) {
        return features;
    }
    for (std::size_t i = 1; i + 1 < reply.lines.size(); ++i) {
        std::string_view line = reply.lines[i];
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
        }
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            features.push_back(text::asciiUpperCase(line));
        }
    }
    return features;
}

bool hasFeature(const std::vector<std::string>& features, std::string_view name) {
    const std::string wanted = text::asciiUpperCase(name);
    return std::any_of(features.begin(), features.end(), [&](const std::string& feature) {
        return feature == wanted ||
               (feature.size() > wanted.size() && feature.compare(0, wanted.size(), wanted) == 0 &&
                (feature[wanted.size()] == ' ' || feature[wanted.size()] == ';'));
    });
}

} // namespace pictorn::net
