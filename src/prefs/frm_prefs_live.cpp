// Loading, activation, and the controls that act on the running program at once: auto-save,
// keep-on-top, hotkey boxes, JPEG quality, the type lists and the colour swatches.
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/preference_table.h"
#include "prefs/frm_prefs.h"
#include "prefs/prefs_texts.h"

namespace pictorn {

using namespace prefs;

void FrmPrefs::wireLiveValues() {
    txtSeconds.Change = [this] {
        // A text that is no number yet (the field being edited) keeps the last delay.
        app::ignoreErrors([&] { live_.delaySeconds = app::toShort(txtSeconds.text()); });
    };
    chkSound.Click = [this] {
        live_.playSound = chkSound.value() == 1;
    };
    chkMagnifier.Click = [this] {
        live_.showMagnifier = chkMagnifier.value() == 1;
    };
    chkStartMinimized.Click = [this] {
        live_.startMinimized = chkStartMinimized.value() != 0;
    };
    chkTray.Click = [this] {
        live_.systemTray = chkTray.value() == 1;
    };
    chkKeepMinimized.Click = [this] {
        live_.keepMinimized = chkKeepMinimized.value() != 0;
    };
    // The real fields report no mouse moves, so the tooltip also follows every edit.
    txtEditorPath.Change = [this] {
        live_.editorPath = txtEditorPath.text();
        txtEditorPath_MouseMove();
    };
    txtPrefix.Change = [this] {
        live_.prefix = txtPrefix.text();
        txtPrefix_MouseMove();
    };
    txtDefaultFolder.Change = [this] {
        live_.defaultFolder = txtDefaultFolder.text();
        txtDefaultFolder_MouseMove();
    };
}

void FrmPrefs::showLoadedValues(app::Preferences loaded) {
    showValues(std::move(loaded));
    // Filling ticked hotkey boxes; that is no change of the user's.
    hotkeysChanged_ = false;
}

void FrmPrefs::showValues(const app::Preferences values) {
    using app::ignoreErrors;
    const auto state = [](bool on) {
        return on ? 1 : 0;
    };
    ignoreErrors([&] { txtSeconds.setText(std::to_string(values.delaySeconds)); });
    ignoreErrors([&] { chkSound.setValue(state(values.playSound)); });
    ignoreErrors([&] { chkStartMinimized.setValue(state(values.startMinimized)); });
    ignoreErrors([&] { chkTray.setValue(state(values.systemTray)); });
    ignoreErrors([&] { chkKeepMinimized.setValue(state(values.keepMinimized)); });
    ignoreErrors([&] { chkKeepOnTop.setValue(state(values.keepOnTop)); });
    ignoreErrors([&] { txtEditorPath.setText(values.editorPath); });
    ignoreErrors([&] { chkAutoSave.setValue(state(values.autoSave)); });
    ignoreErrors([&] { txtPrefix.setText(values.prefix); });
    ignoreErrors([&] { cboExtension.setListIndex(values.extensionIndex); });
    ignoreErrors([&] { txtDefaultFolder.setText(values.defaultFolder); });
    const std::array<bool app::HotkeyModifiers::*, 3> modifiers{
        &app::HotkeyModifiers::ctrl, &app::HotkeyModifiers::alt, &app::HotkeyModifiers::shift};
    for (std::size_t column = 0; column < modifiers.size(); ++column)
        for (int hotkey = 1; hotkey <= 3; ++hotkey)
            ignoreErrors([&] {
                const app::HotkeyModifiers& held = values.hotkeys[std::size_t(hotkey - 1)];
                hotkeyBoxes(hotkey)[column]->setValue(state(held.*modifiers[column]));
            });
    ignoreErrors([&] { HScroll1.setValue(values.jpegQuality); });
    ignoreErrors([&] { setRectangleColour(values.rectangleColour); });
    ignoreErrors([&] { chkMagnifier.setValue(state(values.showMagnifier)); });
    ignoreErrors([&] { SSTab1.setCurrentTab(values.tab); });
    ignoreErrors([&] { cboExtension4Attachments.setListIndex(values.attachmentExtensionIndex); });
}

void FrmPrefs::Form_Load() {
    app::trap(services_.messageBox, "frmPrefs - Form_Load", [&] { chkAutoSave_Click(); });
}

void FrmPrefs::Form_Activate() {
    // Above a main window that is kept on top.
    app::ignoreErrors([&] { setTopmost(true); });
}

void FrmPrefs::chkAutoSave_Click() {
    live_.autoSave = chkAutoSave.value() == 1;
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
    live_.keepOnTop = chkKeepOnTop.value() == 1;
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
    hotkeysChanged_ = true;
}

void FrmPrefs::hotkeyBox_Click(int hotkey, ui::CheckBox& box) {
    setBoldorNot(box);
    const auto boxes = hotkeyBoxes(hotkey);
    live_.hotkeys[std::size_t(hotkey - 1)] = {boxes[0]->checked(), boxes[1]->checked(),
                                              boxes[2]->checked()};
}

void FrmPrefs::cmdHotkeysDefault_Click() {
    app::trap(services_.messageBox, "frmPrefs - cmdHotkeysDefault_Click", [&] {
        // One box after the other, each firing its own click, so the fonts follow.
        const auto& defaults = app::defaultPreferences().hotkeys;
        const std::array<bool app::HotkeyModifiers::*, 3> modifiers{
            &app::HotkeyModifiers::ctrl, &app::HotkeyModifiers::alt, &app::HotkeyModifiers::shift};
        for (std::size_t column = 0; column < modifiers.size(); ++column)
            for (std::size_t hotkey = 0; hotkey < defaults.size(); ++hotkey)
                hotkeyBoxes(static_cast<int>(hotkey) + 1)[column]->setValue(
                    defaults[hotkey].*modifiers[column] ? 1 : 0);
        hotkeysChanged_ = true;
    });
}

void FrmPrefs::HScroll1_Change() {
    app::trap(services_.messageBox, "frmPrefs - HScroll1_Change", [&] {
        live_.jpegQuality = HScroll1.value();
        showQuality(HScroll1.value());
    });
}

void FrmPrefs::showQuality(int quality) {
    lblQualityNumber.setCaption(std::to_string(quality));
    const char* grade = quality < 40    ? "Low"
                        : quality < 70  ? "Medium"
                        : quality < 90  ? "High"
                        : quality < 100 ? "Very High"
                                        : "Maximum";
    frameJPGquality.setCaption(std::string("JPEG Quality: ") + grade);
}

void FrmPrefs::cmdDefault_Click() {
    app::trap(services_.messageBox, "frmPrefs - cmdDefault_Click",
              [&] { HScroll1.setValue(app::defaultPreferences().jpegQuality); });
    focusSink();
}

void FrmPrefs::cboExtension_Click() {
    live_.extensionIndex = cboExtension.listIndex();
    focusSink();
}

void FrmPrefs::cboExtension4Attachments_Click() {
    live_.attachmentExtensionIndex = cboExtension4Attachments.listIndex();
    focusSink();
}

void FrmPrefs::swatchClick(ui::Label& swatch, std::string_view label, app::Colour colour) {
    // A swatch demands validation like any other control: a field that refuses to be
    // left keeps the old colour.
    if (!focus(swatch))
        return;
    app::trap(services_.messageBox, label, [&] { setRectangleColour(colour); });
}

void FrmPrefs::picBlue_Click() {
    swatchClick(picBlue, "frmPrefs - picBlue_Click", app::kBlue);
}

void FrmPrefs::picCyan_Click() {
    swatchClick(picCyan, "frmPrefs - picCyan_Click", app::kCyan);
}

void FrmPrefs::picGreen_Click() {
    swatchClick(picGreen, "frmPrefs - picGreen_Click", app::kGreen);
}

void FrmPrefs::picMagenta_Click() {
    swatchClick(picMagenta, "frmPrefs - picMagenta_Click", app::kMagenta);
}

void FrmPrefs::picRed_Click() {
    swatchClick(picRed, "frmPrefs - picRed_Click", app::kRed);
}

void FrmPrefs::picYellow_Click() {
    swatchClick(picYellow, "frmPrefs - picYellow_Click", app::kYellow);
}

} // namespace pictorn
