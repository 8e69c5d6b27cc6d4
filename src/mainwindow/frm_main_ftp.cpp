// "Upload Image with FTP": the picture is saved for the FTP window, which then opens.
#include "app/error_report.h"
#include "ftp/frm_ftp.h"
#include "mainwindow/frm_main.h"

namespace pictorn {

void FrmMain::menuUploadFTP_Click() {
    constexpr std::string_view kLabel = "frmMain - menuUploadFTP_Click";
    // The image control's failure code is passed over: the command goes on with the next
    // step, so a picture that cannot be saved does not keep the window from opening.
    auto step = [&](auto&& body) {
        const auto failure = app::catchError(body);
        if (failure && failure->number() != errors::kUnexpected) {
            app::showErrorReport(services_.messageBox, *failure, kLabel);
            return false;
        }
        return true;
    };
    std::string path;
    if (!step([&] { path = attachmentPicturePath(); }))
        return;
    if (!step([&] { ImageBox1.savePictureFile(path); }))
        return;
    imageToAttach = path;
    if (!step([&] {
            ModalScope modal(*this);
            showFtpWindow(services_, settings_, *this, mailOrFtpOpen, imageToAttach);
        }))
        return;
    if (menuAutoExit.checked())
        step([&] { unload(); });
}

} // namespace pictorn
