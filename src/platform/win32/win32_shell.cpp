#include "platform/win32/win32_shell.h"

#include "platform/win32/text.h"

#include <windows.h>

#include <shlobj.h>

namespace pictorn::platform::win32 {

namespace {

// The full path of the running exe. GetModuleFileNameW truncates silently (returning the
// buffer size), so the buffer grows until the whole path fits.
std::wstring modulePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 32768) { // the longest path the system has
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string Win32Shell::specialFolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
        return {};
    }
    std::wstring_view folder(path);
    while (!folder.empty() && folder.back() == L'\\') {
        folder.remove_suffix(1);
    }
    return toUtf8(folder);
}

std::string Win32Shell::programFolder() {
    const std::wstring path = modulePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        return {};
    }
    std::wstring folder = path.substr(0, slash + 1);
    folder.back() = L'\\';
    return toUtf8(folder);
}

std::string Win32Shell::programName() {
    const std::wstring path = modulePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) {
        name.resize(dot);
    }
    return toUtf8(name);
}

} // namespace pictorn::platform::win32
