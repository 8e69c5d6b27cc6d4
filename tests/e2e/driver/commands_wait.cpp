#include "commands.h"
#include "output.h"
#include "windows_query.h"

namespace e2e {
namespace {

// "<title> <timeout>" or "<title> <class> <timeout>".
bool titleClassTimeout(const Args& args, WindowFilter& filter, unsigned long& timeout) {
    const auto& p = args.positional;
    if (p.size() < 2 || p.size() > 3 || !parseNumber(p.back(), timeout))
        return false;
    filter.title = p[0];
    if (p.size() == 3)
        filter.className = p[1];
    filter.pid = args.pid;
    filter.visibleOnly = !args.hidden;
    return true;
}

void printWindow(HWND window) {
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    Record()
        .add("hwnd", window)
        .add("pid", static_cast<long long>(windowPid(window)))
        .add("class", windowClass(window))
        .add("title", std::wstring(title))
        .print();
}

} // namespace

int waitWindow(const Args& args) {
    WindowFilter filter;
    unsigned long timeout = 0;
    if (!titleClassTimeout(args, filter, timeout))
        return usage("wait-window <title> [class] <timeout-ms>");
    std::vector<HWND> found;
    if (!pollUntil(timeout, [&] { return !(found = findTopLevel(filter)).empty(); })) {
        fail("timed out waiting for the window");
        return 1;
    }
    printWindow(found.front());
    return 0;
}

int waitGone(const Args& args) {
    WindowFilter filter;
    unsigned long timeout = 0;
    if (!titleClassTimeout(args, filter, timeout))
        return usage("wait-gone <title> [class] <timeout-ms>");
    filter.visibleOnly = false; // a hidden window is not gone
    if (!pollUntil(timeout, [&] { return findTopLevel(filter).empty(); })) {
        fail("timed out: the window still exists");
        return 1;
    }
    return 0;
}

int waitMessageBox(const Args& args) {
    const auto& p = args.positional;
    unsigned long timeout = 0;
    if (p.size() != 2 || !parseNumber(p[1], timeout))
        return usage("wait-messagebox <title> <timeout-ms>");
    WindowFilter filter{p[0], L"#32770", args.pid, !args.hidden};
    std::vector<HWND> found;
    // The box is shown before its buttons are all created; wait until one exists.
    auto ready = [&] {
        found = findTopLevel(filter);
        for (HWND box : found)
            for (HWND child : childrenOf(box))
                if (windowClass(child) == L"Button")
                    return true;
        return false;
    };
    if (!pollUntil(timeout, ready)) {
        fail("timed out waiting for the message box");
        return 1;
    }
    HWND box = found.front();
    printWindow(box);
    for (HWND child : childrenOf(box)) {
        std::wstring cls = windowClass(child);
        std::wstring text = windowText(child);
        if (cls == L"Button") {
            Record()
                .add("kind", "button")
                .add("id", static_cast<long long>(GetDlgCtrlID(child)))
                .add("text", withoutMnemonics(text))
                .print();
        } else if (cls == L"Static" && !text.empty()) {
            Record().add("kind", "text").add("text", text).print();
        }
    }
    return 0;
}

int waitPidExit(const Args& args) {
    const auto& p = args.positional;
    unsigned long pid = 0, timeout = 0;
    if (p.size() != 2 || !parseNumber(p[0], pid) || !parseNumber(p[1], timeout))
        return usage("wait-pid-exit <pid> <timeout-ms>");
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) {
        Record().add("exited", "1").add("exit_code", "unknown").print();
        return 0; // already gone
    }
    DWORD wait = WaitForSingleObject(process, timeout);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    if (wait != WAIT_OBJECT_0) {
        fail("timed out: the process is still running");
        return 1;
    }
    Record().add("exited", "1").add("exit_code", static_cast<long long>(code)).print();
    return 0;
}

} // namespace e2e
