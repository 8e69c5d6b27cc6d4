#pragma once
// In-memory tray icon and hotkeys: tests see what is shown and registered and can play
// the user's clicks and key presses.
#include "platform/hotkeys.h"
#include "platform/tray_icon.h"
#include "platform/ui/menu_item.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace pictorn::headless {

class FakeTrayIcon : public platform::TrayIcon {
public:
    void add(ui::Form&, std::string_view tip) override {
        ++adds;
        iconShown = true;
        this->tip = std::string(tip);
    }
    void remove(ui::Form&) override {
        ++removes;
        iconShown = false;
    }
    bool present() const override { return iconShown; }
    void hideTaskbarButton(ui::Form&) override { taskbarButtonHidden = true; }
    void showPopupMenu(ui::Form&, ui::MenuItem& menu) override {
        ++popups;
        if (onPopup)
            onPopup(menu);
    }
    void mouse(int message) {
        if (onMouse)
            onMouse(message);
    }

    bool iconShown = false;
    bool taskbarButtonHidden = false;
    std::string tip;
    int adds = 0, removes = 0, popups = 0;
    std::function<void(ui::MenuItem&)> onPopup; // plays the user's choice in the menu
};

class FakeHotkeys : public platform::Hotkeys {
public:
    bool registerHotkey(ui::Form&, int id, const platform::HotkeyCombination& c) override {
        if (heldElsewhere.count(id))
            return false;
        registered[id] = c;
        return true;
    }
    void unregisterHotkey(ui::Form&, int id) override {
        registered.erase(id);
        released.push_back(id);
    }
    void press(int id) {
        if (registered.count(id) && onPressed)
            onPressed(id);
    }
    std::map<int, platform::HotkeyCombination> registered;
    std::vector<int> released;
    std::set<int> heldElsewhere; // ids whose combination another program holds
};

} // namespace pictorn::headless
