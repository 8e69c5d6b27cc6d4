#pragma once
#include "platform/tray_icon.h"
#include "platform/win32/handle.h"

#include <windows.h>

#include <string>

namespace pictorn::platform::win32 {

class FormWindow;

class Win32TrayIcon final : public TrayIcon {
public:
    explicit Win32TrayIcon(HICON icon) : icon_(icon) {}
    ~Win32TrayIcon() override;

    void add(ui::Form& owner, std::string_view tip) override;
    void remove(ui::Form& owner) override;
    bool present() const override { return present_; }
    void hideTaskbarButton(ui::Form& owner) override;
    void showPopupMenu(ui::Form& owner, ui::MenuItem& menu) override;

private:
    void hook(FormWindow& form);
    bool notify(DWORD message, HWND window, bool withDetails);

    HICON icon_;
    HWND window_ = nullptr;
    HWND hooked_ = nullptr;
    OwnedWindow hider_;
    bool present_ = false;
    std::wstring tip_;
};

} // namespace pictorn::platform::win32
