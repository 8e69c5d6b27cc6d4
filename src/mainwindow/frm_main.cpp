#include "mainwindow/frm_main.h"

#include "app/error_report.h"
#include "capture/frm_rectangle.h"
#include "platform/ui/ui_toolkit.h"
#include "prefs/frm_prefs.h"

namespace pictorn {

FrmMain::FrmMain(platform::Services& services, app::PreferenceStore& preferences)
    : ui::Form(services.ui, "frmMain"), services_(services), store_(preferences),
      listening_(preferences.listen(
          [this](const app::Preferences& before) { preferencesChanged(before); })) {
    setCaption("Pictorn");
    // Inner size 8055 x 4290 twips until the load applies the window's own size. Setting
    // it must not load the window yet: the handlers are not connected.
    setGeometryFromPeer({0, 0, 8055 + 120, 4290 + 810, 8055, 4290});
    txtInfo.setLocked(true);
    txtInfo.setForeColor(0x404040);
    txtInfo.setFontPoints(7);
    TimerRandomName.setInterval(500);
    TimerRandomName.setEnabled(false);
    TimerPending.setInterval(1);
    TimerPending.setEnabled(false);
    buildMenus();
    wireHandlers();
}

FrmMain::~FrmMain() = default;

void FrmMain::showPreferences(std::optional<int> tab) {
    if (prefs_) {
        // What changed since it was last open (the prefix an auto-save put in place).
        prefs_->showValues(store_.values());
    } else {
        // Kept once made, so it opens where the user left it.
        prefs_ = std::make_unique<FrmPrefs>(services_, store_);
        prefs_->load();
    }
    if (tab)
        prefs_->SSTab1.setCurrentTab(*tab);
    prefs_->showModal(this);
}

void FrmMain::preferencesChanged(const app::Preferences& before) {
    const app::Preferences& now = store_.values();
    // The labels are those of the preferences' boxes, whose clicks these changes are.
    if (now.autoSave != before.autoSave)
        app::trap(services_.messageBox, "frmPrefs - chkAutoSave_Click", [&] {
            setCaption(now.autoSave ? "Pictorn - AutoSave activated" : "Pictorn");
            TimerRandomName.setEnabled(now.autoSave);
        });
    if (now.keepOnTop != before.keepOnTop)
        app::trap(services_.messageBox, "frmPrefs - chkKeepOnTop_Click",
                  [&] { setTopmost(now.keepOnTop); });
}

void FrmMain::buildMenus() {
    for (ui::MenuItem* item : {&menuSave, &menuSaveAs, &sepFile1, &menuPrint, &sepFile2,
                               &menuOpenAutoSaveFolder, &sepFile3, &menuExit})
        menuFile.add(*item);
    for (ui::MenuItem* item :
         {&menuCopyImagetoClipboard, &menuSendImagetoEditor, &menuSendImagetoPaint,
          &menuMarkUpImage, &sepEdit1, &menuSendMail, &menuUploadFTP, &sepEdit2, &menuAutoExit})
        menuEdit.add(*item);
    for (ui::MenuItem* item : {&menuCaptureFullScreen, &menuCaptureFullScreenWithCursor,
                               &menuCaptureActiveWindow, &menuCaptureActiveWindowWithCursor,
                               &menuCaptureRectangularArea, &sepCapture1, &menuIncludeMousepointer})
        menuCapture.add(*item);
    for (ui::MenuItem* item : {&menuHelp2, &sepHelp1, &menuAbout})
        menuHelp.add(*item);
    for (ui::MenuItem* item :
         {&menuTrayOpen, &sepTray1, &menuTrayCaptureFull, &menuTrayCaptureWindow,
          &menuTrayCaptureRectangle, &sepTray2, &menuTrayExit})
        menuTray.add(*item);
    menuCaptureFullScreenWithCursor.setVisible(false);
    menuCaptureActiveWindowWithCursor.setVisible(false);
    menuTray.setVisible(false);
    for (ui::MenuItem* menu :
         {&menuFile, &menuEdit, &menuCapture, &menuPreferences, &menuHelp, &menuTray})
        addMenu(*menu);
}

void FrmMain::wireHandlers() {
    Load = [this] {
        Form_Load();
    };
    Resize = [this] {
        Form_Resize();
    };
    QueryUnload = [this](bool& cancel) {
        Form_QueryUnload(cancel);
    };
    Unload = [this] {
        Form_Unload();
    };
    KeyDown = [this](int keyCode, int shift) {
        Form_KeyDown(keyCode, shift);
    };
    menuExit.Click = [this] {
        menuExit_Click();
    };
    menuTrayExit.Click = [this] {
        menuExit_Click();
    };
    menuTrayOpen.Click = [this] {
        menuTrayOpen_Click();
    };
    menuAutoExit.Click = [this] {
        menuAutoExit_Click();
    };
    menuIncludeMousepointer.Click = [this] {
        menuIncludeMousepointer_Click();
    };
    menuCapture.Click = [this] {
        menuCapture_Click();
    };
    menuPreferences.Click = [this] {
        menuPreferences_Click();
    };
    menuSave.Click = [this] {
        menuSave_Click();
    };
    ImageBox1.WritingChanged = [this](bool writing) {
        setBusy(writing);
    };
    menuSaveAs.Click = [this] {
        menuSaveAs_Click();
    };
    menuPrint.Click = [this] {
        menuPrint_Click();
    };
    menuOpenAutoSaveFolder.Click = [this] {
        menuOpenAutoSaveFolder_Click();
    };
    menuCopyImagetoClipboard.Click = [this] {
        menuCopyImagetoClipboard_Click();
    };
    menuSendImagetoEditor.Click = [this] {
        menuSendImagetoEditor_Click();
    };
    menuSendImagetoPaint.Click = [this] {
        menuSendImagetoPaint_Click();
    };
    menuMarkUpImage.Click = [this] {
        menuMarkUpImage_Click();
    };
    menuSendMail.Click = [this] {
        menuSendMail_Click();
    };
    menuCaptureFullScreen.Click = [this] {
        menuCaptureFullScreen_Click();
    };
    menuCaptureFullScreenWithCursor.Click = [this] {
        menuCaptureFullScreenWithCursor_Click();
    };
    menuCaptureActiveWindow.Click = [this] {
        menuCaptureActiveWindow_Click();
    };
    menuCaptureActiveWindowWithCursor.Click = [this] {
        menuCaptureActiveWindowWithCursor_Click();
    };
    menuCaptureRectangularArea.Click = [this] {
        menuCaptureRectangularArea_Click();
    };
    menuTrayCaptureFull.Click = [this] {
        menuCaptureFullScreen_Click();
    };
    menuTrayCaptureWindow.Click = [this] {
        menuCaptureActiveWindow_Click();
    };
    menuTrayCaptureRectangle.Click = [this] {
        menuCaptureRectangularArea_Click();
    };
    menuHelp2.Click = [this] {
        menuHelp2_Click();
    };
    menuAbout.Click = [this] {
        menuAbout_Click();
    };
    menuUploadFTP.Click = [this] {
        menuUploadFTP_Click();
    };
    TimerRandomName.Tick = [this] {
        TimerRandomName_Timer();
    };
    TimerPending.Tick = [this] {
        TimerPending_Timer();
    };
    VBHotKey1.Hotkey = [this] {
        menuCaptureFullScreen_Click();
    };
    VBHotKey2.Hotkey = [this] {
        menuCaptureActiveWindow_Click();
    };
    VBHotKey3.Hotkey = [this] {
        menuCaptureRectangularArea_Click();
    };
    services_.tray.onMouse = [this](int message) {
        pichook_MouseMove(message);
    };
    services_.hotkeys.onPressed = [this](int id) {
        hotkeyPressed(id);
    };
}

void FrmMain::menuPreferences_Click() {
    ModalScope modal(*this);
    showPreferences();
}

bool FrmMain::rectangleOpen() const {
    return rectangle_ && rectangle_->visible();
}

void FrmMain::menuAutoExit_Click() {
    menuAutoExit.setChecked(!menuAutoExit.checked());
}

void FrmMain::menuIncludeMousepointer_Click() {
    menuIncludeMousepointer.setChecked(!menuIncludeMousepointer.checked());
}

void FrmMain::menuCapture_Click() {
    menuCaptureFullScreen.setCaption("Capture Full Screen\t" +
                                     hotkeyLabel(VBHotKey1, hotkeyPrefix(app::kFullScreenHotkey)));
    menuCaptureActiveWindow.setCaption(
        "Capture Active Window\t" + hotkeyLabel(VBHotKey2, hotkeyPrefix(app::kActiveWindowHotkey)));
    menuCaptureRectangularArea.setCaption(
        "Capture Rectangular Area\t" + hotkeyLabel(VBHotKey3, hotkeyPrefix(app::kRectangleHotkey)));
}

} // namespace pictorn
