// The editor's file picker and the auto-save folder browser.
#include "app/error_report.h"
#include "app/global_routines.h"
#include "platform/file_dialogs.h"
#include "prefs/field_text.h"
#include "prefs/folder_probe.h"
#include "prefs/frm_prefs.h"
#include "prefs/prefs_texts.h"

namespace pictorn {

using namespace prefs;

void FrmPrefs::cmdBrowse4Editor_Click() {
    app::trap(services_.messageBox, "frmPrefs - cmdBrowse4Editor_Click", [&] {
        platform::OpenFileRequest request;
        request.title = std::string(kEditorPickerTitle);
        request.filters = platform::parseFilterList(kEditorPickerFilter);
        request.initialDir = services_.shell.programFolder();
        request.hideReadOnly = true;
        const auto chosen = services_.fileDialogs.openFile(this, request);
        if (!chosen || chosen->empty()) {
            focusSink();
            return;
        }
        txtEditorPath.setText(lowerCase(*chosen));
        // The editor check runs when the user leaves the field.
        moveFocus(txtEditorPath);
    });
}

void FrmPrefs::cmdBrowse4Folder_Click() {
    app::trap(services_.messageBox, "cmdBrowse4Folder_Click", [&] {
        platform::FolderRequest request;
        request.title = std::string(kFolderBrowserTitle);
        request.prompt = std::string(kFolderBrowserPrompt);
        request.initialFolder = txtDefaultFolder.text();
        request.newFolderButton = true;
        const auto chosen = services_.fileDialogs.browseFolder(this, request);
        if (!chosen)
            return;
        const auto notAvailable = [&] {
            services_.messageBox.show(kLocationNotAvailable,
                                      platform::mb::kOk | platform::mb::kIconExclamation,
                                      kAttentionTitle);
            txtDefaultFolder.setText({});
        };
        if (!app::FolderExists(services_.files, *chosen)) {
            notAvailable();
            return;
        }
        txtDefaultFolder.setText(lowerCase(*chosen));
        if (probeFolderForWriting(services_.files, txtDefaultFolder.text()) ==
            ProbeResult::Refused) {
            notAvailable();
            return;
        }
        focusSink();
    });
}

} // namespace pictorn
