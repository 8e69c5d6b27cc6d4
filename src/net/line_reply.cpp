#include "net/line_reply.h"

#include <algorithm>

namespace pictorn::net {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int lowestCode(ReplyGrammar grammar) {
    return grammar == ReplyGrammar::Smtp ? 200 : 100;
}

// What a line that must carry a code has shown so far: Malformed as soon as it cannot be
// "NNN", "NNN " or "NNN-" with a code the grammar allows, Complete once it has all it
// needs (`code` set), Incomplete while it is still too short to tell.
ReplyScan codedStart(std::string_view line, ReplyGrammar grammar, int& code) {
    const std::string_view digits = line.substr(0, std::min<std::size_t>(line.size(), 3));
    if (!std::all_of(digits.begin(), digits.end(), isDigit)) {
        return ReplyScan::Malformed;
    }
    if (!digits.empty() && (digits[0] < lowestCode(grammar) / 100 + '0' || digits[0] > '5')) {
        return ReplyScan::Malformed;
    }
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-') {
        return ReplyScan::Malformed;
    }
    if (digits.size() < 3) {
        return ReplyScan::Incomplete;
    }
    code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    return ReplyScan::Complete;
}

bool closes(std::string_view line, int code) {
    return line.size() >= 3 && std::all_of(line.begin(), line.begin() + 3, isDigit) &&
           (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0') == code &&
           (line.size() == 3 || line[3] == ' ');
}

} // namespace

std::string Reply::text() const {
    std::string out;
    for (const std::string& line : lines) {
        if (!out.empty()) {
            out += ' ';
        }
        out += line;
    }
    return out;
}

std::string Reply::describe() const {
    std::string out = std::to_string(code);
    for (const std::string& line : lines) {
        if (line.size() <= 4) {
            continue;
        }
        out += ' ';
        for (const char c : std::string_view(line).substr(4)) {
            const auto u = static_cast<unsigned char>(c);
            out += (u < 0x20 || u == 0x7F) ? ' ' : c;
        }
    }
    return out;
}

ReplyParse parseReply(std::string_view input, ReplyGrammar grammar) {
    ReplyParse result;
    std::size_t at = 0;
    for (;;) {
        const bool coded = result.reply.lines.empty() || grammar == ReplyGrammar::Smtp;
        const std::size_t newline = input.find('\n', at);
        const std::size_t end = newline == std::string_view::npos ? input.size() : newline;
        std::string_view line = input.substr(at, end - at);
        if (newline != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        int code = 0;
        if (line.size() > kMaxReplyLine || end > kMaxReplyBytes ||
            (coded && codedStart(line, grammar, code) == ReplyScan::Malformed)) {
            return {ReplyScan::Malformed, {}, 0};
        }
        if (newline == std::string_view::npos) {
            return {ReplyScan::Incomplete, {}, 0};
        }
        if (coded && (code == 0 || (result.reply.code != 0 && code != result.reply.code))) {
            return {ReplyScan::Malformed, {}, 0}; // too short for a code, or another code
        }
        if (result.reply.lines.empty()) {
            result.reply.code = code;
        }
        result.reply.lines.emplace_back(line);
        at = newline + 1;
        if (result.reply.lines.size() == 1 ? (line.size() == 3 || line[3] == ' ')
                                           : closes(line, result.reply.code)) {
            result.status = ReplyScan::Complete;
            result.consumed = at;
            return result;
        }
    }
}

} // namespace pictorn::net
