// "Upload Image with FTP": the picture is saved for the FTP window, which then opens.
#include "app/app_data.h"
#include "app/error_report.h"
#include "ftp/frm_ftp.h"
#include "mainwindow/frm_main.h"
#include "prefs/frm_prefs.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace pictorn {

namespace {
constexpr std::array<std::string_view, 7> kAttachmentTypes{".bmp", ".gif", ".jpg", ".pcx",
                                                           ".png", ".psd", ".tif"};
constexpr int kPngEntry = 4;
} // namespace

std::string FrmMain::attachmentPicturePath() {
    std::string extension = prefs().cboExtension4Attachments.selectedText();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension.empty() || extension == " ")
        extension = ".png";
    if (std::find(kAttachmentTypes.begin(), kAttachmentTypes.end(), extension) ==
        kAttachmentTypes.end()) {
        prefs().cboExtension4Attachments.setListIndex(kPngEntry);
        extension = ".png";
    }
    return app::AppDataFolder(services_.files, services_.shell, services_.shell.programFolder()) +
           "Pictorn" + extension;
}

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
