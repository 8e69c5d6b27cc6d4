// time-save: how long the program's window stops answering while it saves. The Save
// button of its open file dialog is clicked, and from then on the window is sent WM_NULL
// about every 10 ms from a thread of our own; the longest wait for an answer is the
// longest time a user's click or repaint would have waited. The measure ends when the
// target file exists (the program writes a temporary file and renames it, so it is whole).
// The same pings for a second before the click, while the program waits in its dialog,
// give the machine's own delays in the same run.
#include "commands_output.h"
#include "output.h"
#include "windows_query.h"

#include <atomic>
#include <string>

namespace e2e {
namespace {

constexpr long long kSlowMs = 50;

struct Pinger {
    HWND window = nullptr;
    LARGE_INTEGER start{};
    LARGE_INTEGER frequency{};
    std::atomic<bool> stop{false};
    long long longestMs = 0;
    long long longestAtMs = 0;
    long long pings = 0;
    bool unanswered = false;
    HANDLE thread = nullptr;
    std::string slow; // "at:ms" of every wait over kSlowMs

    long long nowMs() const {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        return (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
    }
};

DWORD WINAPI pingLoop(void* data) {
    auto& pinger = *static_cast<Pinger*>(data);
    while (!pinger.stop.load()) {
        const long long sent = pinger.nowMs();
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(pinger.window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored))
            pinger.unanswered = true;
        const long long waited = pinger.nowMs() - sent;
        ++pinger.pings;
        if (waited > kSlowMs)
            pinger.slow += (pinger.slow.empty() ? "" : " ") + std::to_string(sent) + ":" +
                           std::to_string(waited);
        if (waited > pinger.longestMs) {
            pinger.longestMs = waited;
            pinger.longestAtMs = sent;
        }
        Sleep(10);
    }
    return 0;
}

constexpr DWORD kIdleMs = 1000;

bool startPings(Pinger& pinger, HWND window) {
    pinger.window = window;
    QueryPerformanceFrequency(&pinger.frequency);
    QueryPerformanceCounter(&pinger.start);
    pinger.thread = CreateThread(nullptr, 0, pingLoop, &pinger, 0, nullptr);
    if (!pinger.thread)
        fail("CreateThread failed");
    return pinger.thread != nullptr;
}

void stopPings(Pinger& pinger) {
    pinger.stop = true;
    WaitForSingleObject(pinger.thread, INFINITE);
    CloseHandle(pinger.thread);
}

} // namespace

int timeSave(const Args& args) {
    const auto& p = args.positional;
    unsigned long timeout = 0;
    if (p.size() != 4 || !parseNumber(p[3], timeout))
        return usage("time-save <main-title> <dialog-title> <target-file> <timeout-ms>");
    HWND main = findOne(args, p[0], L"*");
    Args visible = args;
    visible.hidden = false;
    HWND dialog = main ? findOne(visible, p[1], L"#32770") : nullptr;
    HWND button = dialog ? visibleButton(dialog, L"Save") : nullptr;
    if (!button) {
        fail("no main window, or no dialog with a Save button");
        return 1;
    }
    const std::wstring& target = p[2];
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        fail("the target file exists already");
        return 1;
    }
    Pinger idle;
    if (!startPings(idle, main))
        return 1;
    Sleep(kIdleMs);
    stopPings(idle);
    Pinger pinger;
    // Posted, as a user's click arrives: the dialog's own loop takes it.
    PostMessageW(button, BM_CLICK, 0, 0);
    if (!startPings(pinger, main))
        return 1;
    long long writtenMs = -1;
    const ULONGLONG deadline = GetTickCount64() + timeout;
    while (GetTickCount64() < deadline) {
        if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
            writtenMs = pinger.nowMs();
            break;
        }
        Sleep(2);
    }
    stopPings(pinger);
    if (writtenMs < 0) {
        fail("timed out waiting for the saved file");
        return 1;
    }
    Record()
        .add("write_ms", writtenMs)
        .add("stall_ms", pinger.longestMs)
        .add("stall_at_ms", pinger.longestAtMs)
        .add("pings", pinger.pings)
        .add("unanswered", pinger.unanswered ? 1LL : 0LL)
        .add("idle_stall_ms", idle.longestMs)
        .add("slow", pinger.slow)
        .print();
    return 0;
}

} // namespace e2e
