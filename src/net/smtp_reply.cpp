#include "net/smtp_reply.h"

namespace pictorn::net {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string SmtpReply::describe() const {
    std::string out = std::to_string(code);
    for (const std::string& line : lines) {
        if (line.empty()) {
            continue;
        }
        out += ' ';
        for (const char c : line) {
            const auto u = static_cast<unsigned char>(c);
            out += (u < 0x20 || u == 0x7F) ? ' ' : c;
        }
    }
    return out;
}

ParsedReply parseSmtpReply(std::string_view input) {
    ParsedReply result;
    std::size_t at = 0;
    for (;;) {
        const std::size_t newline = input.find('\n', at);
        if (newline == std::string_view::npos) {
            result.status =
                input.size() > kMaxReplyBytes ? ReplyStatus::Malformed : ReplyStatus::Incomplete;
            // A partial line that already cannot start a reply need not wait for its end.
            const std::string_view partial = input.substr(at);
            for (std::size_t i = 0; i < partial.size() && i < 3; ++i) {
                if (!isDigit(partial[i])) {
                    result.status = ReplyStatus::Malformed;
                }
            }
            if (partial.size() > 3 && partial[3] != ' ' && partial[3] != '-' &&
                partial[3] != '\r') {
                result.status = ReplyStatus::Malformed;
            }
            result.reply = {};
            return result;
        }
        if (newline + 1 > kMaxReplyBytes) {
            return {ReplyStatus::Malformed, {}, 0};
        }
        std::string_view line = input.substr(at, newline - at);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2]) ||
            (line.size() > 3 && line[3] != ' ' && line[3] != '-')) {
            return {ReplyStatus::Malformed, {}, 0};
        }
        const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
        if (code < 200 || code > 599 || (result.reply.code != 0 && code != result.reply.code)) {
            return {ReplyStatus::Malformed, {}, 0};
        }
        result.reply.code = code;
        result.reply.lines.emplace_back(line.size() > 4 ? line.substr(4) : std::string_view{});
        at = newline + 1;
        if (line.size() == 3 || line[3] == ' ') {
            result.status = ReplyStatus::Complete;
            result.consumed = at;
            return result;
        }
    }
}

} // namespace pictorn::net
