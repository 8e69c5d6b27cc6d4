#include "platform/win32/win32_file_system.h"

#include "platform/win32/handle.h"
#include "platform/win32/text.h"

#include <windows.h>

namespace pictorn::platform::win32 {

namespace {

// Runs a "fill this buffer" call of the kind that returns the length it needs (with the
// terminator) when the buffer is too small, and the length it wrote (without) otherwise.
template <typename Fill> std::wstring growingBuffer(Fill fill) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

// "\\?\" and "\\.\" prefixes carry a '?' or '.' that is not a wildcard.
bool hasWildcard(std::wstring_view path) {
    if (path.starts_with(L"\\\\?\\")) {
        path.remove_prefix(4);
    }
    return path.find_first_of(L"*?") != std::wstring_view::npos;
}

} // namespace

bool Win32FileSystem::canOpenForReading(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    const Handle file{CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) {
        return false;
    }
    // Some systems let a directory be opened this way; it still is no file to read.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        return true;
    }
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::uint32_t> Win32FileSystem::attributes(std::string_view path) {
    if (path.empty()) {
        return std::nullopt;
    }
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return attributes;
}

std::optional<std::uint32_t> Win32FileSystem::findEntryAttributes(std::string_view path) {
    const std::wstring wide = toWide(path);
    // A pattern would report whichever entry happens to match first, not this name.
    if (wide.empty() || hasWildcard(wide)) {
        return std::nullopt;
    }
    WIN32_FIND_DATAW data{};
    const FindHandle search{FindFirstFileW(wide.c_str(), &data)};
    if (!search) {
        return std::nullopt;
    }
    return data.dwFileAttributes;
}

bool Win32FileSystem::createDirectory(std::string_view path) {
    return !path.empty() && CreateDirectoryW(toWide(path).c_str(), nullptr) != 0;
}

std::uint32_t Win32FileSystem::fullPathName(std::string_view path, std::string& fullPath) {
    const std::wstring wide = toWide(path);
    const std::wstring full = growingBuffer([&](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(wide.c_str(), size, buffer, nullptr);
    });
    if (full.empty()) {
        const DWORD error = GetLastError();
        // Never report a failure as success, even if the system left no code behind.
        return error != ERROR_SUCCESS ? error : ERROR_INVALID_NAME;
    }
    fullPath = toUtf8(full);
    return ERROR_SUCCESS;
}

std::string Win32FileSystem::shortPathName(std::string_view path) {
    const std::wstring wide = toWide(path);
    const std::wstring shortPath = growingBuffer(
        [&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(wide.c_str(), buffer, size); });
    return shortPath.empty() ? std::string(path) : toUtf8(shortPath);
}

std::string Win32FileSystem::systemErrorText(std::uint32_t code) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    const LocalMemory owner{message};
    if (length == 0 || message == nullptr) {
        return {};
    }
    std::wstring_view text(message, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'\t')) {
        text.remove_suffix(1);
    }
    return toUtf8(text);
}

} // namespace pictorn::platform::win32
