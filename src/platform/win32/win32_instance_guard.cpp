#include "platform/win32/win32_instance_guard.h"

#include "platform/win32/text.h"

#include <sddl.h>

#include <vector>

namespace pictorn::platform::win32 {

std::wstring currentUserSid() {
    Handle token;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return {};
    }
    token.reset(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) {
        return {};
    }
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(user->User.Sid, &text)) {
        return {};
    }
    const LocalMemory owner{text};
    return text;
}

Win32InstanceGuard::Win32InstanceGuard(std::string_view programId) {
    // Backslashes are not allowed in an object name after the namespace prefix.
    std::wstring id = toWide(programId);
    for (wchar_t& c : id) {
        if (c == L'\\') {
            c = L'_';
        }
    }
    name_ = L"Local\\" + id + L"-SingleInstance-" + currentUserSid();
}

bool Win32InstanceGuard::claim() {
    if (mutex_) {
        return true; // already ours
    }
    Handle mutex{CreateMutexW(nullptr, FALSE, name_.c_str())};
    const DWORD error = GetLastError();
    if (!mutex) {
        // Access denied means a copy running with other rights holds the name. Any other
        // failure leaves us unable to tell, and refusing to start would lock the user out.
        return error != ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        return false; // our handle closes here, so the other copy's exit frees the name
    }
    mutex_ = std::move(mutex);
    return true;
}

} // namespace pictorn::platform::win32
