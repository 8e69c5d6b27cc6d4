// The state of a dialog's controls as a user sees it: check marks, list and tab
// selections, scroll positions, and where each control sits on the screen (so a test can
// click it, or check that it fits inside its window). Only messages that carry no pointer
// are sent, which Wine delivers across processes.
#include "commands.h"
#include "output.h"
#include "windows_query.h"

#include <commctrl.h>

namespace e2e {
namespace {

// A message that must not hang the driver when the program under test is busy.
long long ask(HWND control, UINT message, WPARAM wParam = 0) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(control, message, wParam, 0, SMTO_ABORTIFHUNG, 2000, &answer))
        return -2;
    return static_cast<long long>(static_cast<LRESULT>(answer));
}

// The control's selection or position: check state, list index, tab index, bar position.
void addSelection(Record& record, HWND control, const std::wstring& cls) {
    if (cls == L"Button") {
        record.add("checked", ask(control, BM_GETCHECK));
    } else if (cls == L"ComboBox") {
        record.add("cursel", ask(control, CB_GETCURSEL));
        record.add("count", ask(control, CB_GETCOUNT));
    } else if (cls == L"SysTabControl32") {
        record.add("cursel", ask(control, TCM_GETCURSEL));
        record.add("count", ask(control, TCM_GETITEMCOUNT));
    } else if (cls == L"ListBox") {
        record.add("cursel", ask(control, LB_GETCURSEL));
        record.add("count", ask(control, LB_GETCOUNT));
    } else if (cls == L"ScrollBar") {
        record.add("pos", ask(control, SBM_GETPOS));
    } else if (cls == L"msctls_progress32") {
        record.add("pos", ask(control, PBM_GETPOS));
    }
}

} // namespace

int controls(const Args& args) {
    const auto& p = args.positional;
    if (p.empty() || p.size() > 2)
        return usage("controls <title> [class]");
    // Physical pixels, whatever the program's DPI setting, so rectangles match the screen.
    SetProcessDPIAware();
    HWND window = findOne(args, p[0], p.size() > 1 ? p[1] : L"*");
    if (!window)
        return 1;
    // The focus of another process's thread is only known through its GUI thread info.
    GUITHREADINFO gui{};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
    RECT client{}, outer{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    GetWindowRect(window, &outer);
    Record()
        .add("hwnd", window)
        .add("kind", "window")
        .add("left", client.left)
        .add("top", client.top)
        .add("right", client.right)
        .add("bottom", client.bottom)
        .add("outer_left", outer.left)
        .add("outer_top", outer.top)
        .add("outer_right", outer.right)
        .add("outer_bottom", outer.bottom)
        .print();
    for (HWND child : childrenOf(window)) {
        const std::wstring cls = windowClass(child);
        RECT rect{};
        GetWindowRect(child, &rect);
        Record record;
        record.add("hwnd", child)
            .add("kind", "control")
            .add("class", cls)
            .add("id", static_cast<long long>(GetDlgCtrlID(child)))
            .add("visible", static_cast<long long>(IsWindowVisible(child) ? 1 : 0))
            .add("enabled", static_cast<long long>(IsWindowEnabled(child) ? 1 : 0))
            .add("focused", static_cast<long long>(gui.hwndFocus == child ? 1 : 0))
            .add("left", rect.left)
            .add("top", rect.top)
            .add("right", rect.right)
            .add("bottom", rect.bottom)
            .addHex("style", static_cast<unsigned long long>(GetWindowLongPtrW(child, GWL_STYLE)));
        addSelection(record, child, cls);
        record.add("text", windowText(child)).print();
    }
    return 0;
}

} // namespace e2e
