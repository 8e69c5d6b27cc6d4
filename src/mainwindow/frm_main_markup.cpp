// Edit -> Mark Up Image: the mark-up window over the current picture. What it applies
// becomes the current picture, shown and written to the temporary bitmap, so every output
// after it takes the marked-up picture; the auto-saved file stays as it was captured.
#include "app/error_report.h"
#include "mainwindow/frm_main.h"
#include "markup/frm_markup.h"

namespace pictorn {

void FrmMain::menuMarkUpImage_Click() {
    constexpr const char* kLabel = "frmMain - menuMarkUpImage_Click";
    app::trap(services_.messageBox, kLabel, [&] {
        if (!ImageBox1.hasPicture())
            return;
        auto applied = [this](std::shared_ptr<const imaging::Picture> marked) {
            // The temporary bitmap of the capture is whole before it is replaced.
            ImageBox1.waitForWrites();
            ImageBox1.setPicture(std::move(marked));
            ImageBox1.savePictureFileInBackground(
                tempPicturePath(), jpegQuality(), [this](const AppError& e) {
                    app::showErrorReport(services_.messageBox, e, "menuMarkUpImage_Click");
                });
        };
        markup::FrmMarkup window(services_, ImageBox1.picture(), preferences().rectangleColour,
                                 applied);
        ModalScope modal(*this);
        ui::showModalAndUnload(window, *this, &sessionWindow_);
    });
}

} // namespace pictorn
