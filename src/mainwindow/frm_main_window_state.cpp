// How the main window follows its size and state: the tray icon, the layout, restoring,
// closing (which ends the program), the tray's mouse messages and the hotkeys.
#include "app/error_report.h"
#include "app/version_text.h"
#include "capture/frm_rectangle.h"
#include "mainwindow/frm_main.h"
#include "platform/app_error.h"
#include "platform/ui/ui_toolkit.h"
#include "prefs/frm_prefs.h"

namespace pictorn {

void FrmMain::Form_Resize() {
    const bool trayDone = app::trap(services_.messageBox, "frmMain - Form_Resize", [&] {
        if (store_.values().systemTray) {
            services_.tray.add(*this, trayVersionText());
            services_.tray.hideTaskbarButton(*this);
            pichookEnabled_ = true;
            if (windowState() == ui::WindowState::Minimized) {
                setVisible(false);
                menuTrayOpen.setEnabled(true);
            }
        } else {
            services_.tray.remove(*this);
            pichookEnabled_ = false;
        }
    });
    if (trayDone)
        layoutControls();
}

void FrmMain::layoutControls() {
    // Margins in twips: the picture 220 narrower and 700 lower than the inner area, the
    // hotkey summary 300 high just below it. A window too small for them keeps the old
    // layout rather than failing.
    app::ignoreErrors([&] {
        const ui::Geometry g = geometry();
        const ui::Bounds picture{110, 100, g.clientWidth - 220, g.clientHeight - 700};
        if (picture.width < 0 || picture.height < 0)
            return;
        ImageBox1.setBounds(picture);
        txtInfo.setBounds({picture.left, picture.height + 300, picture.width, 300});
    });
}

void FrmMain::menuTrayOpen_Click() {
    const auto failure = app::catchError([&] {
        setWindowState(ui::WindowState::Normal);
        setVisible(true);
        show();
        menuTrayOpen.setEnabled(false);
    });
    if (failure && failure->kind() != ErrorKind::Busy)
        app::showErrorReport(services_.messageBox, *failure, "frmMain - menuTrayOpen_Click");
}

void FrmMain::menuExit_Click() {
    unload();
}

void FrmMain::Form_QueryUnload(bool&) {
    // A minimized window's place is no place to come back to: the stored one stays.
    const bool minimized = windowState() == ui::WindowState::Minimized;
    const ui::Geometry g = geometry();
    store_.change([&](app::Preferences& p) {
        p.windowTop = minimized ? std::nullopt : std::optional(g.top);
        p.windowLeft = minimized ? std::nullopt : std::optional(g.left);
        p.autoExit = menuAutoExit.checked();
        p.includePointer = menuIncludeMousepointer.checked();
        p.startedBefore = true;
    });
    store_.save(app::Written::AtClose);
    TimerRandomName.setEnabled(false);
    app::trap(services_.messageBox, "frmMain - Form_QueryUnload", [&] {
        services_.tray.remove(*this);
        // The other windows, last made first. Closing the mail or FTP window aborts its
        // session and waits for it (bounded): nothing may go on talking to a server once
        // the program has no window. The windows store their own settings as they close.
        if (sessionWindow_)
            sessionWindow_->unload();
        if (rectangle_)
            rectangle_->unload();
        if (prefs_)
            prefs_->unload();
    });
}

void FrmMain::Form_Unload() {
    // The program ends only with the files of the last capture whole.
    ImageBox1.waitForWrites();
    for (HotkeyControl* hotkey : {&VBHotKey1, &VBHotKey2, &VBHotKey3})
        hotkey->release();
    refuseCommandLinesAtClose();
    services_.ui.quit(exitCode_);
}

void FrmMain::Form_KeyDown(int keyCode, int) {
    constexpr int kF1 = 112;
    if (keyCode == kF1)
        app::trap(services_.messageBox, "frmMain - Form_KeyDown", [&] { menuHelp2.click(); });
}

bool FrmMain::blockingWindowVisible() const {
    return (prefs_ && prefs_->visible()) || aboutOpen();
}

void FrmMain::pichook_MouseMove(int trayMessage) {
    if (!pichookEnabled_ || trayMessageRunning_)
        return;
    trayMessageRunning_ = true;
    if (trayMessage == platform::kTrayLeftButtonUp) {
        if (!visible() && !printingInProgress_)
            menuTrayOpen_Click();
    } else if (trayMessage == platform::kTrayRightButtonUp) {
        menuTray.setEnabled(!(blockingWindowVisible() || printingInProgress_));
        menuTrayOpen.setEnabled(!visible());
        if (menuTray.enabled())
            services_.tray.showPopupMenu(*this, menuTray);
    }
    trayMessageRunning_ = false;
}

void FrmMain::hotkeyPressed(int id) {
    if (blockingWindowVisible() || mailOrFtpOpen_ || printingInProgress_)
        return;
    // A second rectangle press while the overlay is up reopens it; the other two wait.
    if (id == kHotkeyRectangle)
        ui::fire(VBHotKey3.Hotkey);
    else if (!rectangleOpen() && id == kHotkeyFull)
        ui::fire(VBHotKey1.Hotkey);
    else if (!rectangleOpen() && id == kHotkeyWindow)
        ui::fire(VBHotKey2.Hotkey);
}

} // namespace pictorn
