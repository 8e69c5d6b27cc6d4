// Stands in for the user's image editor: writes how it was started into args.txt next to
// itself and ends, so a test can check the command line a hand-off builds.
//
// args.txt (UTF-8), one line each: the raw command line, the argument count (without the
// program), each argument, and each argument's long form (empty when it names nothing).
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::string toUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring longForm(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD length = GetLongPathNameW(path.c_str(), buffer, MAX_PATH * 2);
    return length > 0 && length < MAX_PATH * 2 ? std::wstring(buffer, length) : std::wstring();
}

std::wstring reportPath() {
    wchar_t self[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring path(self, length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"args.txt";
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring commandLine = GetCommandLineW();
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    std::string report = toUtf8(commandLine) + "\n" + std::to_string(count - 1) + "\n";
    for (int i = 1; argv && i < count; ++i)
        report += toUtf8(argv[i]) + "\n" + toUtf8(longForm(argv[i])) + "\n";
    if (argv)
        LocalFree(argv);
    // Written under a temporary name and renamed, so a reader never sees half a report.
    const std::wstring target = reportPath();
    const std::wstring temporary = target + L".part";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 1;
    return 0;
}
