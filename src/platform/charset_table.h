#pragma once
// The mail charsets the program knows, with the Windows code page and the iconv name of
// each, and the checks that make a near relative do a strict charset's job (Windows' 949
// for EUC-KR, 936 for GB2312 and HZ), so both platforms send the same bytes.
#include <string>
#include <string_view>

namespace pictorn::platform {

enum class CharsetCheck {
    None,
    EucStrict, // every non-ASCII byte pair must lie in A1..FE A1..FE (GB2312, EUC-KR)
};

struct CharsetInfo {
    std::string_view name;      // lower case, as matched
    unsigned codePage;          // Windows code page
    std::string_view iconvName; // glibc iconv name; empty when converted another way
    CharsetCheck check = CharsetCheck::None;
};

// The entry for a charset name (case does not matter), or nullptr.
const CharsetInfo* findCharset(std::string_view name);

// True when the bytes are ASCII and pairs of A1..FE bytes only.
bool isStrictEuc(std::string_view bytes);

// HZ (RFC 1843) from strict GB2312 bytes: two-byte runs go between "~{" and "~}" with their
// high bits cleared, a "~" becomes "~~". Lines end outside a run, as the RFC asks.
std::string hzFromGb2312(std::string_view gb2312);

} // namespace pictorn::platform
