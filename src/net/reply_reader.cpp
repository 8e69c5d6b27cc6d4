#include "net/reply_reader.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace pictorn::net {

using platform::NetResult;
using platform::NetStatus;

ReplyWait ReplyReader::read(platform::ByteStream& stream, int timeoutMs,
                            const platform::AbortCheck& abort) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    ReplyWait wait;
    std::array<char, 4096> chunk{};
    for (;;) {
        ReplyParse parsed = parseReply(buffer_, grammar_);
        if (parsed.status == ReplyScan::Complete) {
            buffer_.erase(0, std::min(parsed.consumed, buffer_.size()));
            wait.reply = std::move(parsed.reply);
            return wait;
        }
        if (parsed.status == ReplyScan::Malformed) {
            wait.malformed = true;
            return wait;
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            wait.net = {NetStatus::TimedOut, 0, {}};
            return wait;
        }
        wait.net = stream.readSome(chunk, static_cast<int>(left), abort);
        if (wait.net.ok() && wait.net.bytes == 0) {
            wait.net.status = NetStatus::Closed;
        }
        if (!wait.net.ok()) {
            return wait;
        }
        buffer_.append(chunk.data(), wait.net.bytes);
    }
}

NetResult ReplyReader::startTls(platform::ByteStream& stream, const std::string& hostName,
                                int timeoutMs, const platform::AbortCheck& abort) {
    if (!buffer_.empty()) {
        return {NetStatus::TlsFailed, 0, std::string(kDataBeforeHandshake)};
    }
    return stream.startTls(hostName, timeoutMs, abort);
}

} // namespace pictorn::net
