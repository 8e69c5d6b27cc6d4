#include "windows_query.h"

namespace e2e {
namespace {

bool matches(const std::wstring& pattern, const std::wstring& value) {
    return pattern.empty() || pattern == L"*" || pattern == value;
}

struct Search {
    const WindowFilter* filter;
    std::vector<HWND> found;
};

BOOL CALLBACK collectTopLevel(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    const WindowFilter& filter = *search->filter;
    if (filter.visibleOnly && !IsWindowVisible(window))
        return TRUE;
    if (filter.pid != 0 && windowPid(window) != filter.pid)
        return TRUE;
    // The title of a top-level window is read without sending it a message, so a hung
    // program cannot hang the driver.
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    if (matches(filter.title, title) && matches(filter.className, windowClass(window)))
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK collectChild(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> findTopLevel(const WindowFilter& filter) {
    Search search{&filter, {}};
    EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::wstring windowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
        wchar_t text[1024] = {};
        GetWindowTextW(window, text, 1024);
        return text;
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

std::wstring windowClass(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

DWORD windowPid(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::wstring withoutMnemonics(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

bool pollUntil(DWORD timeoutMs, const std::function<bool()>& condition) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(50);
    }
}

HWND visibleButton(HWND window, const std::wstring& text) {
    for (HWND child : childrenOf(window))
        if (windowClass(child) == L"Button" && IsWindowVisible(child) &&
            withoutMnemonics(windowText(child)) == withoutMnemonics(text))
            return child;
    return nullptr;
}

} // namespace e2e
