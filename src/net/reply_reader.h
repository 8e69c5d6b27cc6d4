#pragma once
// Reads the replies of a line-based protocol (SMTP, FTP) from a connection: what arrives is
// kept until it holds a whole reply (net/line_reply). Both clients read every reply through
// this, so that they wait and refuse in the same way:
// - each reply has a deadline of its own, so a server that drips one line every few seconds
//   cannot hold a reply open beyond its timeout;
// - TLS starts only when nothing the server sent is left unread. Bytes that came in the
//   clear with the answer to STARTTLS or AUTH TLS would otherwise be taken for answers from
//   inside the encrypted session, and anyone on the path can put them there.
#include "net/line_reply.h"
#include "platform/network.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pictorn::net {

// A reply, or why none came.
struct ReplyWait {
    platform::NetResult net; // Ok when a reply or bytes that are none came
    bool malformed = false;  // bytes came that cannot be a reply; they stay in received()
    Reply reply;
    bool answered() const noexcept { return net.ok() && !malformed; }
};

class ReplyReader {
public:
    explicit ReplyReader(ReplyGrammar grammar) : grammar_(grammar) {}

    // Reads until a whole reply or bytes that cannot be one have arrived. The whole reply
    // must arrive within timeoutMs; the abort check is handed to every wait.
    ReplyWait read(platform::ByteStream& stream, int timeoutMs, const platform::AbortCheck& abort);

    // The stream's startTls, refused while received bytes wait unread.
    platform::NetResult startTls(platform::ByteStream& stream, const std::string& hostName,
                                 int timeoutMs, const platform::AbortCheck& abort);

    std::string_view received() const noexcept { return buffer_; }
    void clear() noexcept { buffer_.clear(); }

private:
    ReplyGrammar grammar_;
    std::string buffer_;
};

// The detail of startTls's refusal.
inline constexpr std::string_view kDataBeforeHandshake = "unexpected data before the tls handshake";

} // namespace pictorn::net
