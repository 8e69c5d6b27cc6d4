#pragma once
// Real menus and accelerators built from a form's menu model, and kept in step with it.
#include "platform/ui/form.h"
#include "platform/ui/menu_item.h"
#include "platform/win32/handle.h"

#include <windows.h>

#include <map>
#include <memory>
#include <vector>

namespace pictorn::platform::win32 {

class MenuBar : public ui::ControlPeer {
public:
    explicit MenuBar(ui::Form& form);
    ~MenuBar() override;

    // The menu bar of the visible top-level entries (owned by the window once attached).
    HMENU build();
    // A fresh pop-up of an entry's children as they are now (the tray's menu, for one).
    Menu popupOf(const ui::MenuItem& menu);
    HACCEL accelerators() const { return accelerators_.get(); }
    void attach(HWND window) { window_ = window; }
    // The user chose a command: the model's entry runs it.
    bool onCommand(int commandId);
    // A pop-up of the bar is about to open: its entry's Click runs first, so it can
    // refresh the captions the user is about to see.
    void onPopupOpening(HMENU popup);

    void update(const ui::Control& control, ui::Property what) override;

private:
    struct AccelTraits {
        using pointer = HACCEL;
        static pointer invalid() noexcept { return nullptr; }
        static void close(pointer h) noexcept { DestroyAcceleratorTable(h); }
    };
    void fill(HMENU menu, const std::vector<ui::MenuItem*>& items);
    void rebuild();
    void buildAccelerators();

    ui::Form& form_;
    HWND window_ = nullptr;
    HMENU bar_ = nullptr; // owned by the window once set
    std::map<HMENU, ui::MenuItem*> popups_;
    UniqueHandle<AccelTraits> accelerators_;
};

} // namespace pictorn::platform::win32
