// Loading, activation, and the controls that act on the running program at once: auto-save,
// keep-on-top, hotkey boxes, JPEG quality, the type lists and the colour swatches.
#include "app/error_report.h"
#include "prefs/frm_prefs.h"
#include "prefs/prefs_texts.h"

namespace pictorn {

using namespace prefs;

void FrmPrefs::Form_Load() {
    app::trap(services_.messageBox, "frmPrefs - Form_Load", [&] { chkAutoSave_Click(); });
}

void FrmPrefs::Form_Activate() {
    // Above a main window that is kept on top.
    app::ignoreErrors([&] { setTopmost(true); });
}

void FrmPrefs::chkAutoSave_Click() {
    app::trap(services_.messageBox, "frmPrefs - chkAutoSave_Click", [&] {
        const std::array<ui::Control*, 7> autoSaveControls{
            &lblSavePrefix, &txtPrefix,        &lbSaveas,        &cboExtension,
            &lblSaveFolder, &txtDefaultFolder, &cmdBrowse4Folder};
        if (chkAutoSave.value() == 1) {
            for (ui::Control* control : autoSaveControls)
                control->setEnabled(true);
            mainWindow_.setCaption(std::string(kMainCaptionAutoSave));
            timerRandomName_.setEnabled(true);
        } else if (chkAutoSave.value() == 0) {
            for (ui::Control* control : autoSaveControls)
                control->setEnabled(false);
            mainWindow_.setCaption(std::string(kMainCaption));
            timerRandomName_.setEnabled(false);
        }
    });
}

void FrmPrefs::chkKeepOnTop_Click() {
    app::trap(services_.messageBox, "frmPrefs - chkKeepOnTop_Click",
              [&] { mainWindow_.setTopmost(chkKeepOnTop.value() == 1); });
}

void FrmPrefs::setBoldorNot(ui::CheckBox& ImChecked) {
    if (ImChecked.value() == 1) {
        ImChecked.setBold(true);
    } else {
        ImChecked.setValue(0);
        ImChecked.setBold(false);
    }
    hotkeyPrefsClicked = std::string(kHotkeysClicked);
}

void FrmPrefs::cmdHotkeysDefault_Click() {
    app::trap(services_.messageBox, "frmPrefs - cmdHotkeysDefault_Click", [&] {
        // One box after the other, each firing its own click, so the fonts follow.
        for (int hotkey = 1; hotkey <= 3; ++hotkey)
            hotkeyBoxes(hotkey)[0]->setValue(1);
        for (int hotkey = 1; hotkey <= 3; ++hotkey)
            hotkeyBoxes(hotkey)[1]->setValue(0);
        chkSHIFTvbHotkey1.setValue(1);
        chkSHIFTvbHotkey2.setValue(0);
        chkSHIFTvbHotkey3.setValue(0);
        hotkeyPrefsClicked = std::string(kHotkeysClicked);
    });
}

void FrmPrefs::HScroll1_Change() {
    app::trap(services_.messageBox, "frmPrefs - HScroll1_Change", [&] {
        const int quality = HScroll1.value();
        lblQualityNumber.setCaption(std::to_string(quality));
        const char* grade = quality < 40    ? "Low"
                            : quality < 70  ? "Medium"
                            : quality < 90  ? "High"
                            : quality < 100 ? "Very High"
                                            : "Maximum";
        frameJPGquality.setCaption(std::string("JPEG Quality: ") + grade);
    });
}

void FrmPrefs::cmdDefault_Click() {
    app::trap(services_.messageBox, "frmPrefs - cmdDefault_Click",
              [&] { HScroll1.setValue(kDefaultJpegQuality); });
    focusSink();
}

void FrmPrefs::cboExtension_Click() {
    focusSink();
}

void FrmPrefs::cboExtension4Attachments_Click() {
    focusSink();
}

void FrmPrefs::swatchClick(ui::Label& swatch, std::string_view label, std::uint32_t color) {
    // A swatch demands validation like any other control: a field that refuses to be
    // left keeps the old colour.
    if (!focus(swatch))
        return;
    app::trap(services_.messageBox, label, [&] { setRectangleColor(std::to_string(color)); });
}

void FrmPrefs::picBlue_Click() {
    swatchClick(picBlue, "frmPrefs - picBlue_Click", kBlue);
}

void FrmPrefs::picCyan_Click() {
    swatchClick(picCyan, "frmPrefs - picCyan_Click", kCyan);
}

void FrmPrefs::picGreen_Click() {
    swatchClick(picGreen, "frmPrefs - picGreen_Click", kGreen);
}

void FrmPrefs::picMagenta_Click() {
    swatchClick(picMagenta, "frmPrefs - picMagenta_Click", kMagenta);
}

void FrmPrefs::picRed_Click() {
    swatchClick(picRed, "frmPrefs - picRed_Click", kRed);
}

void FrmPrefs::picYellow_Click() {
    swatchClick(picYellow, "frmPrefs - picYellow_Click", kYellow);
}

} // namespace pictorn
