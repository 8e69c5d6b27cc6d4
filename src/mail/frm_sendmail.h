#pragma once
// The mail window "Send mail": composes a message with the current picture attached and
// sends it through the SMTP server the user names. Filled from the settings store when it
// opens; stores the fields and the body template when it closes. Modal over the main
// window; the window exists only while it is shown.
#include "app/settings.h"
#include "net/mail_message.h"
#include "net/smtp_client.h"
#include "platform/services.h"
#include "platform/ui/background_job.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "resource_ids.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictorn::mail {

// Hands one message to an SMTP client; returns when the attempt is over (sent, refused,
// timed out or aborted). Runs on the sending worker thread.
using SendMail = std::function<net::SendResult(const net::MailMessage&, const net::SmtpOptions&,
                                               const platform::AbortCheck&)>;

// The example addresses of the tooltips and the address hint.
inline constexpr std::string_view kExampleName = "John Smith";
inline constexpr std::string_view kExampleAddress = "john.smith@example.com";
inline constexpr std::string_view kMailerName = "Pictorn Mailer";
inline constexpr std::string_view kSendingStatus = "Sending email, please wait...";

// Windows system colours as the classic forms name them.
inline constexpr std::uint32_t kSystemWindowBackground = ui::systemColor(5);
inline constexpr std::uint32_t kSystemInactiveBorder = ui::systemColor(11);

class FrmSendmail : public ui::Form {
public:
    enum Tab { kTabMessage = 0, kTabServerSettings = 1 };

    // `imageToAttach` is the picture file (may be empty); `mailOrFtpOpen` is set while the
    // window is open. Without `send`, messages go through our SMTP client over the
    // services' network.
    FrmSendmail(platform::Services& services, app::SettingsStore& store, std::string imageToAttach,
                bool& mailOrFtpOpen, SendMail send = {});
    ~FrmSendmail() override;

    ui::Button cmdClose{this, "cmdClose", IDC_MAIL_CLOSE};
    ui::Button cmdHDDNFCS{this, "cmdHDDNFCS", IDC_MAIL_FOCUSSINK};
    ui::TabStrip SSTab1{this, "SSTab1", IDC_MAIL_TAB};

    // Tab "Message".
    ui::Label lblFrom{this, "lblFrom", IDC_MAIL_LBL_FROM};
    ui::TextBox txtFrom{this, "txtFrom", IDC_MAIL_FROM};
    ui::Label lblTo{this, "lblTo", IDC_MAIL_LBL_TO};
    ui::TextBox txtTo{this, "txtTo", IDC_MAIL_TO};
    ui::Label lblCC{this, "lblCC", IDC_MAIL_LBL_CC};
    ui::TextBox txtCc{this, "txtCc", IDC_MAIL_CC};
    ui::Label lblSubkect{this, "lblSubkect", IDC_MAIL_LBL_SUBJECT};
    ui::TextBox txtSubject{this, "txtSubject", IDC_MAIL_SUBJECT};
    ui::Label lblEncoding{this, "lblEncoding", IDC_MAIL_LBL_ENCODING};
    ui::ComboBox lstCharset{this, "lstCharset", IDC_MAIL_CHARSET};
    ui::Label lblAttachments{this, "lblAttachments", IDC_MAIL_LBL_ATTACHMENTS};
    ui::TextBox txtAttachments{this, "txtAttachments", IDC_MAIL_ATTACHMENTS};
    ui::Button cmdAdd{this, "cmdAdd", IDC_MAIL_ADD};
    ui::Button cmdClear{this, "cmdClear", IDC_MAIL_CLEAR};
    ui::TextBox txtBody{this, "txtBody", IDC_MAIL_BODY};
    ui::Button cmdSend{this, "cmdSend", IDC_MAIL_SEND};
    ui::Label lblStatus{this, "lblStatus", IDC_MAIL_STATUS};

    // Tab "Server settings".
    ui::Label frameServer{this, "frameServer", IDC_MAIL_FRAME_SERVER};
    ui::Label lblServer{this, "lblServer", IDC_MAIL_LBL_SERVER};
    ui::TextBox txtServer{this, "txtServer", IDC_MAIL_SERVER};
    ui::CheckBox chkAuth{this, "chkAuth", IDC_MAIL_AUTH};
    ui::Label lblUser{this, "lblUser", IDC_MAIL_LBL_USER};
    ui::TextBox txtUser{this, "txtUser", IDC_MAIL_USER};
    ui::Label lblPassword{this, "lblPassword", IDC_MAIL_LBL_PASSWORD};
    ui::TextBox txtPassword{this, "txtPassword", IDC_MAIL_PASSWORD};
    ui::Button cmdOk{this, "cmdOk", IDC_MAIL_OK};

    // Full paths of the files to send, the picture first.
    const std::vector<std::string>& attachments() const { return attachments_; }
    // Whether a sending runs now.
    bool sending() const { return job_ != nullptr; }
    // The controls of a tab page, shown only while that tab is in front.
    const std::vector<ui::Control*>& page(int tab) const {
        return pages_.at(static_cast<std::size_t>(tab));
    }

    void loadBodyText();
    void attachPicture();

private:
    void setDesignState();
    void wireHandlers();
    void showCurrentTab();
    void focusSink();
    std::string bodyTemplatePath();
    void appendAttachment(const std::string& path);

    // Opening, the buttons and closing (frm_sendmail_session.cpp).
    void Form_Load();
    void cmdAdd_Click();
    void cmdClear_Click();
    void chkAuth_Click();
    void cmdOk_Click();
    void cmdClose_Click();
    void Form_QueryUnload(bool& cancel);

    // Sending (frm_sendmail_send.cpp).
    void cmdSend_Click();
    bool entriesComplete();
    std::optional<net::MailMessage> composeMessage();
    net::SmtpOptions serverOptions();
    net::SendResult sendInBackground(const net::MailMessage& message,
                                     const net::SmtpOptions& options);
    void setInputEnabled(bool enabled);
    void abortSending();

    platform::Services& services_;
    app::SettingsStore& store_;
    std::string imageToAttach_;
    bool& mailOrFtpOpen_;
    SendMail send_;
    std::vector<std::string> attachments_;
    std::array<std::vector<ui::Control*>, 2> pages_;
    std::unique_ptr<ui::BackgroundJob<net::SendResult>> job_;
    // The enabled state of each control while a sending holds the window's input.
    std::vector<std::pair<ui::Control*, bool>> lockedControls_;
};

// The main window's "Send Image with Email" after the picture is saved: shows the window
// modally over `owner` and unloads it afterwards. While it is up, `openWindow` (when given)
// points at it, so that closing the main window can close it first.
void showSendMail(platform::Services& services, app::SettingsStore& store, ui::Form& owner,
                  const std::string& imageToAttach, bool& mailOrFtpOpen,
                  ui::Form** openWindow = nullptr, SendMail send = {});

// The hint of the address messages: "Use either the form a@b or Name <a@b>."
std::string addressFormHint();

} // namespace pictorn::mail
