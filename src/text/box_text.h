#pragma once
// Text from outside the program (a server's reply, a list of file names) as a message box
// shows it. A 40 KiB reply would make a box taller than the screen, with its OK button out
// of reach, so the middle gives way to "..." and the beginning and the end (where the step
// and a name usually stand) stay. Header-only, for the mail and the FTP windows alike.
#include <cstddef>
#include <string>
#include <string_view>

namespace pictorn::text {

inline constexpr std::size_t kBoxTextLimit = 300; // bytes of UTF-8, about five lines of a box

inline std::string shortenedForBox(std::string_view text, std::size_t limit = kBoxTextLimit) {
    if (text.size() <= limit) {
        return std::string(text);
    }
    const auto isContinuation = [&](std::size_t at) {
        return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    std::size_t headEnd = limit * 3 / 4;
    while (headEnd > 0 && isContinuation(headEnd)) {
        --headEnd;
    }
    std::size_t tailStart = text.size() - (limit - limit * 3 / 4 - 3);
    while (isContinuation(tailStart)) {
        ++tailStart;
    }
    return std::string(text.substr(0, headEnd)) + "..." + std::string(text.substr(tailStart));
}

} // namespace pictorn::text
