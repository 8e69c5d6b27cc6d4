// "Upload Image with FTP": the picture is saved for the FTP window, which then opens.
#include "app/error_report.h"
#include "capture/reported_errors.h"
#include "ftp/frm_ftp.h"
#include "mainwindow/frm_main.h"

namespace pictorn {

void FrmMain::menuUploadFTP_Click() {
    constexpr std::string_view kLabel = "frmMain - menuUploadFTP_Click";
    auto step = [&](auto&& body) {
        const auto failure = app::catchError(body);
        if (failure)
            app::showErrorReport(services_.messageBox, *failure, kLabel);
        return !failure;
    };
    std::string imageToAttach;
    if (!step([&] { imageToAttach = attachmentPicturePath(); }))
        return;
    capture::SaveResult saved;
    if (!step([&] { saved = ImageBox1.savePictureFile(imageToAttach, jpegQuality()); }))
        return;
    // A path that cannot be written is passed over: the window opens all the same, and the
    // user can still upload other files. A full disk ends the command like any other error.
    if (saved.status == capture::SaveStatus::DiskFull) {
        app::showErrorReport(services_.messageBox, capture::reportedError(saved), kLabel);
        return;
    }
    if (!step([&] {
            ModalScope modal(*this);
            showFtpWindow(services_, settings(), *this, mailOrFtpOpen_, imageToAttach,
                          &sessionWindow_);
        }))
        return;
    if (menuAutoExit.checked())
        step([&] { unload(); });
}

} // namespace pictorn
