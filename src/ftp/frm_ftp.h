#pragma once
// The FTP window "FTP Upload": the server settings, the list of local files (the current
// picture first), the session log and the progress display. Upload runs one FTP session
// with our client on a worker thread; its progress and log come back to the window as
// events, and the window keeps processing its own events meanwhile, so it paints and
// answers Abort. Closing the window aborts the session and waits for it.
#include "app/settings.h"
#include "ftp/ftp_upload_session.h"
#include "platform/services.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "resource_ids.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pictorn {

class FrmFTP : public ui::Form {
public:
    // `mailOrFtpOpen` is set while the window is loaded; `imageToAttach` is the picture
    // that opens the file list.
    FrmFTP(platform::Services& services, app::SettingsStore& store, bool& mailOrFtpOpen,
           std::string imageToAttach);
    ~FrmFTP() override;

    ui::Label frameFTPSettings{this, "frameFTPSettings", IDC_FTP_FRAME};
    ui::Label lblFTPServer{this, "lblFTPServer", IDC_FTP_LBL_SERVER};
    ui::TextBox txtServer{this, "txtServer", IDC_FTP_SERVER};
    ui::Label lblUser{this, "lblUser", IDC_FTP_LBL_USER};
    ui::TextBox txtUser{this, "txtUser", IDC_FTP_USER};
    ui::Label lblPassword{this, "lblPassword", IDC_FTP_LBL_PASSWORD};
    ui::TextBox txtPassword{this, "txtPassword", IDC_FTP_PASSWORD};
    ui::Label lblRemoteDir{this, "lblRemoteDir", IDC_FTP_LBL_REMOTEDIR};
    ui::TextBox txtRemoteDir{this, "txtRemoteDir", IDC_FTP_REMOTEDIR};
    ui::CheckBox chkPassiveMode{this, "chkPassiveMode", IDC_FTP_PASSIVE};
    ui::Label lblLocalFilename{this, "lblLocalFilename", IDC_FTP_LBL_LOCALFILES};
    ui::ListBox lstLocalFiles{this, "lstLocalFiles", IDC_FTP_LOCALFILES};
    ui::Button cmdAdd{this, "cmdAdd", IDC_FTP_ADD};
    ui::Button cmdRemove{this, "cmdRemove", IDC_FTP_REMOVE};
    ui::Label lblRemoteFilename{this, "lblRemoteFilename", IDC_FTP_LBL_REMOTEFILENAME};
    ui::TextBox txtRemoteFilename{this, "txtRemoteFilename", IDC_FTP_REMOTEFILENAME};
    ui::TextBox txtLog{this, "txtLog", IDC_FTP_LOG};
    ui::Button cmdUpload{this, "cmdUpload", IDC_FTP_UPLOAD};
    ui::Button cmdAbort{this, "cmdAbort", IDC_FTP_ABORT};
    ui::Button cmdClose{this, "cmdClose", IDC_FTP_CLOSE};
    ui::Label lblProgress{this, "lblProgress", IDC_FTP_LBL_PROGRESS};
    ui::ProgressBar ProgressBar1{this, "ProgressBar1", IDC_FTP_PROGRESS1};
    ui::ProgressBar ProgressBar2{this, "ProgressBar2", IDC_FTP_PROGRESS2};
    ui::Label lblUploadRate{this, "lblUploadRate", IDC_FTP_RATE};
    // Invisible: the number of the file being put, and the button that takes the focus
    // after list and button actions.
    ui::Label currentFileNumber{this, "currentFileNumber", IDC_FTP_FILENUMBER};
    ui::Button cmdHDDNFCS{this, "cmdHDDNFCS", IDC_FTP_FOCUSSINK};

    // True from the press of Upload until the session has ended.
    bool sessionRunning() const { return sessionRunning_; }
    bool abortRequested() const { return abortRequested_; }

    // Where the bytes of a listed file come from: the file itself, read piece by piece.
    // Window tests read the headless file system instead.
    void setLocalFileOpener(LocalFileOpener opener) { openLocalFile_ = std::move(opener); }

    void cmdUpload_Click();
    void cmdAbort_Click();

private:
    void setDesignState();
    void wireHandlers();
    void Form_Load();
    void Form_QueryUnload(bool& cancel);
    void lstLocalFiles_Click();
    void lstLocalFiles_MouseMove(int button, int shift, float x, float y);
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdClose_Click();
    void selectLastEntry();
    void focusSink();
    // The name the entry is stored under: its file name, made distinct from the names of
    // earlier entries.
    std::vector<std::string> remoteNames();

    // The session (frm_ftp_upload.cpp).
    bool checkSettings();
    FtpUploadRequest uploadRequest();
    void runSession();
    void sessionEvent(const FtpUploadEvent& event);
    void ftp_AbortCheck(std::uint64_t uploadRate);
    void ftp_PutProgress(int percent);
    void failureProcedure(const FtpUploadEnd& end);
    void resetProgress();
    void setSessionControls(bool running);

    platform::Services& services_;
    app::SettingsStore& store_;
    bool& mailOrFtpOpen_;
    std::string imageToAttach_;
    std::unique_ptr<FtpUploadJob> job_; // while a session runs
    LocalFileOpener openLocalFile_;
    bool abortRequested_ = false;
    bool sessionRunning_ = false;
};

// The main window's "Upload Image with FTP" after the picture has been saved: shows the
// FTP window modally, owned by `owner`, and unloads it afterwards. While it is up,
// `openWindow` (when given) points at it, so that closing the main window can close it
// first.
void showFtpWindow(platform::Services& services, app::SettingsStore& store, ui::Form& owner,
                   bool& mailOrFtpOpen, const std::string& imageToAttach,
                   ui::Form** openWindow = nullptr);

} // namespace pictorn
