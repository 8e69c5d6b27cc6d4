#include "platform/win32/win32_data_protection.h"

#include <windows.h>

#include <dpapi.h>

namespace pictorn::platform::win32 {

namespace {

// The output blob is the system's to free.
std::string takeBlob(DATA_BLOB& blob) {
    std::string bytes(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
    SecureZeroMemory(blob.pbData, blob.cbData);
    LocalFree(blob.pbData);
    return bytes;
}

DATA_BLOB blobOf(std::string_view bytes) {
    return {static_cast<DWORD>(bytes.size()),
            reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

} // namespace

std::optional<std::string> Win32DataProtection::protect(std::string_view plain) {
    DATA_BLOB in = blobOf(plain);
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"Pictorn", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out)) {
        return std::nullopt;
    }
    return takeBlob(out);
}

std::optional<std::string> Win32DataProtection::unprotect(std::string_view sealed) {
    DATA_BLOB in = blobOf(sealed);
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                            &out)) {
        return std::nullopt;
    }
    return takeBlob(out);
}

} // namespace pictorn::platform::win32
