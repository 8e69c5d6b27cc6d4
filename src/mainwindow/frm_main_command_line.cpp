// Captures asked for on the command line: by this copy's own start, or forwarded by a later
// copy that waits for the outcome. They run from the message loop (never inside the message
// that brought them), one at a time and in order: a request that arrives while a capture is
// under way waits for it; one that arrives while a window of the program is open is refused
// at once, as the capture could not be taken before the user closes that window.
#include "app/error_report.h"
#include "capture/frm_rectangle.h"
#include "mainwindow/frm_main.h"
#include "prefs/frm_prefs.h"

namespace pictorn {
namespace {

// How often a waiting request looks whether the capture ahead of it is over.
constexpr int kWaitingTickMs = 100;

} // namespace

void FrmMain::queueCommandLine(const app::cli::Request& request,
                               std::shared_ptr<platform::ForwardedReply> reply) {
    if (!request.capture)
        return;
    pendingRequests_.push_back({request, std::move(reply)});
    TimerPending.setInterval(1);
    TimerPending.setEnabled(true);
}

void FrmMain::TimerPending_Timer() {
    TimerPending.setEnabled(false);
    if (hotkeyNoticePending_) {
        hotkeyNoticePending_ = false;
        noticeTakenHotkeys();
    }
    while (!pendingRequests_.empty()) {
        CommandLine& next = pendingRequests_.front();
        // A later copy that gave up waiting has told its user the capture failed.
        if (next.reply && !next.reply->waiting()) {
            pendingRequests_.pop_front();
            continue;
        }
        if (const std::string refusal = commandLineRefusal(); !refusal.empty()) {
            CommandLine refused = std::move(next);
            pendingRequests_.pop_front();
            tellOutcome(refused, app::cli::kExitFailed, refusal);
            continue;
        }
        if (commandLineMustWait()) {
            TimerPending.setInterval(kWaitingTickMs);
            TimerPending.setEnabled(true);
            return;
        }
        CommandLine taken = std::move(next);
        pendingRequests_.pop_front();
        runCommandLine(std::move(taken));
    }
}

std::string FrmMain::commandLineRefusal() const {
    std::string open;
    if (sessionWindow_ && sessionWindow_->name() == "frmSendmail")
        open = "the mail window is";
    else if (mailOrFtpOpen_)
        open = "the FTP window is";
    else if (prefs_ && prefs_->visible())
        open = "the Preferences window is";
    else if (aboutOpen() || modalDialogs_ > 0)
        open = "a dialog box of Pictorn is";
    if (open.empty())
        return {};
    return "Pictorn is busy: " + open + " open, so the capture was not taken.\r\n" +
           "Close it and try again.";
}

bool FrmMain::commandLineMustWait() const {
    return captureInProgress_ || commandLine_ || rectangleOpen() || printingInProgress_;
}

bool FrmMain::commandLineAwaitsPicture() const {
    // Once told, the request is only showing its messages, or the program was closed.
    return commandLine_ && !commandLine_->told;
}

void FrmMain::runCommandLine(CommandLine commandLine) {
    const app::cli::CaptureKind kind = *commandLine.request.capture;
    delayOverride_ = commandLine.request.delaySeconds;
    commandLine_ = std::move(commandLine);
    const int before = captures_;
    switch (kind) {
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
    if (commandLineAwaitsPicture() && !rectangleOpen())
        finishCommandLine(captures_ != before);
}

void FrmMain::finishCommandLine(bool captured) {
    const app::cli::Request request = commandLine_->request;
    std::vector<std::string> failures;
    if (captured && !request.savePath.empty()) {
        capture::SaveResult saved;
        const auto failure = app::catchError([&] {
            saved = ImageBox1.savePictureFile(request.savePath, jpegQuality());
            if (!saved.saved())
                return;
            Filename_ = request.savePath;
            menuSave.setEnabled(true);
        });
        if (failure || !saved.saved())
            failures.push_back("The picture could not be saved as \"" + request.savePath +
                               "\":\r\n" + (failure ? failure->description() : saved.reason));
    }
    if (captured && request.clipboard) {
        capture::CopyResult copied = capture::CopyResult::Copied;
        const auto failure = app::catchError([&] { copied = ImageBox1.copyPictureToClipboard(); });
        if (failure || copied == capture::CopyResult::ClipboardBusy)
            failures.push_back(
                "The picture could not be copied to the clipboard:\r\n" +
                (failure ? failure->description() : std::string(capture::kClipboardBusyReason)));
    }
    // Told before the messages, which wait for someone to read them here.
    tellOutcome(*commandLine_,
                captured && failures.empty() ? app::cli::kExitDone : app::cli::kExitFailed, {});
    for (const std::string& failure : failures)
        services_.messageBox.show(failure, platform::mb::kIconExclamation, "Pictorn");
    commandLine_.reset();
    if (request.exitAfter)
        unload();
}

void FrmMain::tellOutcome(CommandLine& commandLine, int code, std::string_view message) {
    commandLine.told = true;
    if (commandLine.reply) {
        commandLine.reply->answer(code, message);
        return;
    }
    exitCode_ = code;
    if (!message.empty())
        services_.messageBox.show(std::string(message), platform::mb::kIconExclamation, "Pictorn");
}

void FrmMain::refuseCommandLinesAtClose() {
    // The user closed the program: a later copy is told why; this copy's own request only
    // fails.
    const auto refuse = [this](CommandLine& commandLine) {
        if (!commandLine.told)
            tellOutcome(commandLine, app::cli::kExitFailed,
                        commandLine.reply ? "Pictorn was closed before it took the capture." : "");
    };
    if (commandLine_)
        refuse(*commandLine_);
    // An answer lets the system hand us messages sent meanwhile: another request may join
    // the queue while it is being emptied.
    while (!pendingRequests_.empty()) {
        CommandLine waiting = std::move(pendingRequests_.front());
        pendingRequests_.pop_front();
        refuse(waiting);
    }
}

} // namespace pictorn
