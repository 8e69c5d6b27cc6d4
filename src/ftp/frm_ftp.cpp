// The FTP window's make-up, its settings, the file list and closing.
#include "ftp/frm_ftp.h"

#include "app/conversions.h"
#include "app/error_report.h"
#include "app/file_paths.h"
#include "app/mail_ftp_settings.h"
#include "ftp/ftp_texts.h"
#include "net/upload_plan.h"
#include "platform/file_dialogs.h"
#include "platform/ui/ui_toolkit.h"

#include <cmath>

namespace pictorn {

namespace {
constexpr int kButtonFace = 15;
constexpr std::uint32_t kBlue = 0xFF0000; // blue-green-red
} // namespace

FrmFTP::FrmFTP(platform::Services& services, app::SettingsStore& store, bool& mailOrFtpOpen,
               std::string imageToAttach)
    : ui::Form(services.ui, "frmFTP"), services_(services), store_(store),
      mailOrFtpOpen_(mailOrFtpOpen), imageToAttach_(std::move(imageToAttach)),
      openLocalFile_([](const std::string& path, std::string& error) {
          return std::unique_ptr<net::UploadSource>(net::FileUploadSource::open(path, error));
      }) {
    setStyle(
        {.templateId = IDD_FTP, .sizable = false, .showInTaskbar = false, .minMaxBoxes = false});
    setDesignState();
    wireHandlers();
}

FrmFTP::~FrmFTP() {
    // A window torn down without closing (the program ending) still clears the mark; a
    // session still running is aborted and waited for by its job.
    if (loaded())
        mailOrFtpOpen_ = false;
}

void FrmFTP::setDesignState() {
    setCaption("FTP Upload");
    frameFTPSettings.setCaption("FTP Settings");
    lblFTPServer.setCaption("FTP Server");
    txtServer.setToolTip("Host name or IP address of the FTP server");
    lblUser.setCaption("User");
    txtUser.setToolTip("User ID, Login Name");
    lblPassword.setCaption("Password");
    lblRemoteDir.setCaption("Remote Directory");
    txtRemoteDir.setToolTip("Remote Site Folder (f.i./www/mysite/images)");
    chkPassiveMode.setCaption("Passive Mode (PASV)");
    chkPassiveMode.setToolTip(
        "Tick this if your firewall and gateway configuration requires PASV mode ");
    lblLocalFilename.setCaption("Local Files");
    cmdAdd.setCaption("Add");
    cmdAdd.setToolTip("Add supplemental attachments");
    cmdRemove.setCaption("Remove");
    lblRemoteFilename.setCaption("Remote Filename");
    txtRemoteFilename.setBackColor(ui::systemColor(kButtonFace));
    txtLog.setFontName("Courier New");
    txtLog.setForeColor(kBlue);
    txtLog.setToolTip("FTP Session Log");
    cmdUpload.setCaption("Upload");
    cmdAbort.setCaption("Abort");
    cmdClose.setCaption("Close");
    lblProgress.setCaption("Progress");
    lblUploadRate.setCaption(std::string(ftptext::kDesignRate));
    currentFileNumber.setCaption("1");
    currentFileNumber.setVisible(false);
    cmdHDDNFCS.setVisible(false);
}

void FrmFTP::wireHandlers() {
    Load = [this] {
        Form_Load();
    };
    QueryUnload = [this](bool& cancel) {
        Form_QueryUnload(cancel);
    };
    lstLocalFiles.Click = [this] {
        lstLocalFiles_Click();
    };
    lstLocalFiles.MouseMove = [this](int button, int shift, float x, float y) {
        lstLocalFiles_MouseMove(button, shift, x, y);
    };
    cmdAdd.Click = [this] {
        cmdAdd_Click();
    };
    cmdRemove.Click = [this] {
        cmdRemove_Click();
    };
    cmdClose.Click = [this] {
        cmdClose_Click();
    };
    cmdUpload.Click = [this] {
        cmdUpload_Click();
    };
    cmdAbort.Click = [this] {
        cmdAbort_Click();
    };
}

void FrmFTP::Form_Load() {
    mailOrFtpOpen_ = true;
    // Unreadable values come back as their defaults: empty boxes, passive mode off.
    const app::FtpSettings stored = app::ftpSettingsTable().load(store_);
    txtServer.setText(stored.server);
    txtUser.setText(stored.user);
    txtRemoteDir.setText(stored.remoteDir);
    chkPassiveMode.setValue(stored.passiveMode ? 1 : 0);
    txtPassword.setText(stored.password);
    app::trap(services_.messageBox, "frmFTP - Form_Load", [&] {
        lstLocalFiles.addItem(imageToAttach_);
        selectLastEntry();
    });
}

std::vector<std::string> FrmFTP::remoteNames() {
    std::vector<std::string> names;
    for (const std::string& path : lstLocalFiles.items())
        names.push_back(app::GetFileName(services_.files, services_.shell, path));
    return net::uniqueRemoteNames(names);
}

void FrmFTP::lstLocalFiles_Click() {
    const int index = lstLocalFiles.listIndex();
    if (index < 0)
        return;
    // Shown as it will be stored: a second file of the same name gets "_2".
    txtRemoteFilename.setText(remoteNames()[static_cast<std::size_t>(index)]);
}

void FrmFTP::lstLocalFiles_MouseMove(int button, int, float x, float y) {
    if (button != 0)
        return;
    const auto perPixel = static_cast<float>(services_.ui.screen().twipsPerPixel());
    const int xPixels = static_cast<int>(std::lround(x / perPixel));
    const int yPixels = static_cast<int>(std::lround(y / perPixel));
    lstLocalFiles.setToolTip(
        ftptext::listToolTip(lstLocalFiles.items(), lstLocalFiles.itemFromPoint(xPixels, yPixels)));
}

void FrmFTP::selectLastEntry() {
    const int count = static_cast<int>(lstLocalFiles.items().size());
    // Through "none" first, so the selection event runs even when the last entry already
    // holds the selection (after removing the entry before it).
    lstLocalFiles.setListIndex(-1);
    lstLocalFiles.setListIndex(count - 1);
}

void FrmFTP::focusSink() {
    app::ignoreErrors([&] { focus(cmdHDDNFCS); });
}

void FrmFTP::cmdAdd_Click() {
    if (sessionRunning_)
        return;
    app::trap(services_.messageBox, "frmFTP - cmdAdd_Click", [&] {
        platform::OpenFileRequest request;
        request.filters = platform::parseFilterList("All files(*.*) | *.*");
        const std::optional<std::string> chosen = services_.fileDialogs.openFile(this, request);
        if (chosen && !chosen->empty())
            lstLocalFiles.addItem(*chosen);
        app::ignoreErrors([&] { selectLastEntry(); });
        focusSink();
    });
}

void FrmFTP::cmdRemove_Click() {
    if (sessionRunning_)
        return;
    app::trap(services_.messageBox, "frmFTP - cmdRemove_Click", [&] {
        const int index = lstLocalFiles.listIndex();
        if (index < 0)
            return;
        txtRemoteFilename.setText("");
        lstLocalFiles.removeItem(index);
        app::ignoreErrors([&] { selectLastEntry(); });
        focusSink();
    });
}

void FrmFTP::cmdClose_Click() {
    if (sessionRunning_)
        return;
    unload();
}

void FrmFTP::Form_QueryUnload(bool&) {
    if (job_) {
        // The session ends first: it reports to this window's controls. Its client deletes
        // what it stored of an unfinished file before it gives up.
        abortRequested_ = true;
        job_->abortAndWait();
    }
    // Stored at every closing, the texts as they stand; a write that fails is skipped.
    app::ignoreErrors([&] {
        app::ftpSettingsTable().save(store_,
                                     {.server = txtServer.text(),
                                      .user = txtUser.text(),
                                      .remoteDir = txtRemoteDir.text(),
                                      .passiveMode = chkPassiveMode.value() == 1,
                                      .password = txtPassword.text()},
                                     app::Written::AtClose);
    });
    mailOrFtpOpen_ = false;
}

void showFtpWindow(platform::Services& services, app::SettingsStore& store, ui::Form& owner,
                   bool& mailOrFtpOpen, const std::string& imageToAttach, ui::Form** openWindow) {
    FrmFTP window(services, store, mailOrFtpOpen, imageToAttach);
    ui::showModalAndUnload(window, owner, openWindow);
}

} // namespace pictorn
