// Done: the entries are checked once more, every setting is written to the store, the
// user hears about hotkeys that need a restart, and the dialog is hidden.
#include "app/error_report.h"
#include "app/global_routines.h"
#include "prefs/field_text.h"
#include "prefs/folder_probe.h"
#include "prefs/frm_prefs.h"
#include "prefs/prefs_texts.h"

namespace pictorn {

using namespace prefs;

namespace {

std::string boxValue(const ui::CheckBox& box) {
    return std::to_string(box.value());
}

} // namespace

void FrmPrefs::cmdDone_Click() {
    app::trap(services_.messageBox, "frmPrefs - cmdDone_Click", [&] {
        if (!checkEntriesForDone() || !writeSettings())
            return;
        focusSink();
        if (hotkeyPrefsClicked == kHotkeysClicked) {
            services_.messageBox.show(kAllGood, platform::mb::kOk | platform::mb::kIconInformation,
                                      kAllGoodTitle);
            hotkeyPrefsClicked = std::string(kHotkeysNotClicked);
        }
        hide();
    });
}

// Phase 1: the editor, the prefix and (with auto-save on) the folder. A failure brings the
// "Save & Edit" tab to the front with the focus in the field, and Done stops.
bool FrmPrefs::checkEntriesForDone() {
    const auto stopAt = [&](ui::TextBox& field, std::string_view text, std::string_view title) {
        services_.messageBox.show(text, platform::mb::kOk | platform::mb::kIconExclamation, title);
        SSTab1.setCurrentTab(kTabSaveEdit);
        moveFocus(field);
        return false;
    };
    const std::string editor = txtEditorPath.text();
    if (!noPathGiven(editor) && !app::FileExists(services_.files, trimSpaces(editor)))
        return stopAt(txtEditorPath, kPathNotCorrect, kPellamTitle);

    const std::string prefix = txtPrefix.text();
    if (prefix.empty() || prefix == " ")
        txtPrefix.setText(std::string(kDefaultPrefix));
    else if (!app::StringChk(prefix, app::kReservedFileNameChars).empty())
        return stopAt(txtPrefix, reservedCharactersMessage(), kReservedTitle);

    const std::string folder = txtDefaultFolder.text();
    if (chkAutoSave.value() == 1 && !noPathGiven(folder)) {
        if (!app::FolderExists(services_.files, trimSpaces(folder)))
            return stopAt(txtDefaultFolder, kPathNotCorrect, kPellamTitle);
        if (probeFolderForWriting(services_.files, folder) == ProbeResult::Refused)
            return stopAt(txtDefaultFolder, kLocationNotAvailable, kAttentionTitle);
    }
    return true;
}

void FrmPrefs::write(std::string_view name, const std::string& value) {
    app::ignoreErrors([&] { store_.write(name, value); });
}

// Phase 2: every value in the store's order. False when auto-save has no folder: what was
// written so far stays written, the rest waits for the next Done.
bool FrmPrefs::writeSettings() {
    write("DelayActiveWindow", txtSeconds.text());
    write("PlaySound", boxValue(chkSound));
    write("KeepOnTop", boxValue(chkKeepOnTop));
    write("StartMinimized", boxValue(chkStartMinimized));
    write("SystemTray", boxValue(chkTray));
    write("KeepMinimized", boxValue(chkKeepMinimized));
    app::ignoreErrors([&] {
        if (trimSpaces(txtEditorPath.text()).empty())
            txtEditorPath.setText(std::string(app::kEditorPlaceholder));
        store_.write("Editor", txtEditorPath.text());
    });
    write("AutoSave", boxValue(chkAutoSave));
    const bool autoSave = chkAutoSave.value() == 1;
    if (autoSave) {
        app::ignoreErrors([&] {
            if (trimSpaces(txtPrefix.text()).empty())
                txtPrefix.setText(std::string(kDefaultPrefix));
            store_.write("Prefix", txtPrefix.text());
        });
        write("Extension", std::to_string(cboExtension.listIndex()));
        const std::string folder = txtDefaultFolder.text();
        if (trimSpaces(folder).empty() || folder == app::kEditorPlaceholder) {
            services_.messageBox.show(kNoFolder, platform::mb::kOk | platform::mb::kIconExclamation,
                                      kNoFolderTitle);
            return false;
        }
        write("DefaultFolder", folder);
    }
    const std::array<std::string_view, 3> modifiers{"CTRL", "ALT", "SHIFT"};
    for (std::size_t column = 0; column < modifiers.size(); ++column)
        for (int hotkey = 1; hotkey <= 3; ++hotkey)
            write("HotKey" + std::string(modifiers[column]) + std::to_string(hotkey),
                  boxValue(*hotkeyBoxes(hotkey)[column]));
    write("JPEGquality", std::to_string(HScroll1.value()));
    write("Extension4Attachments", std::to_string(cboExtension4Attachments.listIndex()));
    write("SelectedColor", rectangleColor);
    write("Tab", std::to_string(SSTab1.currentTab()));
    return true;
}

} // namespace pictorn
