// The upload session behind the FTP window's Upload button: checks, connect, change
// folder, put every file of the list, and the outcome in the log box and a message.
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/file_paths.h"
#include "app/version_text.h"
#include "ftp/frm_ftp.h"
#include "ftp/ftp_texts.h"
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

FtpUploadRequest FrmFTP::uploadRequest() {
    // Everything the worker reads is copied here: it never touches the window.
    FtpUploadRequest request;
    request.login.server = app::trim(txtServer.text());
    request.login.user = app::trim(txtUser.text());
    request.login.password = app::trim(txtPassword.text());
    request.login.passive = chkPassiveMode.value() == 1;
    request.remoteFolder = app::trim(txtRemoteDir.text());
    request.paths = lstLocalFiles.items();
    for (const std::string& path : request.paths)
        request.fileNames.push_back(app::GetFileName(services_.files, services_.shell, path));
    request.remoteNames = remoteNames();
    request.openLocalFile = openLocalFile_;
    return request;
}

void FrmFTP::runSession() {
    struct Running {
        FrmFTP& window;
        explicit Running(FrmFTP& w) : window(w) { window.setSessionControls(true); }
        ~Running() {
            window.job_.reset(); // over by now, or aborted and waited for
            window.setSessionControls(false);
        }
    } running{*this};

    abortRequested_ = false;
    job_ = std::make_unique<FtpUploadJob>(
        services_.ui,
        [&network = services_.network, request = uploadRequest()](const auto& job) {
            return runFtpUpload(network, request, job);
        },
        [this](const FtpUploadEvent& event) { sessionEvent(event); });
    // A window closed meanwhile has aborted the session; nobody waits for its outcome.
    if (!job_->waitWhileOpen(*this) || !loaded())
        return;
    const FtpUploadEnd end = job_->result();
    if (!end.ok()) {
        failureProcedure(end);
        return;
    }
    resetProgress();
    txtLog.setText(end.sessionLog + std::string(ftptext::kCrLf));
    services_.messageBox.show(lstLocalFiles.items().size() == 1 ? ftptext::kOneFileUploaded
                                                                : ftptext::kFilesUploaded,
                              kInformation, ftptext::kUploadTitle);
    focusSink();
}

void FrmFTP::failureProcedure(const FtpUploadEnd& end) {
    const std::string edited =
        ftptext::editErrorLog(componentErrorText(end.error), end.failedStep, versionText());
    resetProgress();
    txtLog.setText(ftptext::failureLogText(edited, end.sessionLog));
    services_.messageBox.show(ftptext::failureMessage(end.notUploaded),
                              platform::mb::kIconExclamation, ftptext::kUploadTitle);
}

void FrmFTP::resetProgress() {
    ProgressBar1.setValue(0);
    ProgressBar2.setValue(0);
    lblUploadRate.setCaption(std::string(ftptext::kIdleRate));
}

void FrmFTP::sessionEvent(const FtpUploadEvent& event) {
    using Kind = FtpUploadEvent::Kind;
    switch (event.kind) {
    case Kind::AbortCheck:
        ftp_AbortCheck(event.value);
        break;
    case Kind::FileStarted:
        currentFileNumber.setCaption(std::to_string(event.value));
        break;
    case Kind::Progress:
        ftp_PutProgress(static_cast<int>(event.value));
        break;
    case Kind::SessionLog:
        txtLog.setText(txtLog.text() + event.text + std::string(ftptext::kCrLf));
        break;
    }
}

void FrmFTP::ftp_AbortCheck(std::uint64_t uploadRate) {
    ProgressBar2.setValue(ftptext::nextActivityValue(ProgressBar2.value()));
    lblUploadRate.setCaption(
        ftptext::rateText(currentFileNumber.caption(), lstLocalFiles.items().size(), uploadRate));
}

void FrmFTP::ftp_PutProgress(int percent) {
    ProgressBar1.setValue(percent);
}

void FrmFTP::cmdAbort_Click() {
    abortRequested_ = true;
    if (job_)
        job_->abort();
    focusSink();
}

} // namespace pictorn
