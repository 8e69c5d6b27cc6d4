#include "platform/win32/win32_charsets.h"

#include "platform/charset_table.h"
#include "platform/win32/text.h"

#include <windows.h>

namespace pictorn::platform::win32 {

namespace {

// Code pages that refuse WC_NO_BEST_FIT_CHARS and the used-default flag; their results
// are checked by converting them back instead.
bool takesNoFlags(unsigned codePage) {
    return codePage == 42 || (codePage >= 50220 && codePage <= 50229) || codePage == 52936 ||
           codePage == 54936 || (codePage >= 57002 && codePage <= 57011) || codePage == 65000 ||
           codePage == 65001;
}

bool roundTrips(unsigned codePage, const std::string& bytes, const std::wstring& wide) {
    const int length =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) {
        return false;
    }
    std::wstring back(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), back.data(),
                        length);
    return back == wide;
}

CharsetResult encode(unsigned codePage, const std::wstring& wide) {
    if (!IsValidCodePage(codePage)) {
        return {CharsetStatus::Unknown, {}};
    }
    if (wide.empty()) {
        return {CharsetStatus::Ok, {}};
    }
    const bool plain = takesNoFlags(codePage);
    const DWORD flags = plain ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = plain ? nullptr : &usedDefault;
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr,
                                           usedDefaultOut);
    if (length <= 0) {
        return {GetLastError() == ERROR_INVALID_PARAMETER ? CharsetStatus::Unknown
                                                          : CharsetStatus::CannotHold,
                {}};
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr,
                        usedDefaultOut);
    if (usedDefault || !roundTrips(codePage, bytes, wide)) {
        return {CharsetStatus::CannotHold, {}};
    }
    return {CharsetStatus::Ok, std::move(bytes)};
}

} // namespace

CharsetResult Win32Charsets::fromUtf8(std::string_view charset, std::string_view utf8) const {
    const CharsetInfo* info = findCharset(charset);
    if (info == nullptr) {
        return {CharsetStatus::Unknown, {}};
    }
    const std::wstring wide = toWide(utf8);
    CharsetResult result = encode(info->codePage, wide);
    if (result.status == CharsetStatus::Unknown && info->codePage == 54936) {
        // Systems without GB18030 still have GBK, whose bytes GB18030 shares except 0x80.
        result = encode(936, wide);
        if (result.ok() && result.bytes.find('\x80') != std::string::npos) {
            result = {CharsetStatus::CannotHold, {}};
        }
    }
    if (result.ok() && info->check == CharsetCheck::EucStrict && !isStrictEuc(result.bytes)) {
        return {CharsetStatus::CannotHold, {}};
    }
    if (result.ok() && info->iconvName.empty()) {
        result.bytes = hzFromGb2312(result.bytes);
    }
    return result;
}

} // namespace pictorn::platform::win32
