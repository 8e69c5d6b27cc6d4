#include "platform/win32/win32_hotkeys.h"

#include "platform/ui/form.h"
#include "platform/win32/form_window.h"

namespace pictorn::platform::win32 {

Win32Hotkeys::~Win32Hotkeys() {
    for (int id : ids_)
        UnregisterHotKey(window_, id);
}

bool Win32Hotkeys::registerHotkey(ui::Form& owner, int id, const HotkeyCombination& c) {
    FormWindow* form = FormWindow::of(owner);
    if (!form || !form->hwnd())
        return false;
    window_ = form->hwnd();
    if (!hooked_) {
        hooked_ = true;
        form->addMessageHook([this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
            if (message != WM_HOTKEY)
                return false;
            if (onPressed)
                onPressed(static_cast<int>(wParam));
            result = 0;
            return true;
        });
    }
    if (ids_.count(id))
        UnregisterHotKey(window_, id);
    const UINT modifiers = (c.ctrl ? MOD_CONTROL : 0) | (c.alt ? MOD_ALT : 0) |
                           (c.shift ? MOD_SHIFT : 0) | (c.win ? MOD_WIN : 0) | MOD_NOREPEAT;
    const bool ok = RegisterHotKey(window_, id, modifiers, static_cast<UINT>(c.key)) != FALSE;
    if (ok)
        ids_.insert(id);
    else
        ids_.erase(id);
    return ok;
}

void Win32Hotkeys::unregisterHotkey(ui::Form&, int id) {
    if (ids_.erase(id))
        UnregisterHotKey(window_, id);
}

} // namespace pictorn::platform::win32
