// Everything an SMTP server sends back goes through this parser, and its text reaches the
// user's message box through describe().
#include "net/line_reply.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorn::net;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    // A stream of replies, as the connection delivers them.
    for (int replies = 0; replies < 64; ++replies) {
        const ReplyParse parsed = parseReply(rest, ReplyGrammar::Smtp);
        if (parsed.status != ReplyScan::Complete)
            break;
        const Reply& reply = parsed.reply;
        if (parsed.consumed == 0 || parsed.consumed > rest.size() ||
            parsed.consumed > kMaxReplyBytes || reply.code < 200 || reply.code > 599 ||
            reply.lines.empty())
            __builtin_trap();
        for (const char c : reply.describe())
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                __builtin_trap(); // a message box would show it raw
        (void)reply.positive();
        rest.remove_prefix(parsed.consumed);
    }
    return 0;
}
