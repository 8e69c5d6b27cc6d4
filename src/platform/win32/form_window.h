#pragma once
// The real window of a form: a plain top-level window with the model's menus, or a
// dialog made from a template whose control ids bind the model's controls.
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/win32/handle.h"
#include "platform/win32/menu_builder.h"
#include "platform/win32/ui_control_peers.h"
#include "platform/win32/ui_window.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pictorn::platform::win32 {

class Win32Toolkit;

class FormWindow : public Window, public ui::FormPeer {
public:
    FormWindow(ui::Form& form, Win32Toolkit& toolkit);
    ~FormWindow() override;

    ui::Form& form() const { return form_; }
    HACCEL accelerators() const { return menus_ ? menus_->accelerators() : nullptr; }
    bool usesDialogKeys() const { return isDialog(); }
    MenuBar* menus() const { return menus_.get(); }
    HFONT font() const { return host_.font(); }

    // FormPeer
    void update(const ui::Form& form, ui::Property what) override;
    void runModal(ui::Form& form, ui::Form* owner) override;
    void destroy() override;
    void readGeometry(ui::Form& form) override;

    // Lets services that talk through the window (tray icon, hotkeys) see its messages
    // first; a hook that returns true has handled the message.
    using MessageHook = std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)>;
    void addMessageHook(MessageHook hook) { hooks_.push_back(std::move(hook)); }
    // The real window of a form, or nullptr before it exists.
    static FormWindow* of(const ui::Form& form);
    // Ctrl+Tab and Ctrl+Shift+Tab (and Ctrl+PageDown/PageUp) move between the pages of the
    // form's tab strip, as in every tabbed dialog; false when the key is no such switch.
    bool switchTabByKey(const MSG& msg);
    // The window class of every plain (not template-made) form window.
    static const wchar_t* className();

protected:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void createPlainWindow();
    void createFromTemplate();
    void bindChildren(bool createMissing);
    void updateFont();
    ChildPeer* peerFor(HWND child) const;
    ui::Geometry currentGeometry() const;
    void applyVisibility();

    LRESULT onCommand(WPARAM wParam, LPARAM lParam);
    LRESULT onNotify(LPARAM lParam);
    LRESULT onSize();
    LRESULT onClose();
    void showPointerNow();
    LRESULT onTimer(WPARAM id);
    LRESULT onControlColor(WPARAM dc, LPARAM child);
    LRESULT onDpiChanged(LPARAM suggested);

    ui::Form& form_;
    Win32Toolkit& toolkit_;
    std::unique_ptr<MenuBar> menus_;
    std::vector<std::unique_ptr<ChildPeer>> peers_;
    std::vector<std::unique_ptr<ui::ControlPeer>> timerPeers_;
    PeerHost host_; // the window, font and tool tips its control peers share
    std::vector<MessageHook> hooks_;
    bool centredOnce_ = false;
    bool destroying_ = false;
};

} // namespace pictorn::platform::win32
