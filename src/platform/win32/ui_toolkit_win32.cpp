#include "platform/win32/ui_toolkit_win32.h"

#include "platform/win32/form_window.h"
#include "platform/win32/ui_units.h"

#include <commctrl.h>

#include <algorithm>

namespace pictorn::platform::win32 {

Win32Toolkit::Win32Toolkit() {
    icon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                          IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

Win32Toolkit::~Win32Toolkit() = default;

void Win32Toolkit::initCommonControls() {
    INITCOMMONCONTROLSEX extended{8, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&extended);
    // The classes our own windows use as well.
    INITCOMMONCONTROLSEX ours{sizeof ours, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                               ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                               ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&ours);
}

void Win32Toolkit::attach(ui::Form& form) {
    if (auto factory = peerFactories_.find(form.name()); factory != peerFactories_.end()) {
        if (auto peer = factory->second(form, *this)) {
            customPeers_.push_back(std::move(peer));
            return;
        }
    }
    windows_.push_back(std::make_unique<FormWindow>(form, *this));
}

bool Win32Toolkit::dispatch(MSG& msg) {
    if (msg.message == WM_QUIT)
        return false;
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root) {
        for (const auto& window : windows_) {
            if (window->hwnd() != root)
                continue;
            if (HACCEL accel = window->accelerators())
                if (TranslateAcceleratorW(root, accel, &msg))
                    return true;
            if (window->switchTabByKey(msg))
                return true;
            if (window->usesDialogKeys() && IsDialogMessageW(root, &msg))
                return true;
            break;
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

int Win32Toolkit::run() {
    MSG msg{};
    while (!quitting_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            exitCode_ = static_cast<int>(msg.wParam);
            break;
        }
        if (got < 0)
            break;
        dispatch(msg);
        reapDestroyed();
    }
    return exitCode_;
}

void Win32Toolkit::quit(int exitCode) {
    quitting_ = true;
    exitCode_ = exitCode;
    PostQuitMessage(exitCode);
}

void Win32Toolkit::doEvents() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        dispatch(msg);
    }
}

void Win32Toolkit::waitEvents(int maxMilliseconds) {
    MsgWaitForMultipleObjectsEx(0, nullptr,
                                static_cast<DWORD>(maxMilliseconds > 0 ? maxMilliseconds : 0),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    doEvents();
}

ui::ScreenInfo Win32Toolkit::screen() {
    return ui::ScreenInfo{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                          systemDpi()};
}

void Win32Toolkit::forget(FormWindow* window) {
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [window](const auto& w) { return w.get() == window; });
    if (it != windows_.end()) {
        destroyed_.push_back(std::move(*it));
        windows_.erase(it);
    }
}

void Win32Toolkit::registerPeerFactory(const std::string& formName, PeerFactory factory) {
    peerFactories_[formName] = std::move(factory);
}

void Win32Toolkit::releasePeer(ui::FormPeer* peer) {
    auto it = std::find_if(customPeers_.begin(), customPeers_.end(),
                           [peer](const auto& p) { return p.get() == peer; });
    if (it != customPeers_.end()) {
        releasedPeers_.push_back(std::move(*it));
        customPeers_.erase(it);
    }
}

void Win32Toolkit::reapDestroyed() {
    destroyed_.clear();
    releasedPeers_.clear();
}

} // namespace pictorn::platform::win32
