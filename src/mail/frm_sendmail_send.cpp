// Send: checks the entries, composes the message and sends it on a worker thread while
// the window keeps painting and takes no other input; reports the outcome in a box.
#include "app/error_report.h"
#include "mail/frm_sendmail.h"
#include "mail/mail_charsets.h"
#include "mail/mail_text.h"
#include "platform/ui/ui_toolkit.h"
#include "text/box_text.h"

#include <ctime>
#include <optional>

namespace pictorn::mail {

namespace {

constexpr auto kInformation = platform::mb::kIconInformation;

std::string withoutBlanks(std::string text) {
    fnTrim(text, " ");
    return text;
}

std::string fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// Local time minus UTC, in minutes, as the system sees it now (daylight saving included).
int localUtcOffsetMinutes() {
    const std::time_t now = std::time(nullptr);
    const std::tm* localPart = std::localtime(&now);
    if (!localPart)
        return 0;
    const std::tm local = *localPart;
    const std::tm* utcPart = std::gmtime(&now);
    if (!utcPart)
        return 0;
    const std::tm utc = *utcPart;
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year)
        days = local.tm_year > utc.tm_year ? 1 : -1;
    return days * 24 * 60 + (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
}

// The failure text as the box shows it: broken into two lines after its first part, with a
// blank after the second semicolon. Our client already separates its parts with "; ", so
// the blanks that follow the two edited semicolons are dropped first: no line starts with
// a blank and no two blanks stand together.
std::string communicationsErrorText(std::string error) {
    for (std::size_t from = 0, edited = 0; edited < 2; ++edited) {
        const std::size_t semicolon = error.find(';', from);
        if (semicolon == std::string::npos)
            break;
        std::size_t end = semicolon + 1;
        while (end < error.size() && error[end] == ' ')
            ++end;
        error.erase(semicolon + 1, end - semicolon - 1);
        from = semicolon + 1;
    }
    std::string text = sReplace(error, ";", ".\r\n");
    return sReplace(text, ";", "; ");
}

} // namespace

void FrmSendmail::cmdSend_Click() {
    if (sending())
        return;
    bool sendingStarted = false;
    const bool completed = app::trap(services_.messageBox, "frmSendmail - cmdSend_Click", [&] {
        if (!entriesComplete())
            return;
        sendingStarted = true;
        cmdSend.setEnabled(false);
        lblStatus.setCaption(std::string(kSendingStatus));
        services_.ui.doEvents();
        const net::SmtpOptions options = serverOptions();
        const std::optional<net::MailMessage> message = composeMessage();
        if (message) {
            const net::SendResult result = sendInBackground(*message, options);
            if (!loaded())
                return; // closed meanwhile: the sending was aborted, nobody waits for a box
            if (!result.ok()) {
                services_.messageBox.show(
                    communicationsErrorText(text::shortenedForBox(result.errorText)),
                    platform::mb::kIconExclamation, "Communications error");
            } else {
                services_.messageBox.show("Message sent successfully!", kInformation,
                                          "Pictorn Mail");
            }
        }
        cmdSend.setEnabled(true);
        lblStatus.setCaption("");
    });
    // An unexpected failure must not leave the window claiming to send, with Send dead.
    if (!completed && sendingStarted && loaded()) {
        setInputEnabled(true);
        cmdSend.setEnabled(true);
        lblStatus.setCaption("");
    }
}

bool FrmSendmail::entriesComplete() {
    const std::string hint = addressFormHint();
    if (withoutBlanks(txtFrom.text()).empty()) {
        services_.messageBox.show("Please enter the From address.\r\n" + hint, kInformation,
                                  "Info required");
        return false;
    }
    if (withoutBlanks(txtTo.text()).empty() && withoutBlanks(txtCc.text()).empty()) {
        services_.messageBox.show("Please enter the To or Cc address.\r\n" + hint +
                                      "\r\nPlease use comma(,) to separate multiple addresses.",
                                  kInformation, "Info required");
        return false;
    }
    if (withoutBlanks(txtServer.text()).empty()) {
        services_.messageBox.show(
            "Please enter your SMTP (outgoing mail) server, provided by your ISP.", kInformation,
            "Info required");
        SSTab1.setCurrentTab(kTabServerSettings);
        app::ignoreErrors([&] {
            if (focus(txtServer) && visible() && txtServer.peer())
                txtServer.peer()->takeFocus();
        });
        return false;
    }
    if (txtSubject.text().empty()) {
        services_.messageBox.show("Please enter a subject, or enter a blank (space) if you "
                                  "really want no subject for your message.",
                                  kInformation, "Info required");
        return false;
    }
    return true;
}

net::SmtpOptions FrmSendmail::serverOptions() {
    net::SmtpOptions options;
    options.server = withoutBlanks(txtServer.text());
    if (!options.server.empty() && chkAuth.value() == 1) {
        options.authenticate = true;
        options.user = withoutBlanks(txtUser.text());
        options.password = withoutBlanks(txtPassword.text());
    }
    return options;
}

std::optional<net::MailMessage> FrmSendmail::composeMessage() {
    net::MailMessage message;
    fnParseAddr(withoutBlanks(txtFrom.text()), message.fromName, message.fromAddress);
    message.to = withoutBlanks(txtTo.text());
    message.cc = withoutBlanks(txtCc.text());
    const int charset = lstCharset.listIndex();
    message.charset = std::string(
        kMailCharsets[static_cast<std::size_t>(
                          charset >= 0 && charset < static_cast<int>(kMailCharsets.size())
                              ? charset
                              : kDefaultMailCharset)]
            .identifier);
    for (const std::string& path : attachments_) {
        std::optional<std::vector<std::uint8_t>> bytes = services_.files.readFile(path);
        if (!bytes) {
            // Sending without it would report success for a mail that lacks the file.
            services_.messageBox.show("The attachment could not be read, so nothing was sent:"
                                      "\r\n" +
                                          path,
                                      platform::mb::kIconExclamation, "Pictorn Mail");
            return std::nullopt;
        }
        message.attachments.push_back({fileNameOf(path), std::move(*bytes)});
    }
    message.subject = txtSubject.text();
    message.body = txtBody.text();
    message.mailer = std::string(kMailerName);
    message.date = services_.clock.now();
    message.utcOffsetMinutes = localUtcOffsetMinutes();
    return message;
}

net::SendResult FrmSendmail::sendInBackground(const net::MailMessage& message,
                                              const net::SmtpOptions& options) {
    setInputEnabled(false);
    // The worker gets its own copies: nothing it reads can go away while it runs.
    job_ = std::make_unique<ui::BackgroundJob<net::SendResult>>(
        services_.ui, [send = send_, message, options](const auto& job) {
            return send(message, options, [&job] { return job.aborted(); });
        });
    // Whatever happens below, the job is over (aborted if need be) when this returns.
    struct Release {
        std::unique_ptr<ui::BackgroundJob<net::SendResult>>& slot;
        ~Release() { slot.reset(); }
    } release{job_};
    // The window paints and its close box works meanwhile; every control is disabled.
    if (!job_->waitWhileOpen(*this))
        return {}; // closed meanwhile and the sending did not end in time: nobody waits
    if (loaded())
        setInputEnabled(true);
    return job_->result();
}

void FrmSendmail::setInputEnabled(bool enabled) {
    if (!enabled) {
        lockedControls_.clear();
        for (ui::Control* control : controls()) {
            if (dynamic_cast<ui::Label*>(control))
                continue;
            lockedControls_.emplace_back(control, control->enabled());
            control->setEnabled(false);
        }
        return;
    }
    for (auto& [control, wasEnabled] : lockedControls_)
        control->setEnabled(wasEnabled);
    lockedControls_.clear();
}

void FrmSendmail::abortSending() {
    if (!job_)
        return;
    // The result goes to the Send handler, which is still waiting further up.
    job_->abortAndWait();
}

} // namespace pictorn::mail
