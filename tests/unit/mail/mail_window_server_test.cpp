// The mail window with our SMTP client on real sockets: a local aiosmtpd server receives
// what the window sends, read back as a mail program reads it; a refused connection and a
// server that never answers.
#include "mail_window_fixture.h"
#include "net/mail_check.h"
#include "platform/posix/iconv_charsets.h"
#include "platform/posix/posix_network.h"
#include "support/server_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace pictorn::mail {
namespace {

namespace fs = std::filesystem;

class MailWindowServer : public testing::MailWindowTest {
protected:
    void SetUp() override {
        mails_ = fs::temp_directory_path() / ("pictorn_mailwin_" + std::to_string(getpid()));
        fs::remove_all(mails_);
        fs::create_directories(mails_);
    }
    void TearDown() override { fs::remove_all(mails_); }

    // Sends through our client over real sockets, as the program does.
    void useRealClient(int replyTimeoutMs = 10'000) {
        realSend_ = [this, replyTimeoutMs](const net::MailMessage& message,
                                           net::SmtpOptions options,
                                           const platform::AbortCheck& abort) {
            options.replyTimeoutMs = replyTimeoutMs;
            net::SmtpClient client(network_, charsets_);
            return client.send(message, options, abort);
        };
        sender = nullptr;
    }
    void openReal(const std::function<void(FrmSendmail&)>& user) {
        platform.ui.onModal("frmSendmail",
                            [&](ui::Form& form) { user(static_cast<FrmSendmail&>(form)); });
        showSendMail(platform.services, store, mainWindow, testing::kPicture, mailOrFtpOpen,
                     nullptr, realSend_);
    }

    fs::path mails_;
    platform::posix::PosixNetwork network_;
    platform::posix::IconvCharsets charsets_;
    SendMail realSend_;
};

TEST_F(MailWindowServer, WhatTheWindowSendsArrivesWithThePictureIntact) {
    test::ServerProcess server(test::testScriptPath("net/servers/smtp_server.py"),
                               {"--dir", mails_.string()});
    ASSERT_TRUE(server.started()) << server.error();
    std::string picture = "\x89PNG\r\n\x1A\n";
    for (int i = 0; i < 3000; ++i)
        picture += static_cast<char>(i * 7 % 256);
    platform.files.addFile(testing::kPicture, picture);
    useRealClient();
    openReal([&](FrmSendmail& w) {
        w.txtFrom.setText("Zoë Example <zoe@example.org>");
        w.txtCc.setText("carl@example.org");
        w.txtServer.setText("127.0.0.1:" + std::to_string(server.port()));
        w.lstCharset.setListIndex(27); // Western European(Windows)
        w.txtSubject.setText("Grüße");
        w.txtBody.setText("Hi Carl,\r\n.\r\nthe picture.");
        w.cmdSend.click();
    });
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_EQ(platform.messageBox.last().text, "Message sent successfully!");
    const auto mail = net::mail_testing::readMailFile((mails_ / "1.eml").string());
    ASSERT_TRUE(mail.parsed);
    EXPECT_EQ(mail.field("subject"), "Grüße");
    EXPECT_EQ(mail.field("from-name"), "Zoë Example");
    EXPECT_EQ(mail.field("from-address"), "zoe@example.org");
    EXPECT_EQ(mail.field("cc-address"), "carl@example.org");
    EXPECT_EQ(mail.field("x-mailer"), "Pictorn Mailer");
    EXPECT_EQ(mail.field("body-charset"), "windows-1252");
    EXPECT_EQ(mail.field("body"), "Hi Carl,\r\n.\r\nthe picture.");
    EXPECT_EQ(mail.field("envelope-to"), "carl@example.org");
    ASSERT_EQ(mail.attachments.size(), 1u);
    EXPECT_EQ(mail.attachments[0].fileName, "Pictorn.png");
    EXPECT_EQ(mail.attachments[0].contentType, "image/png");
    EXPECT_EQ(std::string(mail.attachments[0].bytes.begin(), mail.attachments[0].bytes.end()),
              picture);
}

TEST_F(MailWindowServer, ARefusedConnectionIsACommunicationsError) {
    std::unique_ptr<platform::Listener> listener;
    ASSERT_TRUE(network_.listen(listener, "127.0.0.1").ok());
    const std::uint16_t port = listener->address().port;
    listener.reset(); // nobody listens there any more
    useRealClient();
    openReal([&](FrmSendmail& w) {
        w.txtFrom.setText("ann@example.org");
        w.txtTo.setText("bob@example.org");
        w.txtServer.setText("127.0.0.1:" + std::to_string(port));
        w.cmdSend.click();
        EXPECT_TRUE(w.cmdSend.enabled());
    });
    ASSERT_EQ(platform.messageBox.shown.size(), 1u);
    EXPECT_EQ(platform.messageBox.last().title, "Communications error");
    EXPECT_NE(platform.messageBox.last().text.find(".\r\n"), std::string::npos)
        << platform.messageBox.last().text;
    EXPECT_NE(platform.messageBox.last().text.find("refused"), std::string::npos)
        << platform.messageBox.last().text;
}

TEST_F(MailWindowServer, ClosingWhileASilentServerKeepsTheWindowWaitingEndsAtOnce) {
    // A listener that never accepts: the connection is made, the greeting never comes.
    std::unique_ptr<platform::Listener> silent;
    ASSERT_TRUE(network_.listen(silent, "127.0.0.1").ok());
    useRealClient(60'000);
    std::chrono::steady_clock::time_point closed;
    openReal([&](FrmSendmail& w) {
        w.txtFrom.setText("ann@example.org");
        w.txtTo.setText("bob@example.org");
        w.txtServer.setText("127.0.0.1:" + std::to_string(silent->address().port));
        const auto started = std::chrono::steady_clock::now();
        platform.ui.onWait = [&](int) {
            // Let the client reach its wait for the greeting, then press the close box.
            if (w.loaded() &&
                std::chrono::steady_clock::now() - started > std::chrono::milliseconds(300)) {
                closed = std::chrono::steady_clock::now();
                w.unload();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        };
        w.cmdSend.click();
        platform.ui.onWait = nullptr;
    });
    const auto afterClose = std::chrono::steady_clock::now() - closed;
    EXPECT_LT(afterClose, std::chrono::seconds(5)) << "the sending did not stop when closed";
    EXPECT_TRUE(platform.messageBox.shown.empty());
    EXPECT_FALSE(mailOrFtpOpen);
}

} // namespace
} // namespace pictorn::mail
