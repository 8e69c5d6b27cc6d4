// Opening the mail window, its buttons other than Send, and closing it.
#include "app/app_data.h"
#include "app/conversions.h"
#include "app/error_report.h"
#include "app/global_routines.h"
#include "app/mail_ftp_settings.h"
#include "mail/body_template.h"
#include "mail/frm_sendmail.h"
#include "mail/mail_charsets.h"

namespace pictorn::mail {

namespace {

// The part after the last backslash; the whole text when there is none.
std::string fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

constexpr std::string_view kAllFilesFilter = "All files(*.*) | *.*";

} // namespace

void FrmSendmail::Form_Load() {
    mailOrFtpOpen_ = true;
    // Unreadable settings give their defaults, without a message.
    const app::MailSettings settings = app::mailSettingsTable().load(store_);
    app::ignoreErrors([&] {
        txtFrom.setText(settings.from);
        txtTo.setText(settings.to);
        txtCc.setText(settings.cc);
        txtSubject.setText(settings.subject);
    });
    app::ignoreErrors([&] { txtServer.setText(settings.server); });
    // Checking the box enables the user and password boxes, as a click would.
    app::ignoreErrors([&] { chkAuth.setValue(settings.authenticate ? 1 : 0); });
    if (chkAuth.checked()) {
        app::ignoreErrors([&] { txtUser.setText(settings.user); });
        app::ignoreErrors([&] { txtPassword.setText(settings.password); });
    }
    app::ignoreErrors(
        [&] { SSTab1.setCurrentTab(txtServer.text().empty() ? kTabServerSettings : kTabMessage); });
    app::trap(services_.messageBox, "frmSendmail - Form_Load", [&] {
        lstCharset.clear();
        for (const MailCharset& charset : kMailCharsets)
            lstCharset.addItem(std::string(charset.displayName));
        lstCharset.setListIndex(kDefaultMailCharset);
        attachments_.clear();
        lblStatus.setCaption("");
        loadBodyText();
        attachPicture();
    });
}

std::string FrmSendmail::bodyTemplatePath() {
    return app::AppDataFolder(services_.files, services_.shell, services_.shell.programFolder()) +
           std::string(kBodyTemplateName);
}

void FrmSendmail::loadBodyText() {
    app::trap(services_.messageBox, "frmSendmail - loadBodyText", [&] {
        const std::string path = bodyTemplatePath();
        if (!app::FileExists(services_.files, path)) {
            txtBody.setText(std::string(kDefaultBody));
            return;
        }
        txtBody.setText("");
        const auto bytes = services_.files.readFile(path);
        if (!bytes)
            throw AppError(errors::kPathNotFound, "Could not read " + path);
        const std::string text = bodyFromFileBytes(*bytes);
        txtBody.setText(text.empty() ? std::string(kDefaultBody) : text);
    });
}

void FrmSendmail::appendAttachment(const std::string& path) {
    attachments_.push_back(path);
    txtAttachments.setText(txtAttachments.text() + fileNameOf(path) + "; ");
}

void FrmSendmail::attachPicture() {
    app::trap(services_.messageBox, "frmSendmail - attachPicture", [&] {
        if (!imageToAttach_.empty())
            appendAttachment(imageToAttach_);
    });
}

void FrmSendmail::cmdAdd_Click() {
    app::trap(services_.messageBox, "frmSendmail - cmdAdd_Click", [&] {
        platform::OpenFileRequest request;
        request.filters = platform::parseFilterList(kAllFilesFilter);
        // The classic filter text has blanks around the bar; the patterns must not.
        for (platform::FileFilter& filter : request.filters)
            filter.pattern = app::trim(filter.pattern);
        const std::optional<std::string> chosen = services_.fileDialogs.openFile(this, request);
        if (chosen && !chosen->empty())
            appendAttachment(*chosen);
    });
    focusSink();
}

void FrmSendmail::cmdClear_Click() {
    app::trap(services_.messageBox, "frmSendmail - cmdClear_Click", [&] {
        attachments_.clear();
        txtAttachments.setText("");
    });
    focusSink();
}

void FrmSendmail::chkAuth_Click() {
    const bool on = chkAuth.value() == 1;
    for (ui::TextBox* box : {&txtUser, &txtPassword}) {
        box->setEnabled(on);
        box->setBackColor(on ? kSystemWindowBackground : kSystemInactiveBorder);
    }
}

void FrmSendmail::cmdOk_Click() {
    SSTab1.setCurrentTab(kTabMessage);
}

void FrmSendmail::cmdClose_Click() {
    unload();
}

void FrmSendmail::Form_QueryUnload(bool&) {
    // A sending still running ends first: it reports to this window's controls.
    abortSending();
    app::ignoreErrors([&] {
        app::mailSettingsTable().save(store_,
                                      {.from = txtFrom.text(),
                                       .to = txtTo.text(),
                                       .cc = txtCc.text(),
                                       .subject = txtSubject.text(),
                                       .server = txtServer.text(),
                                       .authenticate = chkAuth.value() == 1,
                                       .user = txtUser.text(),
                                       .password = txtPassword.text()},
                                      app::Written::AtClose);
    });
    app::trap(services_.messageBox, "frmSendmail - Form_QueryUnload", [&] {
        // The body exactly as it stands: no line break is added, so the template does not
        // grow at each opening and closing.
        const std::string& body = txtBody.text();
        const std::string path = bodyTemplatePath();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(body.data());
        if (const std::uint32_t code =
                services_.files.writeFileReplacing(path, std::span(bytes, body.size())))
            throw AppError(errors::kPathNotFound, "Could not write " + path + ": " +
                                                      services_.files.systemErrorText(code));
    });
    mailOrFtpOpen_ = false;
}

} // namespace pictorn::mail
