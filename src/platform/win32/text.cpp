#include "platform/win32/text.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace pictorn::platform::win32 {

namespace {

int checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        throw std::length_error("text too long to convert");
    }
    return static_cast<int>(size);
}

} // namespace

// Without MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS the system substitutes U+FFFD for
// malformed UTF-8 and for lone surrogates, which is exactly the safe behaviour we want.
std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length = checkedLength(utf8.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    const int written = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return wide;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int length = checkedLength(utf16.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    const int written = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, utf8.data(), needed,
                                            nullptr, nullptr);
    utf8.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return utf8;
}

} // namespace pictorn::platform::win32
