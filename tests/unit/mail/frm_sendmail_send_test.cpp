// Send: the four checks, what reaches the SMTP client, the result boxes, and the window
// while a sending runs on its worker thread.
#include "mail_window_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace pictorn::mail {
namespace {

using testing::kPicture;
namespace mb = platform::mb;

class MailSend : public testing::MailWindowTest {
protected:
    // A window with every entry a sending needs.
    void fillIn(FrmSendmail& w) {
        w.txtFrom.setText("ann@example.org");
        w.txtTo.setText("bob@example.org");
        w.txtServer.setText("mail.example.org");
        w.txtSubject.setText("Screenshot");
    }
};

TEST_F(MailSend, MissingEntriesAreAskedForInOrderAndNothingIsSent) {
    const std::string hint =
        "Use either the form john.smith@example.com or John Smith <john.smith@example.com>.";
    struct Case {
        std::function<void(FrmSendmail&)> spoil;
        std::string text;
    } cases[] = {
        {[](FrmSendmail& w) { w.txtFrom.setText("   "); },
         "Please enter the From address.\r\n" + hint},
        {[](FrmSendmail& w) {
             w.txtTo.setText(" ");
             w.txtCc.setText("");
         },
         "Please enter the To or Cc address.\r\n" + hint +
             "\r\nPlease use comma(,) to separate multiple addresses."},
        {[](FrmSendmail& w) { w.txtServer.setText("  "); },
         "Please enter your SMTP (outgoing mail) server, provided by your ISP."},
        {[](FrmSendmail& w) { w.txtSubject.setText(""); },
         "Please enter a subject, or enter a blank (space) if you really want no subject for "
         "your message."},
    };
    for (const Case& c : cases) {
        platform.messageBox.shown.clear();
        open([&](FrmSendmail& w) {
            fillIn(w);
            w.SSTab1.setCurrentTab(FrmSendmail::kTabMessage);
            c.spoil(w);
            w.cmdSend.click();
            EXPECT_TRUE(w.cmdSend.enabled());
            EXPECT_EQ(w.lblStatus.caption(), "");
            if (w.txtServer.text() == "  ") {
                EXPECT_EQ(w.SSTab1.currentTab(), FrmSendmail::kTabServerSettings);
                EXPECT_EQ(w.focused(), &w.txtServer);
            } else {
                EXPECT_EQ(w.SSTab1.currentTab(), FrmSendmail::kTabMessage);
            }
        });
        ASSERT_EQ(platform.messageBox.shown.size(), 1u) << c.text;
        EXPECT_EQ(platform.messageBox.last().text, c.text);
        EXPECT_EQ(platform.messageBox.last().flags, mb::kIconInformation);
        EXPECT_EQ(platform.messageBox.last().title, "Info required");
    }
    EXPECT_TRUE(sent.empty());
}

TEST_F(MailSend, TheEntriesReachTheClientTrimmedWhereTheyShouldBe) {
    platform.files.addFile("C:\\docs\\notes.txt", "notes");
    platform.fileDialogs.openAnswers = {"C:\\docs\\notes.txt"};
    open([&](FrmSendmail& w) {
        w.txtFrom.setText("  \"Ann Example\" <ann@example.org> ");
        w.txtTo.setText("");
        w.txtCc.setText(" carl@example.org, dan@example.org ");
        w.txtServer.setText(" mail.example.org:2525 ");
        w.chkAuth.click();
        w.txtUser.setText(" ann ");
        w.txtPassword.setText(" pw ");
        w.SSTab1.userSelect(FrmSendmail::kTabMessage);
        w.lstCharset.pick(24);
        w.txtSubject.setText(" ");
        w.txtBody.setText("  body as typed ");
        w.cmdAdd.click();
        w.cmdSend.click();
        EXPECT_TRUE(w.cmdSend.enabled());
        EXPECT_EQ(w.lblStatus.caption(), "");
    });
    ASSERT_EQ(sent.size(), 1u);
    const net::MailMessage& m = sent[0].message;
    EXPECT_EQ(m.fromName, "Ann Example");
    EXPECT_EQ(m.fromAddress, "ann@example.org");
    EXPECT_EQ(m.to, "");
    EXPECT_EQ(m.cc, "carl@example.org, dan@example.org");
    EXPECT_EQ(m.charset, "utf-8");
    EXPECT_EQ(m.subject, " ");
    EXPECT_EQ(m.body, "  body as typed ");
    EXPECT_EQ(m.mailer, "Pictorn Mailer");
    ASSERT_EQ(m.attachments.size(), 2u);
    EXPECT_EQ(m.attachments[0].fileName, "Pictorn.png");
    EXPECT_EQ(std::string(m.attachments[0].bytes.begin(), m.attachments[0].bytes.end()),
              "\x89PNG picture bytes");
    EXPECT_EQ(m.attachments[1].fileName, "notes.txt");
    const net::SmtpOptions& o = sent[0].options;
    EXPECT_EQ(o.server, "mail.example.org:2525");
    EXPECT_TRUE(o.authenticate);
    EXPECT_EQ(o.user, "ann");
    EXPECT_EQ(o.password, "pw");
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_EQ(platform.messageBox.last().text, "Message sent successfully!");
    EXPECT_EQ(platform.messageBox.last().flags, mb::kIconInformation);
    EXPECT_EQ(platform.messageBox.last().title, "Pictorn Mail");
}

TEST_F(MailSend, WithoutAuthenticationNoAccountIsPassedAndAClearedListSendsNoFiles) {
    open([&](FrmSendmail& w) {
        fillIn(w);
        w.chkAuth.click();
        w.txtUser.setText("ann");
        w.txtPassword.setText("pw");
        w.chkAuth.click();
        w.cmdClear.click();
        w.cmdSend.click();
        w.cmdSend.click(); // the window stays open: a second sending works the same
    });
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_FALSE(sent[0].options.authenticate);
    EXPECT_EQ(sent[0].options.user, "");
    EXPECT_EQ(sent[0].options.password, "");
    EXPECT_TRUE(sent[0].message.attachments.empty());
    EXPECT_EQ(sent[0].message.charset, "iso-8859-1");
}

TEST_F(MailSend, AFailureShowsTheErrorTextBrokenAfterItsFirstPart) {
    const std::pair<std::string, std::string> texts[] = {
        {"Connection lost", "Connection lost"},
        {"Connect failed;127.0.0.1:25", "Connect failed.\r\n127.0.0.1:25"},
        // Our client's parts are separated by "; ": one blank, never at a line's start.
        {"Connect failed; 127.0.0.1:25; connection refused",
         "Connect failed.\r\n127.0.0.1:25; connection refused"},
        {"Recipient refused; h:25; 550 5.1.1 no; such user",
         "Recipient refused.\r\nh:25; 550 5.1.1 no; such user"},
        {"a;b;c;d", "a.\r\nb; c;d"},
    };
    for (const auto& [error, shown] : texts) {
        result = {net::SessionStatus::Refused, error, ""};
        platform.messageBox.shown.clear();
        open([&](FrmSendmail& w) {
            fillIn(w);
            w.cmdSend.click();
            EXPECT_TRUE(w.cmdSend.enabled());
            EXPECT_EQ(w.lblStatus.caption(), "");
            EXPECT_EQ(w.txtFrom.text(), "ann@example.org"); // entries stay as they were
        });
        ASSERT_EQ(platform.messageBox.shown.size(), 1u);
        EXPECT_EQ(platform.messageBox.last().text, shown);
        EXPECT_EQ(platform.messageBox.last().flags, mb::kIconExclamation);
        EXPECT_EQ(platform.messageBox.last().title, "Communications error");
    }
    // A reply of 40 KiB would make a box taller than the screen: its middle gives way.
    result = {net::SessionStatus::Refused,
              "Recipient failed; h:25; 550 " + std::string(40 * 1024, 'x') + " (b@x.org)", ""};
    open([&](FrmSendmail& w) {
        fillIn(w);
        w.cmdSend.click();
    });
    const std::string& shown = platform.messageBox.last().text;
    EXPECT_LE(shown.size(), 310u);
    EXPECT_TRUE(shown.starts_with("Recipient failed.\r\nh:25; 550 xxx")) << shown;
    EXPECT_TRUE(shown.ends_with("xxx (b@x.org)")) << shown;
    EXPECT_NE(shown.find("x...x"), std::string::npos);
}

TEST_F(MailSend, WhileSendingTheWindowPaintsButTakesNoInput) {
    std::atomic<bool> release{false};
    sender = [&](const platform::AbortCheck&) {
        while (!release.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return net::SendResult{net::SessionStatus::Ok, "", "iso-8859-1"};
    };
    int waits = 0;
    open([&](FrmSendmail& w) {
        fillIn(w);
        platform.ui.onWait = [&](int) {
            if (++waits > 1)
                return;
            EXPECT_TRUE(w.sending());
            EXPECT_EQ(w.lblStatus.caption(), "Sending email, please wait...");
            for (ui::Control* c : w.controls()) {
                if (!dynamic_cast<ui::Label*>(c)) {
                    EXPECT_FALSE(c->enabled()) << c->name();
                }
            }
            // A click that reaches the window meanwhile starts nothing.
            w.cmdSend.performClick();
            release = true;
        };
        w.cmdSend.click();
        platform.ui.onWait = nullptr;
        EXPECT_FALSE(w.sending());
        EXPECT_TRUE(w.cmdSend.enabled());
        EXPECT_TRUE(w.txtFrom.enabled());
        EXPECT_TRUE(w.SSTab1.enabled());
        EXPECT_FALSE(w.txtUser.enabled()) << "disabled before the sending, disabled after";
    });
    EXPECT_GE(waits, 1);
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(platform.messageBox.shown.size(), 1u);
}

TEST_F(MailSend, ClosingDuringASendingAbortsItAndStillStoresTheFields) {
    std::atomic<bool> sawAbort{false};
    sender = [&](const platform::AbortCheck& abort) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!abort() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawAbort = abort();
        return net::SendResult{net::SessionStatus::Aborted, "Aborted; mail.example.org:25", ""};
    };
    open([&](FrmSendmail& w) {
        fillIn(w);
        platform.ui.onWait = [&](int) {
            if (w.loaded())
                w.unload(); // the close box
        };
        w.cmdSend.click();
        platform.ui.onWait = nullptr;
        EXPECT_FALSE(w.loaded());
    });
    EXPECT_TRUE(sawAbort);
    EXPECT_TRUE(platform.messageBox.shown.empty()) << platform.messageBox.last().text;
    EXPECT_EQ(stored("MailFrom"), "ann@example.org");
    EXPECT_FALSE(mailOrFtpOpen);
}

TEST_F(MailSend, AnUnreadableAttachmentStopsTheSendingWithAMessage) {
    open([&](FrmSendmail& w) {
        fillIn(w);
        platform.files.remove(kPicture);
        w.cmdSend.click();
        EXPECT_TRUE(w.cmdSend.enabled());
        EXPECT_EQ(w.lblStatus.caption(), "");
    });
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_NE(platform.messageBox.last().text.find(kPicture), std::string::npos);
    EXPECT_EQ(platform.messageBox.last().flags, mb::kIconExclamation);
}

TEST_F(MailSend, AnUnexpectedFailureIsReportedAndSendWorksAgain) {
    sender = [](const platform::AbortCheck&) -> net::SendResult {
        throw AppError(429, "ActiveX component can't create object");
    };
    open([&](FrmSendmail& w) {
        fillIn(w);
        w.cmdSend.click();
        EXPECT_TRUE(w.cmdSend.enabled());
        EXPECT_TRUE(w.txtTo.enabled());
        EXPECT_EQ(w.lblStatus.caption(), "");
    });
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_NE(platform.messageBox.last().text.find("frmSendmail - cmdSend_Click"),
              std::string::npos);
}

} // namespace
} // namespace pictorn::mail
