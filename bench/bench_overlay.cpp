// Speed of the rectangle-selection overlay, run by hand under Wine (bench/overlay_bench.sh)
// or on Windows: opening (the screen grab included) until the window is shown and painted,
// and what one pointer move costs with the magnifier on: the model, the magnifier's
// rendering and the repaint, with the area repainted against the magnifier's own.
//
//   bench_overlay.exe [moves]
#include "bench_timing.h"
#include "capture/frm_rectangle.h"
#include "platform/headless/scripted_message_box.h"
#include "platform/win32/overlay_window.h"
#include "platform/win32/ui_toolkit_win32.h"
#include "platform/win32/win32_screen_capture.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace pictorn;
using bench::median;
using bench::nowMs;

// Pixels of the window's update region as each paint begins.
long long g_repainted = 0;
LRESULT CALLBACK watchPaints(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_PAINT) {
        g_repainted += bench::updateArea(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    const int moves = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    platform::win32::Win32Toolkit toolkit;
    toolkit.registerPeerFactory(capture::kRectangleFormName, &platform::win32::OverlayWindow::make);
    platform::win32::Win32ScreenCapture screen;
    headless::ScriptedMessageBox messageBox;
    capture::FrmRectangle overlay(
        toolkit, screen, messageBox, [] { return app::kRed; },
        [](const capture::SelectionResult&) {});
    SetCursorPos(10, 10);

    std::vector<double> grabs;
    for (int run = 0; run < 5; ++run) {
        const double start = nowMs();
        const imaging::Picture grabbed = screen.grab(screen.virtualScreen());
        grabs.push_back(nowMs() - start);
    }
    std::vector<double> opening;
    HWND window = nullptr;
    for (int run = 0; run < 7; ++run) {
        const double start = nowMs();
        overlay.show();
        window = FindWindowW(L"PictornScreenOverlay", nullptr);
        while (!window || !IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) {
            toolkit.doEvents();
            window = FindWindowW(L"PictornScreenOverlay", nullptr);
        }
        GdiFlush();
        opening.push_back(nowMs() - start);
        if (run < 6)
            overlay.unload();
    }

    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, watchPaints, nullptr, GetCurrentThreadId());
    const int width = overlay.frozen().width, height = overlay.frozen().height;
    std::vector<double> moveMs;
    g_repainted = 0;
    long long loupeArea = 0;
    for (int i = 0; i < moves; ++i) {
        const int x = 200 + (i * 37) % std::max(width - 400, 1);
        const int y = 200 + (i * 23) % std::max(height - 400, 1);
        const double start = nowMs();
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        moveMs.push_back(nowMs() - start);
        if (const auto& loupe = overlay.loupe())
            loupeArea +=
                static_cast<long long>(loupe->area.width) * loupe->area.height +
                static_cast<long long>(loupe->readoutArea.width) * loupe->readoutArea.height;
    }
    UnhookWindowsHookEx(hook);
    overlay.unload();

    std::printf("screen %dx%d\n", width, height);
    std::printf("open to painted: median %.1f ms (7 runs, first %.1f ms)\n", median(opening),
                opening.front());
    std::printf("  of which the screen grab alone: median %.1f ms\n", median(grabs));
    std::printf("pointer move: median %.2f ms, slowest %.2f ms (%d moves)\n", median(moveMs),
                *std::max_element(moveMs.begin(), moveMs.end()), moves);
    std::printf("repainted per move: %lld pixels; magnifier and readout: %lld pixels (%.2f x)\n",
                g_repainted / moves, loupeArea / moves,
                loupeArea ? static_cast<double>(g_repainted) / loupeArea : 0.0);
    return 0;
}
