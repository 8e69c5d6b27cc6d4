// The main window's start-up: the preferences are loaded and every one the window shows is
// put into place.
// Until the window's own set-up at the end, a step that fails (an unreadable or unconvertible
// value) is skipped silently and the control keeps its initial state, so a damaged store can
// never stop the program from starting.
#include "app/app_data.h"
#include "app/error_report.h"
#include "mainwindow/frm_main.h"
#include "platform/ui/ui_toolkit.h"

namespace pictorn {

void FrmMain::centre() {
    const ui::ScreenInfo screen = services_.ui.screen();
    const ui::Geometry g = geometry();
    move((screen.widthTwips() - g.width) / 2, (screen.heightTwips() - g.height) / 2, g.width,
         g.height);
}

void FrmMain::Form_Load() {
    using app::ignoreErrors;
    // The window follows the loaded values as it follows any change (auto-save, on top).
    store_.load();
    const app::Preferences& p = store_.values();
    if (!p.startedBefore) {
        ignoreErrors([&] { centre(); });
    } else {
        ui::Geometry g = geometry();
        g.top = p.windowTop.value_or(g.top);
        g.left = p.windowLeft.value_or(g.left);
        ignoreErrors([&] {
            move(g.left, g.top, g.width, g.height);
            if (g.top < 0 || g.left < 0)
                centre();
        });
    }
    ignoreErrors([&] { menuAutoExit.setChecked(p.autoExit); });
    ignoreErrors([&] { menuIncludeMousepointer.setChecked(p.includePointer); });
    loadPreferences();
    ignoreErrors([&] { move(geometry().left, geometry().top, 8475, 5600); });

    app::trap(services_.messageBox, "frmMain - Form_Load", [&] {
        menuSave.setEnabled(false);
        menuSaveAs.setEnabled(false);
        menuPrint.setEnabled(false);
        menuCopyImagetoClipboard.setEnabled(false);
        menuSendImagetoEditor.setEnabled(false);
        menuSendImagetoPaint.setEnabled(false);
        menuSendMail.setEnabled(false);
        menuUploadFTP.setEnabled(false);
        menuMarkUpImage.setEnabled(false);
    });
    // A save cut short by a crash or a kill leaves its temporary file behind, often tens of
    // megabytes; nothing else would ever remove it.
    app::ignoreErrors([&] {
        services_.files.removeStaleTemporaryFiles(
            app::AppDataFolder(services_.files, services_.shell, services_.shell.programFolder()));
    });
}

void FrmMain::loadPreferences() {
    app::ignoreErrors([&] {
        if (store_.values().startMinimized)
            setWindowState(ui::WindowState::Minimized);
    });
    loadHotkeys();
}

void FrmMain::loadHotkeys() {
    using app::HotkeyModifiers;
    struct Modifier {
        HotkeyControl& hotkey;
        bool HotkeyModifiers::*held;
        void (HotkeyControl::*set)(bool);
    };
    const Modifier modifiers[] = {
        {VBHotKey1, &HotkeyModifiers::ctrl, &HotkeyControl::setCtrl},
        {VBHotKey2, &HotkeyModifiers::ctrl, &HotkeyControl::setCtrl},
        {VBHotKey3, &HotkeyModifiers::ctrl, &HotkeyControl::setCtrl},
        {VBHotKey1, &HotkeyModifiers::alt, &HotkeyControl::setAlt},
        {VBHotKey2, &HotkeyModifiers::alt, &HotkeyControl::setAlt},
        {VBHotKey3, &HotkeyModifiers::alt, &HotkeyControl::setAlt},
        {VBHotKey1, &HotkeyModifiers::shift, &HotkeyControl::setShift},
        {VBHotKey2, &HotkeyModifiers::shift, &HotkeyControl::setShift},
        {VBHotKey3, &HotkeyModifiers::shift, &HotkeyControl::setShift},
    };
    for (const Modifier& m : modifiers) {
        const int hotkey = m.hotkey.id() - kHotkeyFull;
        (m.hotkey.*m.set)(store_.values().hotkeys[static_cast<std::size_t>(hotkey)].*m.held);
    }
    for (HotkeyControl* hotkey : {&VBHotKey1, &VBHotKey2, &VBHotKey3})
        app::ignoreErrors([&] { hotkey->arm(); });

    // The summary describes the hotkeys in force; changes in the preferences wait for the
    // next start.
    hotkeysInForce_ = store_.values().hotkeys;
    showHotkeySummary();
    // Told from the message loop, so the notice appears over the shown main window.
    hotkeyNoticePending_ = true;
    TimerPending.setEnabled(true);
}

std::string FrmMain::hotkeyPrefix(int hotkey) const {
    return hotkeysInForce_[static_cast<std::size_t>(hotkey)].prefix();
}

} // namespace pictorn
