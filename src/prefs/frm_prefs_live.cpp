// Loading, activation, and the controls that act on the running program at once: auto-save,
// keep-on-top, hotkey boxes, JPEG quality, the type lists and the colour swatches.
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/preference_table.h"
#include "prefs/frm_prefs.h"
#include "prefs/prefs_texts.h"

namespace pictorn {

using namespace prefs;

namespace {

// The hotkey boxes' columns.
constexpr std::array<bool app::HotkeyModifiers::*, 3> kModifiers{
    &app::HotkeyModifiers::ctrl, &app::HotkeyModifiers::alt, &app::HotkeyModifiers::shift};

} // namespace

void FrmPrefs::wireLiveValues() {
    txtSeconds.Change = [this] {
        // A text that is no number yet (the field being edited) keeps the last delay.
        app::ignoreErrors([&] {
            const int seconds = app::toShort(txtSeconds.text());
            set([&](app::Preferences& p) { p.delaySeconds = seconds; });
        });
    };
    chkSound.Click = [this] {
        set([&](app::Preferences& p) { p.playSound = chkSound.value() == 1; });
    };
    chkMagnifier.Click = [this] {
        set([&](app::Preferences& p) { p.showMagnifier = chkMagnifier.value() == 1; });
    };
    chkStartMinimized.Click = [this] {
        set([&](app::Preferences& p) { p.startMinimized = chkStartMinimized.value() != 0; });
    };
    chkTray.Click = [this] {
        set([&](app::Preferences& p) { p.systemTray = chkTray.value() == 1; });
    };
    chkKeepMinimized.Click = [this] {
        set([&](app::Preferences& p) { p.keepMinimized = chkKeepMinimized.value() != 0; });
    };
    // The real fields report no mouse moves, so the tooltip also follows every edit.
    txtEditorPath.Change = [this] {
        set([&](app::Preferences& p) { p.editorPath = txtEditorPath.text(); });
        txtEditorPath_MouseMove();
    };
    txtPrefix.Change = [this] {
        set([&](app::Preferences& p) { p.prefix = txtPrefix.text(); });
        txtPrefix_MouseMove();
    };
    txtDefaultFolder.Change = [this] {
        set([&](app::Preferences& p) { p.defaultFolder = txtDefaultFolder.text(); });
        txtDefaultFolder_MouseMove();
    };
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
    showHotkeys(values.hotkeys);
    ignoreErrors([&] { HScroll1.setValue(values.jpegQuality); });
    ignoreErrors([&] { setRectangleColour(values.rectangleColour); });
    ignoreErrors([&] { chkMagnifier.setValue(state(values.showMagnifier)); });
    ignoreErrors([&] { SSTab1.setCurrentTab(values.tab); });
    ignoreErrors([&] { cboExtension4Attachments.setListIndex(values.attachmentExtensionIndex); });
}

void FrmPrefs::Form_Load() {
    showValues(store_.values());
    // Filling ticked hotkey boxes; that is no change of the user's.
    hotkeysChanged_ = false;
    // The auto-save box as filled, changed or not.
    app::trap(services_.messageBox, "frmPrefs - Form_Load", [&] { enableAutoSaveControls(); });
}

void FrmPrefs::Form_Activate() {
    // Above a main window that is kept on top.
    app::ignoreErrors([&] { setTopmost(true); });
}

void FrmPrefs::chkAutoSave_Click() {
    set([&](app::Preferences& p) { p.autoSave = chkAutoSave.value() == 1; });
    enableAutoSaveControls();
}

void FrmPrefs::enableAutoSaveControls() {
    app::trap(services_.messageBox, "frmPrefs - chkAutoSave_Click", [&] {
        const std::array<ui::Control*, 7> autoSaveControls{
            &lblSavePrefix, &txtPrefix,        &lbSaveas,        &cboExtension,
            &lblSaveFolder, &txtDefaultFolder, &cmdBrowse4Folder};
        // A greyed box changes nothing.
        if (chkAutoSave.value() == 1 || chkAutoSave.value() == 0)
            for (ui::Control* control : autoSaveControls)
                control->setEnabled(chkAutoSave.value() == 1);
    });
}

void FrmPrefs::chkKeepOnTop_Click() {
    set([&](app::Preferences& p) { p.keepOnTop = chkKeepOnTop.value() == 1; });
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

void FrmPrefs::showHotkeys(const std::array<app::HotkeyModifiers, 3>& hotkeys) {
    // One box after the other, CTRL, ALT, then SHIFT, each firing its own click, so the
    // fonts follow.
    for (std::size_t column = 0; column < kModifiers.size(); ++column)
        for (int hotkey = 1; hotkey <= 3; ++hotkey)
            app::ignoreErrors([&] {
                const app::HotkeyModifiers& held = hotkeys[std::size_t(hotkey - 1)];
                hotkeyBoxes(hotkey)[column]->setValue(held.*kModifiers[column] ? 1 : 0);
            });
}

void FrmPrefs::hotkeyBox_Click(int hotkey, std::size_t column) {
    ui::CheckBox& box = *hotkeyBoxes(hotkey)[column];
    setBoldorNot(box);
    set([&](app::Preferences& p) {
        p.hotkeys[std::size_t(hotkey - 1)].*kModifiers[column] = box.checked();
    });
}

void FrmPrefs::cmdHotkeysDefault_Click() {
    app::trap(services_.messageBox, "frmPrefs - cmdHotkeysDefault_Click", [&] {
        showHotkeys(app::defaultPreferences().hotkeys);
        hotkeysChanged_ = true;
    });
}

void FrmPrefs::HScroll1_Change() {
    app::trap(services_.messageBox, "frmPrefs - HScroll1_Change", [&] {
        set([&](app::Preferences& p) { p.jpegQuality = HScroll1.value(); });
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
    set([&](app::Preferences& p) { p.extensionIndex = cboExtension.listIndex(); });
    focusSink();
}

void FrmPrefs::cboExtension4Attachments_Click() {
    set([&](app::Preferences& p) {
        p.attachmentExtensionIndex = cboExtension4Attachments.listIndex();
    });
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
