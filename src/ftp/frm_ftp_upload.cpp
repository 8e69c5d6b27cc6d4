// The upload session behind the FTP window's Upload button: checks, connect, change
// folder, put every file of the list, and the outcome in the log box and a message.
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/file_paths.h"
#include "app/version_text.h"
#include "ftp/frm_ftp.h"
#include "ftp/ftp_texts.h"
#include "net/upload_plan.h"
#include "platform/ui/ui_toolkit.h"

namespace pictorn {

namespace {
constexpr auto kInformation = platform::mb::kIconInformation;

// Our client's error texts are headed the way the edit of the log expects a component's
// to be, so the edited text names the window's step in its first line.
std::string componentErrorText(const std::string& clientError) {
    return "Component: ActiveX" + std::string(ftptext::kCrLf) + clientError;
}
} // namespace

void FrmFTP::cmdUpload_Click() {
    if (sessionRunning_)
        return; // one session at a time
    app::trap(services_.messageBox, "frmFTP - cmdUpload_Click", [&] {
        if (txtRemoteFilename.text().empty()) {
            services_.messageBox.show(ftptext::kNoFilesText, kInformation, ftptext::kNoFilesTitle);
            return;
        }
        txtLog.setText("");
        lblUploadRate.setCaption(std::string(ftptext::kIdleRate));
        if (!checkSettings())
            return;
        if (app::trim(txtRemoteDir.text()).empty())
            txtRemoteDir.setText("/");
        runSession();
    });
    if (closeAfterSession_) {
        closeAfterSession_ = false;
        unload();
    }
}

bool FrmFTP::checkSettings() {
    const std::pair<const ui::TextBox*, std::string_view> required[] = {
        {&txtServer, ftptext::kServerRequired},
        {&txtUser, ftptext::kUserRequired},
        {&txtPassword, ftptext::kPasswordRequired}};
    for (const auto& [box, message] : required) {
        if (app::trim(box->text()).empty()) {
            services_.messageBox.show(message, kInformation, ftptext::kInfoRequiredTitle);
            return false;
        }
    }
    return true;
}

void FrmFTP::setSessionControls(bool running) {
    sessionRunning_ = running;
    // Abort stays enabled; everything that would change the list or end the window waits.
    for (ui::Button* button : {&cmdUpload, &cmdAdd, &cmdRemove, &cmdClose})
        button->setEnabled(!running);
}

void FrmFTP::runSession() {
    struct Running {
        FrmFTP& window;
        explicit Running(FrmFTP& w) : window(w) { window.setSessionControls(true); }
        ~Running() { window.setSessionControls(false); }
    } running{*this};

    abortRequested_ = false;
    notes_.clear();
    ftp.reset();
    ftp = std::make_unique<net::FtpSession>(services_.network, [this] { return ftp_AbortCheck(); });

    net::FtpLogin login;
    login.server = app::trim(txtServer.text());
    login.user = app::trim(txtUser.text());
    login.password = app::trim(txtPassword.text());
    login.passive = chkPassiveMode.value() == 1;
    net::FtpResult result = ftp->connect(login);
    if (!result.ok()) {
        failureProcedure(ftptext::kStepConnect, result.error);
        return;
    }
    result = ftp->changeFolder(app::trim(txtRemoteDir.text()));
    if (!result.ok()) {
        failureProcedure(ftptext::kStepChangeFolder, result.error);
        return;
    }
    txtLog.setText(txtLog.text() + sessionLog() + std::string(ftptext::kCrLf));

    const std::vector<std::string> paths = lstLocalFiles.items();
    const std::vector<std::string> names = remoteNames();
    net::UploadOutcome outcome;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        currentFileNumber.setCaption(std::to_string(i + 1));
        const std::string fileName = app::GetFileName(services_.files, services_.shell, paths[i]);
        if (names[i] != fileName)
            notes_ += "Stored " + paths[i] + " as " + names[i] + ": an earlier file in the list " +
                      "is also named " + fileName + "." + std::string(ftptext::kCrLf);
        std::string openError;
        const std::unique_ptr<net::UploadSource> source = openLocalFile_(paths[i], openError);
        if (!source) {
            outcome.add(names[i], false, "Put file: cannot read " + paths[i] + ": " + openError);
            continue;
        }
        result = ftp->putFile(*source, names[i], [this](const net::PutProgress& progress) {
            ftp_PutProgress(progress.percent);
        });
        outcome.add(names[i], result.ok(), result.error);
    }
    if (!outcome.allArrived()) {
        failureProcedure(ftptext::kStepPutFile, outcome.failureText(), outcome.failedNames());
        return;
    }

    ftp->quit();
    resetProgress();
    txtLog.setText(sessionLog() + std::string(ftptext::kCrLf));
    services_.messageBox.show(paths.size() == 1 ? ftptext::kOneFileUploaded
                                                : ftptext::kFilesUploaded,
                              kInformation, ftptext::kUploadTitle);
    focusSink();
}

void FrmFTP::failureProcedure(std::string_view stepLabel, const std::string& errorText,
                              const std::vector<std::string>& notUploaded) {
    txtLog.setText("");
    const std::string edited =
        ftptext::editErrorLog(componentErrorText(errorText), stepLabel, versionText());
    txtLog.setText(edited + std::string(ftptext::kCrLf));
    ftp->quit();
    resetProgress();
    txtLog.setText(ftptext::failureLogText(edited, sessionLog()));
    // A window closed during the session goes away without keeping the user.
    if (!closeAfterSession_)
        services_.messageBox.show(ftptext::failureMessage(notUploaded),
                                  platform::mb::kIconExclamation, ftptext::kUploadTitle);
}

std::string FrmFTP::sessionLog() const {
    std::string log = ftp ? ftp->log() : std::string();
    if (!notes_.empty()) {
        if (!log.empty() && log.substr(log.size() >= 2 ? log.size() - 2 : 0) != ftptext::kCrLf)
            log += ftptext::kCrLf;
        log += notes_.substr(0, notes_.size() - ftptext::kCrLf.size());
    }
    return log;
}

void FrmFTP::resetProgress() {
    ProgressBar1.setValue(0);
    ProgressBar2.setValue(0);
    lblUploadRate.setCaption(std::string(ftptext::kIdleRate));
}

bool FrmFTP::ftp_AbortCheck() {
    ProgressBar2.setValue(ftptext::nextActivityValue(ProgressBar2.value()));
    lblUploadRate.setCaption(ftptext::rateText(
        currentFileNumber.caption(), lstLocalFiles.items().size(), ftp ? ftp->uploadRate() : 0));
    // Paints the window and sees a click on Abort (or the close box) meanwhile.
    services_.ui.doEvents();
    return abortRequested_;
}

void FrmFTP::ftp_PutProgress(int percent) {
    ProgressBar1.setValue(percent);
}

void FrmFTP::cmdAbort_Click() {
    abortRequested_ = true;
    focusSink();
}

} // namespace pictorn
