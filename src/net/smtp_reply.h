#pragma once
// SMTP replies (RFC 5321 4.2): one or more lines "NNN-text", the last "NNN text" or "NNN".
// The parser is a pure function over the bytes received so far, so it can be fed any input.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::net {

struct SmtpReply {
    int code = 0;
    std::vector<std::string> lines; // the text after "NNN-" / "NNN ", one per line

    // "550 first line second line", with control characters made blanks: fit for messages.
    std::string describe() const;
    bool positive() const { return code >= 200 && code < 400; }
};

enum class ReplyStatus {
    Complete,   // `reply` holds a whole reply, `consumed` bytes of the input made it
    Incomplete, // the input ends before the last line of the reply
    Malformed,  // not a reply: a line without a code, codes that differ, or far too long
};

struct ParsedReply {
    ReplyStatus status = ReplyStatus::Incomplete;
    SmtpReply reply;
    std::size_t consumed = 0;
};

// Lines end in CRLF (a bare LF is accepted). Input beyond `consumed` is left for the next
// reply. A reply longer than kMaxReplyBytes is Malformed, so a server cannot make us
// buffer without end.
inline constexpr std::size_t kMaxReplyBytes = 64 * 1024;
ParsedReply parseSmtpReply(std::string_view input);

} // namespace pictorn::net
