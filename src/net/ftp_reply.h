#pragma once
// The pure text side of FTP: server replies (RFC 959 section 4.2, single- and multi-line),
// the passive-mode answers (PASV and EPSV) and the active-mode commands (PORT and EPRT).
// Nothing here touches the network, so every function can be fed arbitrary bytes.
#include "platform/network.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::net {

struct FtpReply {
    int code = 0;                   // 100..599
    std::vector<std::string> lines; // each line as sent, without its line end

    bool preliminary() const noexcept { return code >= 100 && code < 200; }
    bool positive() const noexcept { return code >= 200 && code < 300; }
    bool intermediate() const noexcept { return code >= 300 && code < 400; }
    // The reply as one text, its lines joined by a blank ("530 Login incorrect.").
    std::string text() const;
};

enum class ReplyParseStatus {
    Incomplete, // a line or the closing line of a multi-line reply has not arrived yet
    Complete,
    Malformed, // not an FTP reply: no three-digit code, or a line beyond the size limit
};

struct ReplyParse {
    ReplyParseStatus status = ReplyParseStatus::Incomplete;
    FtpReply reply;           // filled when Complete
    std::size_t consumed = 0; // bytes of the input the reply took, line ends included
};

// Longest reply line accepted, and the most lines one reply may have; a server beyond
// either is treated as broken rather than allowed to grow our buffer without end.
inline constexpr std::size_t kMaxReplyLine = 8192;
inline constexpr std::size_t kMaxReplyLines = 1000;

// Reads the first reply at the start of `input`. Lines end in CR LF or a bare LF. A
// multi-line reply opens with "ddd-" and ends at the first line starting "ddd " with the
// same code; lines between may hold anything.
ReplyParse parseReply(std::string_view input);

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": the address in the parentheses (some
// servers leave them out, so the first six numbers after the code are taken).
std::optional<platform::Address> parsePasvReply(const FtpReply& reply);
// "229 Entering Extended Passive Mode (|||port|)": the port (any delimiter character).
std::optional<std::uint16_t> parseEpsvReply(const FtpReply& reply);

// Where to open a passive data connection. A PASV address that cannot be right for a
// client outside the server's network (private, loopback, link-local, unspecified,
// multicast) is replaced by the address the control connection reached: servers behind
// NAT announce their inner address.
platform::Address choosePassiveAddress(const platform::Address& announced,
                                       const platform::Address& controlPeer);
bool isPrivateOrUnusableV4(std::string_view ip);

// "EPRT |1|127.0.0.1|5000|" or "EPRT |2|::1|5000|".
std::string eprtCommand(const platform::Address& listening);
// "PORT 127,0,0,1,19,136"; nothing for an IPv6 address, which PORT cannot express.
std::optional<std::string> portCommand(const platform::Address& listening);

// The feature names of a FEAT reply (the indented lines), upper-cased, with their
// parameters: {"AUTH TLS", "EPSV", "UTF8", "SIZE", ...}.
std::vector<std::string> parseFeatures(const FtpReply& reply);
bool hasFeature(const std::vector<std::string>& features, std::string_view name);

} // namespace pictorn::net
