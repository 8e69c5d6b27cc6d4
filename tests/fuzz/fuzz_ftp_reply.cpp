// Everything an FTP server sends back is read by these parsers; the server text is what the
// user typed (or the settings store handed over).
#include "net/ftp_reply.h"
#include "net/ftp_server_text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace pictorn::net;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view rest = input;
    // A stream of replies, as the control connection delivers them.
    for (int replies = 0; replies < 64; ++replies) {
        const ReplyParse parsed = parseReply(rest, ReplyGrammar::Ftp);
        if (parsed.status != ReplyScan::Complete)
            break;
        if (parsed.consumed == 0 || parsed.consumed > rest.size())
            __builtin_trap();
        (void)parsePasvReply(parsed.reply);
        (void)parseEpsvReply(parsed.reply);
        (void)hasFeature(parseFeatures(parsed.reply), "UTF8");
        (void)parsed.reply.text();
        rest.remove_prefix(parsed.consumed);
    }
    const ServerText server = parseServerText(input);
    if (server.ok())
        (void)server.display();
    return 0;
}
