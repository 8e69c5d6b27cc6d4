#pragma once
// Reads the replies of a line-based protocol (SMTP, FTP) from a connection: what arrives is
// kept until the protocol's parser finds a whole reply in it. Both clients read through this
// so that they wait and refuse in the same way:
// - each reply has a deadline of its own, so a server that drips one line every few seconds
//   cannot hold a reply open beyond its timeout;
// - TLS starts only when nothing the server sent is left unread. Bytes that came in the
//   clear with the answer to STARTTLS or AUTH TLS would otherwise be taken for answers from
//   inside the encrypted session, and anyone on the path can put them there.
#include "platform/network.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pictorn::net {

enum class ReplyScan { Incomplete, Complete, Malformed };

struct ReplyWait {
    platform::NetResult net; // Ok when a reply or bytes that are none came
    bool malformed = false;
    bool answered() const noexcept { return net.ok() && !malformed; }
};

class ReplyReader {
public:
    // Looks at the bytes received so far. On Complete it sets `consumed` to the length of
    // the reply it took, and those bytes are dropped.
    using Scanner = std::function<ReplyScan(std::string_view received, std::size_t& consumed)>;

    // Reads until `scan` finds a reply or bytes that cannot be one. The whole reply must
    // arrive within timeoutMs; the abort check is handed to every wait.
    ReplyWait read(platform::ByteStream& stream, const Scanner& scan, int timeoutMs,
                   const platform::AbortCheck& abort);

    // The stream's startTls, refused while received bytes wait unread.
    platform::NetResult startTls(platform::ByteStream& stream, const std::string& hostName,
                                 int timeoutMs, const platform::AbortCheck& abort);

    std::string_view received() const noexcept { return buffer_; }
    void clear() noexcept { buffer_.clear(); }

private:
    std::string buffer_;
};

// The detail of startTls's refusal.
inline constexpr std::string_view kDataBeforeHandshake = "unexpected data before the tls handshake";

} // namespace pictorn::net
