#include "platform/win32/win32_launcher.h"

#include "platform/launch_errors.h"
#include "platform/win32/handle.h"
#include "platform/win32/text.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace pictorn::platform::win32 {

namespace {

std::string errorText(DWORD code) {
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    const LocalMemory owner{message};
    if (length == 0 || message == nullptr)
        return {};
    std::wstring_view text(message, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.remove_suffix(1);
    return toUtf8(text);
}

} // namespace

std::uint32_t Win32Launcher::startProgram(std::string_view commandLine) {
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring line = toWide(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        const DWORD code = GetLastError();
        throw launchError(code, commandLine, errorText(code));
    }
    const Handle process{info.hProcess};
    const Handle thread{info.hThread};
    // The new program may take the foreground from us while it starts.
    AllowSetForegroundWindow(info.dwProcessId);
    return info.dwProcessId;
}

void Win32Launcher::openWithShell(std::string_view target, std::string_view workingFolder) {
    const std::wstring file = toWide(target);
    const std::wstring folder = toWide(workingFolder);
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr,
                      folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
    const auto code = reinterpret_cast<std::intptr_t>(result);
    if (code <= 32) {
        const std::uint32_t systemCode = shellExecuteResultToSystemCode(code);
        throw launchError(systemCode, target, errorText(systemCode));
    }
}

} // namespace pictorn::platform::win32
