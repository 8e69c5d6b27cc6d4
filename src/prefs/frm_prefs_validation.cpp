// The checks of the four free-text fields when the focus leaves them, the delay key filter
// and the tooltips that show a field's whole text.
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/global_routines.h"
#include "prefs/field_text.h"
#include "prefs/folder_probe.h"
#include "prefs/frm_prefs.h"
#include "prefs/prefs_texts.h"

#include <algorithm>

namespace pictorn {

using namespace prefs;

namespace {

constexpr int kBackspace = 8;

bool onlyDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

// A failed check: the message first, then the focus is held and the whole text selected.
void FrmPrefs::failField(bool& cancel, std::string_view text, std::string_view title) {
    services_.messageBox.show(text, platform::mb::kOk | platform::mb::kIconExclamation, title);
    cancel = true;
    SetSelected();
}

void FrmPrefs::txtSeconds_KeyPress(int& keyAscii) {
    app::trap(services_.messageBox, "frmPrefs - txtSeconds_KeyPress", [&] {
        if ((keyAscii < '0' || keyAscii > '9') && keyAscii != kBackspace)
            keyAscii = 0;
    });
}

void FrmPrefs::txtSeconds_Validate(bool& cancel) {
    app::trap(services_.messageBox, "frmPrefs - txtSeconds_Validate", [&] {
        const std::string text = txtSeconds.text();
        if (text.empty())
            failField(cancel, kRangeEmpty, kPellamTitle);
        // Typing lets only digits through, but pasted text can hold anything (a minus sign,
        // letters); such a delay is refused here rather than kept in force.
        if (!onlyDigits(text)) {
            failField(cancel, kRange, kPellamTitle);
            return;
        }
        if (!text.empty() && std::stoi(text) > app::kMaxDelaySeconds)
            failField(cancel, kRange, kPellamTitle);
    });
}

void FrmPrefs::txtPrefix_Validate(bool& cancel) {
    app::trap(services_.messageBox, "frmPrefs - txtPrefix_Validate", [&] {
        cmdBrowse4Folder.setCausesValidation(true);
        cmdBrowse4Editor.setCausesValidation(true);
        switch (app::checkPrefix(txtPrefix.text())) {
        case app::PrefixCheck::Usable:
            break;
        case app::PrefixCheck::Blank:
            txtPrefix.setText(std::string(app::kDefaultPrefix));
            break;
        case app::PrefixCheck::Reserved:
            failField(cancel, reservedCharactersMessage(), kReservedTitle);
            break;
        }
    });
}

void FrmPrefs::txtDefaultFolder_Validate(bool& cancel) {
    app::trap(services_.messageBox, "frmPrefs - txtDefaultFolder_Validate", [&] {
        cmdBrowse4Folder.setCausesValidation(false);
        cmdBrowse4Editor.setCausesValidation(true);
        const std::string text = txtDefaultFolder.text();
        if (noPathGiven(text))
            return;
        if (!app::FolderExists(services_.files, app::trim(text)))
            failField(cancel, kPathNotCorrect, kPellamTitle);
        // The probe takes the text as typed; a folder that is missing was reported above.
        if (probeFolderForWriting(services_.files, text) == ProbeResult::Refused)
            failField(cancel, kLocationNotAvailable, kAttentionTitle);
    });
}

void FrmPrefs::txtEditorPath_Validate(bool& cancel) {
    app::trap(services_.messageBox, "frmPrefs - txtEditorPath_Validate", [&] {
        cmdBrowse4Editor.setCausesValidation(false);
        cmdBrowse4Folder.setCausesValidation(true);
        const std::string text = txtEditorPath.text();
        if (!noPathGiven(text) && !app::FileExists(services_.files, app::trim(text)))
            failField(cancel, kPathNotCorrect, kPellamTitle);
    });
}

void FrmPrefs::txtEditorPath_KeyPress(int&) {
    app::trap(services_.messageBox, "frmPrefs - txtEditorPath_KeyPress", [] {});
}

void FrmPrefs::showTextAsToolTip(ui::TextBox& box, std::string_view label) {
    app::trap(services_.messageBox, label, [&] {
        if (box.text() != " ")
            box.setToolTip(box.text());
    });
}

void FrmPrefs::txtPrefix_MouseMove() {
    showTextAsToolTip(txtPrefix, "frmPrefs - txtPrefix_MouseMove");
}

void FrmPrefs::txtDefaultFolder_MouseMove() {
    showTextAsToolTip(txtDefaultFolder, "frmPrefs - txtDefaultFolder_MouseMove");
}

void FrmPrefs::txtEditorPath_MouseMove() {
    showTextAsToolTip(txtEditorPath, "frmPrefs - txtEditorPath_MouseMove");
}

} // namespace pictorn
