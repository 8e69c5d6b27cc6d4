#include "commands.h"
#include "output.h"
#include "windows_query.h"

#include <cstdlib>

namespace e2e {

bool parseNumber(const std::wstring& text, unsigned long& value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    value = std::wcstoul(text.c_str(), &end, 0);
    return end && *end == L'\0';
}

int usage(const char* synopsis) {
    fail(std::string("usage: e2e_driver ") + synopsis + " [--pid N] [--hidden]");
    return 2;
}

HWND findOne(const Args& args, const std::wstring& title, const std::wstring& className) {
    WindowFilter filter{title, className, args.pid, !args.hidden};
    std::vector<HWND> found = findTopLevel(filter);
    if (found.empty()) {
        fail("no such window: " + toUtf8(title));
        return nullptr;
    }
    return found.front();
}

int listWindows(const Args& args) {
    const auto& p = args.positional;
    WindowFilter filter;
    if (p.size() > 0)
        filter.title = p[0];
    if (p.size() > 1)
        filter.className = p[1];
    filter.pid = args.pid;
    filter.visibleOnly = !args.hidden;
    for (HWND window : findTopLevel(filter)) {
        wchar_t title[512] = {};
        GetWindowTextW(window, title, 512);
        Record()
            .add("hwnd", window)
            .add("pid", static_cast<long long>(windowPid(window)))
            .add("class", windowClass(window))
            .add("visible", static_cast<long long>(IsWindowVisible(window) ? 1 : 0))
            .add("title", std::wstring(title))
            .print();
    }
    return 0;
}

int windowInfo(const Args& args) {
    const auto& p = args.positional;
    if (p.empty() || p.size() > 2)
        return usage("window-info <title> [class]");
    HWND window = findOne(args, p[0], p.size() > 1 ? p[1] : L"*");
    if (!window)
        return 1;
    RECT rect{}, client{};
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    wchar_t caption[512] = {};
    GetWindowTextW(window, caption, 512);
    auto flag = [](bool on) {
        return static_cast<long long>(on ? 1 : 0);
    };
    Record()
        .add("hwnd", window)
        .add("pid", static_cast<long long>(windowPid(window)))
        .add("class", windowClass(window))
        .add("caption", std::wstring(caption))
        .add("visible", flag(IsWindowVisible(window)))
        .add("enabled", flag(IsWindowEnabled(window)))
        .add("minimized", flag(IsIconic(window)))
        .add("maximized", flag(IsZoomed(window)))
        .add("left", rect.left)
        .add("top", rect.top)
        .add("right", rect.right)
        .add("bottom", rect.bottom)
        .add("client_width", client.right)
        .add("client_height", client.bottom)
        .add("menu", flag(GetMenu(window) != nullptr))
        .add("topmost", flag((exStyle & WS_EX_TOPMOST) != 0))
        .add("foreground", flag(GetForegroundWindow() == window))
        .addHex("style", static_cast<unsigned long long>(style))
        .addHex("exstyle", static_cast<unsigned long long>(exStyle))
        .print();
    return 0;
}

int children(const Args& args) {
    const auto& p = args.positional;
    if (p.empty() || p.size() > 2)
        return usage("children <title> [class]");
    HWND window = findOne(args, p[0], p.size() > 1 ? p[1] : L"*");
    if (!window)
        return 1;
    for (HWND child : childrenOf(window)) {
        std::wstring cls = windowClass(child);
        Record record;
        record.add("hwnd", child)
            .add("class", cls)
            .add("id", static_cast<long long>(GetDlgCtrlID(child)))
            .add("visible", static_cast<long long>(IsWindowVisible(child) ? 1 : 0))
            .add("enabled", static_cast<long long>(IsWindowEnabled(child) ? 1 : 0));
        if (cls == L"Button") {
            DWORD_PTR check = 0;
            SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
            record.add("checked", static_cast<long long>(check));
        }
        record.add("text", windowText(child)).print();
    }
    return 0;
}

} // namespace e2e
