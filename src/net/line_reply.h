#pragma once
// Replies of the line-based protocols (SMTP, RFC 5321 4.2; FTP, RFC 959 4.2): one line
// "NNN text" or "NNN", or several that open with "NNN-" and end at a line "NNN text" or
// "NNN" with the same code. SMTP repeats the code on every line; FTP lets the lines
// between the first and the last hold anything. The parser is a pure function over the
// bytes received so far, so it can be fed any input.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::net {

enum class ReplyGrammar {
    Smtp, // codes 200..599, every line carries the code
    Ftp,  // codes 100..599, lines inside a multi-line reply are free
};

struct Reply {
    int code = 0;
    std::vector<std::string> lines; // each line as sent, without its line end

    bool preliminary() const noexcept { return code >= 100 && code < 200; }
    bool positive() const noexcept { return code >= 200 && code < 300; }
    bool intermediate() const noexcept { return code >= 300 && code < 400; }
    // The lines joined by a blank: "530 Login incorrect.".
    std::string text() const;
    // The code once and the text after each line's code, control characters made blanks,
    // for a message box: "250 mail.example.org STARTTLS". For replies whose every line
    // carries the code (SMTP).
    std::string describe() const;
};

enum class ReplyScan { Incomplete, Complete, Malformed };

struct ReplyParse {
    ReplyScan status = ReplyScan::Incomplete;
    Reply reply;              // filled when Complete
    std::size_t consumed = 0; // bytes of the input the reply took, line ends included
};

// Lines end in CR LF or a bare LF. Input beyond `consumed` is left for the next reply. A
// line longer than kMaxReplyLine or a reply longer than kMaxReplyBytes is Malformed, so a
// server cannot make us buffer without end; so is input that already cannot start a line
// the grammar allows, without waiting for its line end.
inline constexpr std::size_t kMaxReplyLine = 8192;
inline constexpr std::size_t kMaxReplyBytes = 64 * 1024;
ReplyParse parseReply(std::string_view input, ReplyGrammar grammar);

} // namespace pictorn::net
