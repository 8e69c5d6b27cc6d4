// The capture commands: hide the main window, wait the delay, grab, keep the picture and
// bring the window back. The rectangle command hands over to the selection overlay,
// which finishes the capture the same way.
#include "app/conversions.h"
#include "app/error_report.h"
#include "capture/frm_rectangle.h"
#include "capture/grab.h"
#include "capture/reported_errors.h"
#include "capture/uncovered_wait.h"
#include "mainwindow/frm_main.h"
#include "platform/stage_log.h"
#include "platform/ui/ui_toolkit.h"

namespace pictorn {
namespace {

constexpr std::string_view kBusyText =
    "Please save (or cancel) your current screenshot before you take a new one.";
constexpr std::string_view kBusyTitle = "I'm afraid I can't do that Pellam...";
// The longest wait for the screen to stop showing our window. Reached only where the area
// cannot be seen to change: something else on top of it, or a desktop of the same colours.
constexpr int kUncoverCapMs = 150;

} // namespace

void FrmMain::captureTrap(std::string_view label, const std::function<void()>& body) {
    const auto failure = app::catchError(body);
    if (!failure)
        return;
    // A capture that fails after hiding the window must not leave the program invisible:
    // with no window and no tray icon there would be no way back but killing it.
    if (hiddenForCapture_) {
        hiddenForCapture_ = false;
        menuTrayOpen_Click();
    }
    if (failure->kind() == ErrorKind::Busy)
        services_.messageBox.show(kBusyText, platform::mb::kIconExclamation, kBusyTitle);
    else
        app::showErrorReport(services_.messageBox, *failure, label);
}

void FrmMain::refuseWhileModal() const {
    // A capture would hide the window that owns the open dialog.
    if (modalDialogs_ > 0)
        throw AppError(ErrorKind::Busy, errors::kModalFormOpen,
                       "Can't show non-modal form when modal form is displayed");
}

void FrmMain::hideForCapture() {
    refuseWhileModal();
    // In the tray or minimized, the window covers nothing the grab could show.
    const bool onScreen = visible() && windowState() != ui::WindowState::Minimized;
    covered_ = {};
    if (onScreen && delaySeconds() <= 0) {
        const ui::Geometry g = geometry();
        const int twips = services_.ui.screen().twipsPerPixel();
        covered_ = capture::recordCoveredArea(
            services_.screen, {g.left / twips, g.top / twips, g.width / twips, g.height / twips});
        platform::markStage("covered area looked at");
    }
    hide();
    hiddenForCapture_ = true;
}

int FrmMain::delaySeconds() const {
    return delayOverride_ ? *delayOverride_ : preferences().delaySeconds;
}

std::optional<imaging::Picture> FrmMain::delayWait(const capture::GrabOffer* offer) {
    // The delay counts from the moment the window is gone, on a clock that never jumps;
    // the wait keeps every window responsive. Without a delay the grab waits only until
    // the screen no longer shows our window; a delay outlasts any repaint by itself.
    const int seconds = delaySeconds();
    services_.ui.doEvents();
    if (seconds <= 0) {
        const auto pump = [this](int ms) {
            services_.ui.waitEvents(ms);
        };
        std::optional<imaging::Picture> grabbed;
        if (offer)
            grabbed = capture::grabWhenUncovered(services_.screen, covered_, services_.clock, pump,
                                                 kUncoverCapMs, *offer);
        else
            capture::waitUntilUncovered(services_.screen, covered_, services_.clock, pump,
                                        kUncoverCapMs);
        covered_ = {};
        return grabbed;
    }
    covered_ = {};
    const std::int64_t target = services_.clock.monotonicMs() + std::int64_t{seconds} * 1000;
    for (std::int64_t now = services_.clock.monotonicMs(); now < target;
         now = services_.clock.monotonicMs())
        services_.ui.waitEvents(static_cast<int>(std::min<std::int64_t>(target - now, 50)));
    return std::nullopt;
}

std::optional<capture::ScreenGrab> FrmMain::grabFor(CaptureSource source) {
    if (source != CaptureSource::FullScreen) {
        delayWait();
        return capture::grabForegroundWindow(services_.screen, frames_.take());
    }
    // The whole screen is known before the wait, so its grab can end the wait.
    const platform::PixelRect area = capture::screenArea(services_.screen);
    const capture::GrabOffer offer{area, [&] {
                                       return services_.screen.grabInto(area, frames_.take());
                                   }};
    if (std::optional<imaging::Picture> early = delayWait(&offer))
        return capture::ScreenGrab{std::move(*early), area.left, area.top};
    return capture::grabScreen(services_.screen, frames_.take());
}

void FrmMain::menuCaptureFullScreen_Click() {
    captureTrap("frmMain - menuCaptureFullScreen_Click", [&] {
        if (menuIncludeMousepointer.checked())
            menuCaptureFullScreenWithCursor_Click();
        else
            captureSequence(CaptureSource::FullScreen, false);
    });
}

void FrmMain::menuCaptureFullScreenWithCursor_Click() {
    captureTrap("frmMain - menuCaptureFullScreenWithCursor_Click",
                [&] { captureSequence(CaptureSource::FullScreen, true); });
}

void FrmMain::menuCaptureActiveWindow_Click() {
    captureTrap("frmMain - menuCaptureActiveWindow_Click", [&] {
        if (menuIncludeMousepointer.checked())
            menuCaptureActiveWindowWithCursor_Click();
        else
            captureSequence(CaptureSource::ActiveWindow, false);
    });
}

void FrmMain::menuCaptureActiveWindowWithCursor_Click() {
    captureTrap("frmMain - menuCaptureActiveWindowWithCursor_Click",
                [&] { captureSequence(CaptureSource::ActiveWindow, true); });
}

void FrmMain::captureSequence(CaptureSource source, bool withPointer) {
    // The delay lets other events run: a second request from the tray or a hotkey would
    // otherwise start a capture inside this one and bring the window back into its grab.
    if (captureInProgress_)
        return;
    const CaptureScope busy(captureInProgress_);
    platform::markStage("capture command");
    hideForCapture();
    platform::markStage("window hidden");
    std::optional<capture::ScreenGrab> grab = grabFor(source);
    if (!grab)
        throw capture::noActiveWindowError();
    if (withPointer)
        capture::drawCurrentPointer(services_.screen, *grab);
    // The auto-save is under way before the window comes back; a folder that is gone is
    // told once the window is there.
    platform::markStage("grabbed");
    const bool autoSaveDue = saveTempandShowPicture(std::move(grab->picture));
    platform::markStage("picture set, writes queued");
    hiddenForCapture_ = false;
    ++captures_;
    if (preferences().keepMinimized) {
        setWindowState(ui::WindowState::Minimized);
        setVisible(true);
    } else {
        menuTrayOpen_Click();
    }
    platform::markStage("window back");
    if (preferences().playSound)
        PlaySound("pictorn.wav");
    enableOutputCommands();
    if (autoSaveDue)
        AutoSave();
    platform::markStage("capture command done");
}

void FrmMain::enableOutputCommands() {
    for (ui::MenuItem* item :
         {&menuSaveAs, &menuPrint, &menuCopyImagetoClipboard, &menuSendImagetoEditor,
          &menuSendImagetoPaint, &menuSendMail, &menuUploadFTP, &menuMarkUpImage})
        item->setEnabled(true);
}

void FrmMain::menuCaptureRectangularArea_Click() {
    captureTrap("frmMain - menuCaptureRectangularArea_Click", [&] {
        if (captureInProgress_)
            return;
        const CaptureScope busy(captureInProgress_);
        hideForCapture();
        delayWait();
        if (!rectangle_)
            rectangle_ = std::make_unique<capture::FrmRectangle>(
                services_, [this] { return preferences().rectangleColour; },
                [this](const capture::SelectionResult& result) { rectangleDone(result); });
        rectangle_->setMagnifierSource([this] { return preferences().showMagnifier; });
        rectangle_->show();
    });
}

void FrmMain::rectangleDone(const capture::SelectionResult& result) {
    hiddenForCapture_ = false;
    if (result.cancelled) {
        // Nothing was captured, but the program must not stay invisible.
        menuTrayOpen_Click();
        if (commandLineAwaitsPicture())
            finishCommandLine(false);
        return;
    }
    const bool autoSaveDue = saveTempandShowPicture(result.picture);
    ++captures_;
    if (preferences().playSound)
        PlaySound("pictorn.wav");
    if (preferences().keepMinimized) {
        setWindowState(ui::WindowState::Minimized);
        setVisible(true);
    } else {
        menuTrayOpen.setEnabled(false);
        setWindowState(ui::WindowState::Normal);
        setVisible(true);
        show();
    }
    enableOutputCommands();
    if (autoSaveDue)
        AutoSave();
    if (commandLineAwaitsPicture())
        finishCommandLine(true);
}

} // namespace pictorn
