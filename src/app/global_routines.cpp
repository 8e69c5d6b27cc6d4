#include "app/global_routines.h"

#include "platform/app_error.h"

#include <algorithm>
#include <array>
#include <vector>

namespace pictorn::app {

namespace {

std::string shiftBytes(std::string_view text, int offset) {
    std::string out(text);
    for (char& c : out) {
        const int shifted = static_cast<unsigned char>(c) + offset;
        if (shifted < 0 || shifted > 255) {
            throw AppError(errors::kInvalidProcedureCall, "Invalid procedure call or argument");
        }
        c = static_cast<char>(static_cast<unsigned char>(shifted));
    }
    return out;
}

// Length of the UTF-8 sequence starting with this byte; a stray byte stands alone, so
// malformed text is still compared byte by byte instead of swallowing its neighbours.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (at + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

std::vector<std::string_view> codePoints(std::string_view text) {
    std::vector<std::string_view> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(text, at);
        out.push_back(text.substr(at, length));
        at += length;
    }
    return out;
}

} // namespace

std::string ScramblePassword(std::string_view text) {
    return shiftBytes(text, kScrambleOffset);
}

std::string UnscramblePassword(std::string_view text) {
    return shiftBytes(text, -kScrambleOffset);
}

bool FileExists(platform::FileSystem& files, std::string_view path) {
    try {
        return files.canOpenForReading(path);
    } catch (const std::exception&) {
        return false;
    }
}

bool FolderExists(platform::FileSystem& files, std::string_view path) {
    try {
        const auto attributes = files.attributes(path);
        return attributes && (*attributes & platform::kAttrDirectory) != 0;
    } catch (const std::exception&) {
        return false;
    }
}

std::string StringChk(std::string_view text, std::string_view set) {
    const auto setChars = codePoints(set);
    std::string found;
    for (std::size_t at = 0; at < text.size();) {
        const std::string_view c = text.substr(at, sequenceLength(text, at));
        at += c.size();
        for (std::string_view s : setChars) {
            // Compared by hand: a library comparison for each pair of one-byte characters
            // cost more than the rest of the check (a long stored prefix meets every one).
            if (s.size() == c.size() &&
                std::equal(c.begin(), c.end(), s.begin(), [](char a, char b) { return a == b; })) {
                found += c;
            }
        }
    }
    return found;
}

std::string LocatePaint(platform::FileSystem& files) {
    static constexpr std::array<std::string_view, 3> kCandidates{
        "c:\\program files\\accessories\\mspaint.exe",
        "c:\\winnt\\system32\\mspaint.exe",
        "c:\\windows\\system32\\mspaint.exe",
    };
    for (std::string_view candidate : kCandidates) {
        if (FileExists(files, candidate)) {
            return std::string(candidate);
        }
    }
    return {};
}

} // namespace pictorn::app
