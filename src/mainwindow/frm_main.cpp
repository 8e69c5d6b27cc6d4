#include "mainwindow/frm_main.h"

#include "platform/ui/ui_toolkit.h"

namespace pictorn {

FrmMain::FrmMain(platform::Services& services)
    : ui::Form(services.ui, "frmMain"), services_(services) {
    setCaption("Pictorn");
    buildMenus();
    wireHandlers();
}

void FrmMain::buildMenus() {
    for (ui::MenuItem* item : {&menuSave, &menuSaveAs, &sepFile1, &menuPrint, &sepFile2,
                               &menuOpenAutoSaveFolder, &sepFile3, &menuExit})
        menuFile.add(*item);
    for (ui::MenuItem* item :
         {&menuCopyImagetoClipboard, &menuSendImagetoEditor, &menuSendImagetoPaint, &sepEdit1,
          &menuSendMail, &menuUploadFTP, &sepEdit2, &menuAutoExit})
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
    QueryUnload = [this](bool& cancel) {
        Form_QueryUnload(cancel);
    };
    Unload = [this] {
        Form_Unload();
    };
    menuExit.Click = [this] {
        menuExit_Click();
    };
    menuTrayExit.Click = [this] {
        menuExit_Click();
    };
    menuAutoExit.Click = [this] {
        menuAutoExit_Click();
    };
    menuIncludeMousepointer.Click = [this] {
        menuIncludeMousepointer_Click();
    };
}

void FrmMain::Form_Load() {}

void FrmMain::Form_QueryUnload(bool&) {}

void FrmMain::Form_Unload() {
    services_.ui.quit(0);
}

void FrmMain::menuExit_Click() {
    unload();
}

void FrmMain::menuAutoExit_Click() {
    menuAutoExit.setChecked(!menuAutoExit.checked());
}

void FrmMain::menuIncludeMousepointer_Click() {
    menuIncludeMousepointer.setChecked(!menuIncludeMousepointer.checked());
}

} // namespace pictorn
