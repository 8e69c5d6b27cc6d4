// Done: the entries are checked once more, every setting is written to the store, the
// user hears about hotkeys that need a restart, and the dialog is hidden.
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/global_routines.h"
#include "app/preference_table.h"
#include "prefs/field_text.h"
#include "prefs/folder_probe.h"
#include "prefs/frm_prefs.h"
#include "prefs/prefs_texts.h"

namespace pictorn {

using namespace prefs;

void FrmPrefs::cmdDone_Click() {
    app::trap(services_.messageBox, "frmPrefs - cmdDone_Click", [&] {
        if (!checkEntriesForDone() || !writeSettings())
            return;
        focusSink();
        if (hotkeysChanged_) {
            services_.messageBox.show(kAllGood, platform::mb::kOk | platform::mb::kIconInformation,
                                      kAllGoodTitle);
            hotkeysChanged_ = false;
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
    if (!noPathGiven(editor) && !app::FileExists(services_.files, app::trim(editor)))
        return stopAt(txtEditorPath, kPathNotCorrect, kPellamTitle);

    const app::PrefixCheck prefix = app::checkPrefix(txtPrefix.text());
    if (prefix == app::PrefixCheck::Blank)
        txtPrefix.setText(std::string(app::kDefaultPrefix));
    else if (prefix == app::PrefixCheck::Reserved)
        return stopAt(txtPrefix, reservedCharactersMessage(), kReservedTitle);

    const std::string folder = txtDefaultFolder.text();
    if (chkAutoSave.value() == 1 && !noPathGiven(folder)) {
        if (!app::FolderExists(services_.files, app::trim(folder)))
            return stopAt(txtDefaultFolder, kPathNotCorrect, kPellamTitle);
        if (probeFolderForWriting(services_.files, folder) == ProbeResult::Refused)
            return stopAt(txtDefaultFolder, kLocationNotAvailable, kAttentionTitle);
    }
    return true;
}

// Phase 2: every value in the table's order. False when auto-save has no folder: what was
// written so far stays written, the rest waits for the next Done.
bool FrmPrefs::writeSettings() {
    // An emptied field shows (and stores) what an empty value stands for.
    if (app::trim(values().editorPath).empty())
        app::ignoreErrors([&] { txtEditorPath.setText(std::string(app::kEditorPlaceholder)); });
    if (values().autoSave && app::trim(values().prefix).empty())
        app::ignoreErrors([&] { txtPrefix.setText(std::string(app::kDefaultPrefix)); });
    if (store_.saveAtDone())
        return true;
    services_.messageBox.show(kNoFolder, platform::mb::kOk | platform::mb::kIconExclamation,
                              kNoFolderTitle);
    return false;
}

} // namespace pictorn
