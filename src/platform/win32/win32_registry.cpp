#include "platform/win32/win32_registry.h"

#include "platform/win32/handle.h"
#include "platform/win32/text.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace pictorn::platform::win32 {

namespace {

// A value that keeps growing while we read it (performance data does) is given up on
// rather than chased forever.
constexpr DWORD kMaxValueBytes = 256u * 1024u * 1024u;

// Reads a value of any size into `data`: asks for the size first, then grows the buffer
// for as long as the value keeps outgrowing it.
LONG queryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) {
        return status;
    }
    for (;;) {
        // One spare UTF-16 unit: some readers of the system add a terminator that they do
        // not count, and it must not make the call fail.
        data.resize(static_cast<std::size_t>(size) + sizeof(wchar_t));
        DWORD capacity = static_cast<DWORD>(data.size());
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &capacity);
        if (status == ERROR_SUCCESS) {
            data.resize(capacity);
            return status;
        }
        if (status != ERROR_MORE_DATA) {
            return status;
        }
        const DWORD grown = capacity > size ? capacity : size * 2 + 256;
        if (grown > kMaxValueBytes) {
            return status;
        }
        size = grown;
    }
}

bool isTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

} // namespace

HKEY toHkey(RegHandle handle) noexcept {
    if (handle >= 0x80000000u && handle <= 0x800000FFu) {
        const auto extended = static_cast<std::intptr_t>(static_cast<std::int32_t>(handle));
        return reinterpret_cast<HKEY>(extended);
    }
    return reinterpret_cast<HKEY>(handle);
}

RegHandle fromHkey(HKEY key) noexcept {
    if (isPredefinedKey(key)) {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(key));
    }
    return reinterpret_cast<RegHandle>(key);
}

long Win32Registry::createKey(RegHandle hive, std::string_view subKey) {
    RegKey key;
    return RegCreateKeyExW(toHkey(hive), toWide(subKey).c_str(), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, MAXIMUM_ALLOWED, nullptr, key.put(), nullptr);
}

long Win32Registry::openKey(RegHandle hive, std::string_view subKey, std::uint32_t access,
                            RegHandle& key) {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(toHkey(hive), toWide(subKey).c_str(), 0, access, &opened);
    if (status == ERROR_SUCCESS) {
        key = fromHkey(opened);
    }
    return status;
}

long Win32Registry::setText(RegHandle key, std::string_view name, std::string_view text) {
    const std::wstring wide = toWide(text);
    const std::size_t bytes = wide.size() * sizeof(wchar_t);
    if (bytes > kMaxValueBytes) {
        return ERROR_INVALID_PARAMETER;
    }
    return RegSetValueExW(toHkey(key), toWide(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()), static_cast<DWORD>(bytes));
}

long Win32Registry::setBinary(RegHandle key, std::string_view name,
                              std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxValueBytes) {
        return ERROR_INVALID_PARAMETER;
    }
    // A valid pointer even for no bytes: the call rejects a null data pointer on some systems.
    static const BYTE none = 0;
    const BYTE* data = bytes.empty() ? &none : bytes.data();
    return RegSetValueExW(toHkey(key), toWide(name).c_str(), 0, REG_BINARY, data,
                          static_cast<DWORD>(bytes.size()));
}

long Win32Registry::queryText(RegHandle key, std::string_view name, std::string& text) {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    const LONG status = queryValue(toHkey(key), toWide(name), type, data);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (!isTextType(type)) {
        return kRegInvalidDataType;
    }
    std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
    if (!wide.empty()) {
        std::memcpy(wide.data(), data.data(), wide.size() * sizeof(wchar_t));
    }
    while (!wide.empty() && wide.back() == L'\0') {
        wide.pop_back();
    }
    text = toUtf8(wide);
    return ERROR_SUCCESS;
}

long Win32Registry::queryBinary(RegHandle key, std::string_view name, std::string& bytes) {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    const LONG status = queryValue(toHkey(key), toWide(name), type, data);
    if (status == ERROR_SUCCESS) {
        bytes.assign(reinterpret_cast<const char*>(data.data()), data.size());
    }
    return status;
}

long Win32Registry::closeKey(RegHandle key) {
    const HKEY hkey = toHkey(key);
    if (isPredefinedKey(hkey)) {
        return ERROR_SUCCESS;
    }
    return RegCloseKey(hkey);
}

} // namespace pictorn::platform::win32
