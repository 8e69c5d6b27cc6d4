#include "commands.h"
#include "output.h"
#include "windows_query.h"

namespace e2e {

int clickButton(const Args& args) {
    const auto& p = args.positional;
    if (p.size() != 2)
        return usage("click-button <window-title> <button-text>");
    HWND window = findOne(args, p[0], L"*");
    if (!window)
        return 1;
    if (HWND button = visibleButton(window, p[1])) {
        // Posted, not sent: the click may open a modal window, which would keep a sent
        // message from returning until that window closes.
        PostMessageW(button, BM_CLICK, 0, 0);
        Record().add("clicked", button).print();
        return 0;
    }
    fail("no visible button with that text: " + toUtf8(p[1]));
    return 1;
}

int postCommand(const Args& args) {
    const auto& p = args.positional;
    unsigned long id = 0;
    if (p.size() != 2 || !parseNumber(p[1], id) || id > 0xFFFF)
        return usage("post-command <title> <command-id>");
    HWND window = findOne(args, p[0], L"*");
    if (!window)
        return 1;
    if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0)) {
        fail("PostMessage failed");
        return 1;
    }
    return 0;
}

int closeWindow(const Args& args) {
    const auto& p = args.positional;
    if (p.size() != 1)
        return usage("close <title>");
    HWND window = findOne(args, p[0], L"*");
    if (!window)
        return 1;
    if (!PostMessageW(window, WM_CLOSE, 0, 0)) {
        fail("PostMessage failed");
        return 1;
    }
    return 0;
}

} // namespace e2e
