#pragma once
// The notification-area icon of a window, its mouse messages and its pop-up menu.
#include <functional>
#include <string_view>

namespace pictorn::ui {
class Form;
class MenuItem;
} // namespace pictorn::ui

namespace pictorn::platform {

// The mouse messages the icon reports, with the numbers the window system uses.
inline constexpr int kTrayMouseMove = 0x200;
inline constexpr int kTrayLeftButtonUp = 0x202;  // 514
inline constexpr int kTrayRightButtonUp = 0x205; // 517

class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // Adds the icon for the window (nothing happens when it is already there).
    virtual void add(ui::Form& owner, std::string_view tip) = 0;
    // Removes it; a missing icon is no error.
    virtual void remove(ui::Form& owner) = 0;
    virtual bool present() const = 0;
    // Hides the window's task-bar button for the rest of the run.
    virtual void hideTaskbarButton(ui::Form& owner) = 0;
    // Shows the entry's children as a pop-up menu at the pointer; returns when it closes
    // (a chosen entry has run its Click by then).
    virtual void showPopupMenu(ui::Form& owner, ui::MenuItem& menu) = 0;

    // Receives the icon's mouse messages (the numbers above).
    std::function<void(int message)> onMouse;
};

} // namespace pictorn::platform
