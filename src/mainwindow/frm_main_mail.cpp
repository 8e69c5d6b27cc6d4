// "Send Image with Email": the picture goes into the data folder in the attachment type of
// the preferences, then the mail window opens over the main window. The FTP command saves
// the picture under the same name.
#include "app/app_data.h"
#include "app/error_report.h"
#include "app/preferences.h"
#include "capture/reported_errors.h"
#include "mail/frm_sendmail.h"
#include "mainwindow/frm_main.h"

namespace pictorn {

std::string FrmMain::attachmentPicturePath() {
    // An attachment type outside the list (none chosen) falls back to PNG, and the
    // preferences show it.
    const int index = preferences().attachmentExtensionIndex;
    if (index < 0 || index >= static_cast<int>(app::kPictureExtensions.size()))
        store_.change([](app::Preferences& p) { p.attachmentExtensionIndex = app::kPngIndex; });
    const std::string extension(app::pictureExtension(preferences().attachmentExtensionIndex));
    return app::AppDataFolder(services_.files, services_.shell, services_.shell.programFolder()) +
           "Pictorn" + extension;
}

std::string FrmMain::saveAttachmentPicture() {
    const std::string path = attachmentPicturePath();
    capture::raiseUnlessSaved(ImageBox1.savePictureFile(path, jpegQuality()));
    return path;
}

void FrmMain::menuSendMail_Click() {
    app::trap(services_.messageBox, "frmMain - menuSendMail_Click", [&] {
        const std::string imageToAttach = saveAttachmentPicture();
        {
            ModalScope modal(*this);
            mail::showSendMail(services_, settings(), *this, imageToAttach, mailOrFtpOpen_,
                               &sessionWindow_);
        }
        // Closing the main window meanwhile has unloaded it already.
        if (menuAutoExit.checked() && loaded())
            unload();
    });
}

} // namespace pictorn
