#pragma once
// System-wide key combinations, reported as events on the user-interface thread.
#include <functional>

namespace pictorn::ui {
class Form;
}

namespace pictorn::platform {

struct HotkeyCombination {
    int key = 0; // virtual-key code, 'A'..'Z'
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
    bool win = false;
};

class Hotkeys {
public:
    virtual ~Hotkeys() = default;
    // Registers (or re-registers) the combination under the id; false when the system
    // refused it (another program holds it).
    virtual bool registerHotkey(ui::Form& owner, int id, const HotkeyCombination& combination) = 0;
    virtual void unregisterHotkey(ui::Form& owner, int id) = 0;

    std::function<void(int id)> onPressed;
};

} // namespace pictorn::platform
