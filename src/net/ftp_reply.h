#pragma once
// The pure text side of FTP beyond its reply lines (net/line_reply): the passive-mode
// answers (PASV and EPSV), the active-mode commands (PORT and EPRT) and FEAT.
// Nothing here touches the network, so every function can be fed arbitrary bytes.
#include "net/line_reply.h"
#include "platform/network.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::net {

// "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)": the address in the parentheses (some
// servers leave them out, so the first six numbers after the code are taken).
std::optional<platform::Address> parsePasvReply(const Reply& reply);
// "229 Entering Extended Passive Mode (|||port|)": the port (any delimiter character).
std::optional<std::uint16_t> parseEpsvReply(const Reply& reply);

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
std::vector<std::string> parseFeatures(const Reply& reply);
bool hasFeature(const std::vector<std::string>& features, std::string_view name);

} // namespace pictorn::net
