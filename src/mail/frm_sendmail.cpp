// The mail window's make-up: design values, tab pages, the wiring of events to handlers,
// and the function that owns the window's lifetime.
#include "mail/frm_sendmail.h"

#include "app/error_report.h"
#include "mail/mail_charsets.h"

#include <tuple>

namespace pictorn::mail {

namespace {

std::string addressToolTip(std::string_view which) {
    return std::string(which) + " address: " + std::string(kExampleName) + " <" +
           std::string(kExampleAddress) + "> or " + std::string(kExampleAddress);
}

} // namespace

std::string addressFormHint() {
    return "Use either the form " + std::string(kExampleAddress) + " or " +
           std::string(kExampleName) + " <" + std::string(kExampleAddress) + ">.";
}

FrmSendmail::FrmSendmail(platform::Services& services, app::SettingsStore& store,
                         std::string imageToAttach, bool& mailOrFtpOpen, SendMail send)
    : ui::Form(services.ui, "frmSendmail"), services_(services), store_(store),
      imageToAttach_(std::move(imageToAttach)), mailOrFtpOpen_(mailOrFtpOpen),
      send_(std::move(send)) {
    if (!send_) {
        send_ = [&network = services.network, &charsets = services.charsets](
                    const net::MailMessage& message, const net::SmtpOptions& options,
                    const platform::AbortCheck& abort) {
            // A fresh client for each sending: nothing of one attempt reaches the next.
            net::SmtpClient client(network, charsets);
            return client.send(message, options, abort);
        };
    }
    setStyle({.templateId = IDD_SENDMAIL,
              .sizable = false,
              .showInTaskbar = false,
              .minMaxBoxes = false});
    setDesignState();
    pages_[kTabMessage] = {&lblFrom,        &txtFrom,        &lblTo,      &txtTo,       &lblCC,
                           &txtCc,          &lblSubkect,     &txtSubject, &lblEncoding, &lstCharset,
                           &lblAttachments, &txtAttachments, &cmdAdd,     &cmdClear,    &txtBody,
                           &cmdSend,        &lblStatus};
    pages_[kTabServerSettings] = {&frameServer, &lblServer,   &txtServer,   &chkAuth, &lblUser,
                                  &txtUser,     &lblPassword, &txtPassword, &cmdOk};
    wireHandlers();
    showCurrentTab();
}

FrmSendmail::~FrmSendmail() {
    // A window torn down without closing (the program ending) still stops its sending
    // before the controls it reports to go away.
    abortSending();
}

void FrmSendmail::setDesignState() {
    setCaption("Send mail");
    SSTab1.setTabs({"Message", "Server settings"});
    cmdClose.setCaption("Close");

    lblFrom.setCaption("From");
    lblTo.setCaption("To");
    lblCC.setCaption("Cc");
    for (auto [label, box, which] :
         {std::tuple{&lblFrom, &txtFrom, "From"}, std::tuple{&lblTo, &txtTo, "To"},
          std::tuple{&lblCC, &txtCc, "Cc"}}) {
        label->setToolTip(addressToolTip(which));
        box->setToolTip(addressToolTip(which));
    }
    lblSubkect.setCaption("Subject");
    txtSubject.setText("Screenshot");
    lblEncoding.setCaption("Encoding");
    lblAttachments.setCaption("Attachments");
    txtAttachments.setToolTip("Your screenshot is automatically attached");
    cmdAdd.setCaption("Add");
    cmdAdd.setToolTip("Add supplemental attachments");
    cmdClear.setCaption("Clear");
    cmdClear.setToolTip("Clear all attachments");
    txtBody.setFontName("Courier New");
    cmdSend.setCaption("Send");

    frameServer.setCaption("Server");
    lblServer.setCaption("SMTP Server");
    lblServer.setToolTip("SMTP (outgoing server)");
    txtServer.setToolTip("SMTP (outgoing server)");
    chkAuth.setCaption("My server requires user authentication");
    lblUser.setCaption("User");
    lblPassword.setCaption("Password");
    txtPassword.setPasswordChar('*');
    for (ui::TextBox* box : {&txtUser, &txtPassword}) {
        box->setEnabled(false);
        box->setBackColor(kSystemInactiveBorder);
    }
    cmdOk.setCaption("Ok");
}

void FrmSendmail::wireHandlers() {
    Load = [this] {
        Form_Load();
    };
    QueryUnload = [this](bool& cancel) {
        Form_QueryUnload(cancel);
    };
    SSTab1.Click = [this](int) {
        showCurrentTab();
    };
    cmdAdd.Click = [this] {
        cmdAdd_Click();
    };
    cmdClear.Click = [this] {
        cmdClear_Click();
    };
    chkAuth.Click = [this] {
        chkAuth_Click();
    };
    cmdOk.Click = [this] {
        cmdOk_Click();
    };
    cmdClose.Click = [this] {
        cmdClose_Click();
    };
    cmdSend.Click = [this] {
        cmdSend_Click();
    };
}

void FrmSendmail::showCurrentTab() {
    for (std::size_t tab = 0; tab < pages_.size(); ++tab)
        for (ui::Control* control : pages_[tab])
            control->setVisible(static_cast<int>(tab) == SSTab1.currentTab());
}

void FrmSendmail::focusSink() {
    app::ignoreErrors([&] {
        if (focus(cmdHDDNFCS) && visible() && cmdHDDNFCS.peer())
            cmdHDDNFCS.peer()->takeFocus();
    });
}

void showSendMail(platform::Services& services, app::SettingsStore& store, ui::Form& owner,
                  const std::string& imageToAttach, bool& mailOrFtpOpen, ui::Form** openWindow,
                  SendMail send) {
    FrmSendmail window(services, store, imageToAttach, mailOrFtpOpen, std::move(send));
    ui::showModalAndUnload(window, owner, openWindow);
}

} // namespace pictorn::mail
