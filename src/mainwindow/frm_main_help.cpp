// The Help menu and "Open my folder (AutoSaved)".
#include "about/frm_about.h"
#include "about/help_commands.h"
#include "mainwindow/frm_main.h"

namespace pictorn {

void FrmMain::menuAbout_Click() {
    ModalScope modal(*this);
    showAboutBox(services_, *this, &about_);
}

void FrmMain::menuHelp2_Click() {
    showHelp(services_);
}

void FrmMain::menuOpenAutoSaveFolder_Click() {
    openAutoSaveFolder(
        services_, preferences().defaultFolder, [this](int tab) { showPreferences(tab); }, *this);
}

bool FrmMain::aboutOpen() const {
    return about_ != nullptr && about_->visible();
}

} // namespace pictorn
