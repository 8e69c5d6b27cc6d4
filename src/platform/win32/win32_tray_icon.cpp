#include "platform/win32/win32_tray_icon.h"

#include "platform/ui/form.h"
#include "platform/win32/form_window.h"
#include "platform/win32/text.h"

#include <shellapi.h>
#include <shobjidl.h>

namespace pictorn::platform::win32 {
namespace {

constexpr UINT kTrayCallback = WM_APP + 20;
constexpr UINT kTrayIconId = 1;

} // namespace

Win32TrayIcon::~Win32TrayIcon() {
    if (present_ && window_)
        notify(NIM_DELETE, window_, false);
}

bool Win32TrayIcon::notify(DWORD message, HWND window, bool withDetails) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    if (withDetails) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = kTrayCallback;
        data.hIcon = icon_;
        lstrcpynW(data.szTip, tip_.c_str(), ARRAYSIZE(data.szTip));
    }
    return Shell_NotifyIconW(message, &data) != FALSE;
}

void Win32TrayIcon::hook(FormWindow& form) {
    if (hooked_ == form.hwnd())
        return;
    hooked_ = form.hwnd();
    // Explorer announces a restart with this message; the icon must then be added again.
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    form.addMessageHook([this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        if (message == kTrayCallback) {
            if (onMouse)
                onMouse(static_cast<int>(LOWORD(lParam)));
            result = 0;
            return true;
        }
        if (message == taskbarCreated && present_ && window_)
            notify(NIM_ADD, window_, true);
        return false;
    });
}

void Win32TrayIcon::add(ui::Form& owner, std::string_view tip) {
    FormWindow* form = FormWindow::of(owner);
    if (!form || !form->hwnd())
        return;
    window_ = form->hwnd();
    hook(*form);
    tip_ = toWide(tip);
    if (notify(NIM_ADD, window_, true))
        present_ = true;
}

void Win32TrayIcon::remove(ui::Form& owner) {
    FormWindow* form = FormWindow::of(owner);
    HWND window = form && form->hwnd() ? form->hwnd() : window_;
    if (window)
        notify(NIM_DELETE, window, false);
    present_ = false;
}

void Win32TrayIcon::hideTaskbarButton(ui::Form& owner) {
    FormWindow* form = FormWindow::of(owner);
    if (!form || !form->hwnd())
        return;
    HWND window = form->hwnd();
    // An owned window without WS_EX_APPWINDOW gets no task-bar button; the owner is a
    // hidden window of our own that never shows.
    if (!hider_)
        hider_.reset(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
    const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
    SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hider_.get()));
    ITaskbarList* taskbar = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_ITaskbarList, reinterpret_cast<void**>(&taskbar)))) {
        if (SUCCEEDED(taskbar->HrInit()))
            taskbar->DeleteTab(window);
        taskbar->Release();
    }
}

void Win32TrayIcon::showPopupMenu(ui::Form& owner, ui::MenuItem& menu) {
    FormWindow* form = FormWindow::of(owner);
    if (!form || !form->hwnd() || !form->menus())
        return;
    Menu popup = form->menus()->popupOf(menu);
    POINT at{};
    GetCursorPos(&at);
    // The menu closes properly only when its owner is the foreground window.
    SetForegroundWindow(form->hwnd());
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0,
                       form->hwnd(), nullptr));
    PostMessageW(form->hwnd(), WM_NULL, 0, 0);
    if (chosen != 0)
        form->menus()->onCommand(static_cast<int>(chosen));
}

} // namespace pictorn::platform::win32
