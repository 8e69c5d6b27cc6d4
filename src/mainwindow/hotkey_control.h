#pragma once
// One system-wide capture hotkey of the main window: a fixed letter with the modifiers
// chosen at start-up. It holds the combination from arm() until release().
#include "platform/hotkeys.h"
#include "platform/ui/control.h"

namespace pictorn {

class HotkeyControl {
public:
    HotkeyControl(platform::Hotkeys& hotkeys, ui::Form& owner, int id, int key, bool ctrl,
                  bool shift)
        : hotkeys_(hotkeys), owner_(owner), id_(id) {
        combination_.key = key;
        combination_.ctrl = ctrl;
        combination_.shift = shift;
    }

    int id() const { return id_; }
    const platform::HotkeyCombination& combination() const { return combination_; }
    void setCtrl(bool on) { combination_.ctrl = on; }
    void setAlt(bool on) { combination_.alt = on; }
    void setShift(bool on) { combination_.shift = on; }

    // Registers the combination; false when another program already holds it.
    bool arm() {
        armed_ = hotkeys_.registerHotkey(owner_, id_, combination_);
        return armed_;
    }
    void release() {
        if (armed_)
            hotkeys_.unregisterHotkey(owner_, id_);
        armed_ = false;
    }
    bool armed() const { return armed_; }

    ui::Event<> Hotkey;

private:
    platform::Hotkeys& hotkeys_;
    ui::Form& owner_;
    int id_;
    platform::HotkeyCombination combination_;
    bool armed_ = false;
};

} // namespace pictorn
