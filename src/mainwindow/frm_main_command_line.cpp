// Captures asked for on the command line: by this copy's own start, or forwarded by a later
// copy. They run from the message loop (never inside the message that brought them), one
// at a time; a request that arrives while a capture is under way is dropped like any other.
#include "app/error_report.h"
#include "capture/frm_rectangle.h"
#include "mainwindow/frm_main.h"
#include "prefs/frm_prefs.h"

namespace pictorn {

void FrmMain::queueCommandLine(const app::cli::Request& request) {
    if (!request.capture)
        return;
    pendingRequests_.push_back(request);
    TimerPending.setEnabled(true);
}

void FrmMain::TimerPending_Timer() {
    TimerPending.setEnabled(false);
    if (hotkeyNoticePending_) {
        hotkeyNoticePending_ = false;
        noticeTakenHotkeys();
    }
    while (!pendingRequests_.empty()) {
        const app::cli::Request request = pendingRequests_.front();
        pendingRequests_.pop_front();
        runCommandLine(request);
    }
}

void FrmMain::runCommandLine(const app::cli::Request& request) {
    if (captureInProgress_ || commandLine_ || rectangleOpen())
        return;
    commandLine_ = request;
    const int before = captures_;
    delayOverride_ = request.delaySeconds;
    switch (*request.capture) {
    case app::cli::CaptureKind::FullScreen:
        menuCaptureFullScreen_Click();
        break;
    case app::cli::CaptureKind::ActiveWindow:
        menuCaptureActiveWindow_Click();
        break;
    case app::cli::CaptureKind::Rectangle:
        menuCaptureRectangularArea_Click();
        break;
    }
    delayOverride_.reset();
    // The rectangle finishes when the user releases the mouse (or cancels).
    if (commandLine_ && !rectangleOpen())
        finishCommandLine(captures_ != before);
}

void FrmMain::finishCommandLine(bool captured) {
    const app::cli::Request request = *commandLine_;
    commandLine_.reset();
    if (captured && !request.savePath.empty()) {
        capture::SaveResult saved;
        const auto failure = app::catchError([&] {
            ImageBox1.setJpegQuality(prefs().HScroll1.value());
            saved = ImageBox1.savePictureFile(request.savePath);
            if (!saved.saved())
                return;
            Filename_ = request.savePath;
            menuSave.setEnabled(true);
        });
        if (failure || !saved.saved())
            services_.messageBox.show("The picture could not be saved as \"" + request.savePath +
                                          "\":\r\n" +
                                          (failure ? failure->description() : saved.reason),
                                      platform::mb::kIconExclamation, "Pictorn");
    }
    if (captured && request.clipboard) {
        capture::CopyResult copied = capture::CopyResult::Copied;
        const auto failure = app::catchError([&] { copied = ImageBox1.copyPictureToClipboard(); });
        if (failure || copied == capture::CopyResult::ClipboardBusy)
            services_.messageBox.show(
                "The picture could not be copied to the clipboard:\r\n" +
                    (failure ? failure->description() : std::string(capture::kClipboardBusyReason)),
                platform::mb::kIconExclamation, "Pictorn");
    }
    if (request.exitAfter)
        unload();
}

} // namespace pictorn
