#include "platform/win32/win32_instance_guard.h"

#include "platform/win32/form_window.h"
#include "platform/win32/text.h"

#include <sddl.h>

#include <vector>

namespace pictorn::platform::win32 {
namespace {

// Marks a forwarded command line among other WM_COPYDATA traffic ("PCTN").
constexpr ULONG_PTR kForwardedArguments = 0x5043544E;
constexpr UINT kForwardTimeoutMs = 5000;

std::string packArguments(const std::vector<std::string>& arguments) {
    std::string packed;
    for (const std::string& argument : arguments) {
        packed += argument;
        packed += '\0';
    }
    return packed;
}

std::vector<std::string> unpackArguments(const char* data, std::size_t size) {
    std::vector<std::string> arguments;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current += data[i];
        }
    }
    return arguments;
}

} // namespace

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

namespace pictorn::platform::win32 {

bool Win32InstanceGuard::forward(const std::vector<std::string>& arguments) {
    std::string packed = packArguments(arguments);
    COPYDATASTRUCT data{};
    data.dwData = kForwardedArguments;
    data.cbData = static_cast<DWORD>(packed.size());
    data.lpData = packed.data();
    // The main window of the running copy is the one of the program's form windows that
    // accepts the message; the others refuse it.
    const DWORD self = GetCurrentProcessId();
    for (HWND window = FindWindowExW(nullptr, nullptr, FormWindow::className(), nullptr); window;
         window = FindWindowExW(nullptr, window, FormWindow::className(), nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == self)
            continue;
        DWORD_PTR accepted = 0;
        if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                SMTO_ABORTIFHUNG, kForwardTimeoutMs, &accepted) &&
            accepted == TRUE)
            return true;
    }
    return false;
}

void Win32InstanceGuard::listen(ui::Form& mainWindow) {
    FormWindow* window = FormWindow::of(mainWindow);
    if (!window)
        return;
    window->addMessageHook([this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (message != WM_COPYDATA)
            return false;
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != kForwardedArguments)
            return false;
        // Taken at once; the sender waits for this answer, not for the capture.
        result = TRUE;
        if (onForwarded)
            onForwarded(unpackArguments(static_cast<const char*>(data->lpData), data->cbData));
        return true;
    });
}

} // namespace pictorn::platform::win32
