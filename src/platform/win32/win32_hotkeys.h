#pragma once
#include "platform/hotkeys.h"

#include <windows.h>

#include <set>

namespace pictorn::platform::win32 {

class Win32Hotkeys final : public Hotkeys {
public:
    ~Win32Hotkeys() override;
    bool registerHotkey(ui::Form& owner, int id, const HotkeyCombination& combination) override;
    void unregisterHotkey(ui::Form& owner, int id) override;

private:
    HWND window_ = nullptr;
    bool hooked_ = false;
    std::set<int> ids_;
};

} // namespace pictorn::platform::win32
