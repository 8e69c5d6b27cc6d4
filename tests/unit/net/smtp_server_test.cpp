// The SMTP client against a real local server (aiosmtpd): what arrives is read back with
// Python's email package, as a mail program would read it.
#include "net/mail_check.h"
#include "net/smtp_client.h"
#include "platform/posix/iconv_charsets.h"
#include "platform/posix/posix_network.h"
#include "support/server_process.h"
#include "support/test_certificates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace pictorn::net {
namespace {

namespace fs = std::filesystem;
using test::ServerProcess;
using test::testScriptPath;

constexpr const char* kUser = "ann";
constexpr const char* kPassword = "pässwörd ✓";

std::string lf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != '\r') {
            out += c;
        }
    }
    return out;
}

class SmtpServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        certificates_ = new test::TestCertificates;
        certificates_->makeLocalhostAndOther(problem_);
    }
    static void TearDownTestSuite() {
        delete certificates_;
        certificates_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(problem_.empty()) << problem_;
        mails_ = fs::temp_directory_path() /
                 ("pictorn_smtp_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(mails_);
        fs::create_directories(mails_);
        message.fromName = "Ann Example";
        message.fromAddress = "ann@example.org";
        message.to = "Bob <bob@example.org>, \"Smith, John\" <js@example.org>";
        message.cc = "carl@example.org";
        message.subject = "Screenshot";
        message.body = "Hi Bob,\r\n\r\nHere's the screenshot.\r\n.\r\n..two dots\r\n-- \r\nAnn";
        message.date = {2026, 12, 7, 15, 0, 0};
        for (int i = 0; i < 5000; ++i) {
            picture.push_back(static_cast<std::uint8_t>(i * 31 % 256));
        }
        message.attachments = {{"Pictorn.png", picture}, {"notes.txt", {'.', '\r', '\n', '.'}}};
        options.replyTimeoutMs = 10'000;
        options.connectTimeoutMs = 10'000;
    }
    void TearDown() override {
        server_.reset();
        fs::remove_all(mails_);
    }

    // Starts the server; `certificate` empty for none.
    bool start(const std::string& certificate, std::vector<std::string> args) {
        args.insert(args.end(), {"--dir", mails_.string()});
        if (!certificate.empty()) {
            args.insert(args.end(), {"--cert", certificates_->certificateFile(certificate), "--key",
                                     certificates_->keyFile(certificate)});
        }
        server_ =
            std::make_unique<ServerProcess>(testScriptPath("net/servers/smtp_server.py"), args);
        EXPECT_TRUE(server_->started()) << server_->error();
        options.server = "localhost:" + std::to_string(server_->port());
        return server_->started();
    }
    std::vector<std::string> withAccount() { return {"--user", kUser, "--password", kPassword}; }
    void logIn() {
        options.authenticate = true;
        options.user = kUser;
        options.password = kPassword;
    }

    SendResult send(bool trustTestCertificate = true) {
        std::vector<std::string> trusted;
        if (trustTestCertificate) {
            trusted = {certificates_->certificateFile("localhost")};
        }
        platform::posix::PosixNetwork network(trusted);
        SmtpClient client(network, charsets);
        return client.send(message, options);
    }

    int mailCount() const {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(mails_)) {
            count += entry.path().extension() == ".eml";
        }
        return count;
    }
    mail_testing::ReadMail readMail(int number) const {
        return mail_testing::readMailFile((mails_ / (std::to_string(number) + ".eml")).string());
    }

    static inline test::TestCertificates* certificates_ = nullptr;
    static inline std::string problem_;
    fs::path mails_;
    std::unique_ptr<ServerProcess> server_;
    platform::posix::IconvCharsets charsets;
    MailMessage message;
    SmtpOptions options;
    std::vector<std::uint8_t> picture;
};

TEST_F(SmtpServerTest, StartTlsAndLoginDeliverEveryCharsetIntact) {
    ASSERT_TRUE(start("localhost", withAccount()));
    logIn();
    struct Case {
        const char* charset;
        const char* text;
        const char* arrivesAs;
    };
    const Case cases[] = {
        {"iso-8859-1", "Plain ASCII subject", "iso-8859-1"},
        {"Windows-1252", "Grüße € à Zoë", "windows-1252"},
        {"windows-1251", "Снимок экрана", "windows-1251"},
        {"koi8-r", "Снимок экрана", "koi8-r"},
        {"iso-8859-5", "Снимок экрана", "iso-8859-5"},
        {"iso-8859-7", "Στιγμιότυπο οθόνης", "iso-8859-7"},
        {"windows-1253", "Στιγμιότυπο οθόνης", "windows-1253"},
        {"gb2312", "屏幕截图", "gb2312"},
        {"GB18030", "屏幕截图", "gb18030"},
        {"hz-gb-2312", "屏幕截图", "hz-gb-2312"},
        {"big5", "螢幕截圖", "big5"},
        {"utf-8", "Снимок 屏幕 Στιγμή", "utf-8"},
        {"utf-7", "Снимок 屏幕 Στιγμή", "utf-7"},
        // Text the chosen charset cannot hold goes out as UTF-8, labelled so.
        {"iso-8859-1", "Снимок 屏幕 Στιγμή", "utf-8"},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.charset) + " " + c.text);
        message.charset = c.charset;
        message.subject = c.text;
        message.body = std::string("Hi,\r\n") + c.text + "\r\n.\r\n.dot first\r\nAnn";
        message.to = std::string("\"") + c.text + "\" <bob@example.org>, js@example.org";
        const SendResult result = send();
        ASSERT_TRUE(result.ok()) << result.errorText;
        const auto mail = readMail(++number);
        ASSERT_TRUE(mail.parsed);
        EXPECT_EQ(mail.field("subject"), c.text);
        EXPECT_EQ(lf(mail.field("body")), lf(message.body));
        EXPECT_EQ(mail.field("body-charset"), c.arrivesAs);
        EXPECT_EQ(mail.field("to-name"), c.text);
        EXPECT_EQ(mail.field("envelope-from"), "ann@example.org");
        EXPECT_EQ(
            mail.all("envelope-to"),
            (std::vector<std::string>{"bob@example.org", "js@example.org", "carl@example.org"}));
        ASSERT_EQ(mail.attachments.size(), 2u);
        EXPECT_EQ(mail.attachments[0].bytes, picture);
        EXPECT_EQ(mail.attachments[1].bytes, message.attachments[1].bytes);
    }
}

TEST_F(SmtpServerTest, ImplicitTlsDeliversFromTheFirstByte) {
    ASSERT_TRUE(start("localhost", {"--implicit-tls", "--user", kUser, "--password", kPassword}));
    logIn();
    options.implicitTls = true;
    message.attachments.push_back({"снимок экрана.png", picture});
    const SendResult result = send();
    ASSERT_TRUE(result.ok()) << result.errorText;
    const auto mail = readMail(1);
    EXPECT_EQ(mail.field("subject"), "Screenshot");
    EXPECT_EQ(lf(mail.field("body")), lf(message.body));
    EXPECT_EQ(mail.field("from-name"), "Ann Example");
    EXPECT_EQ(mail.field("cc-address"), "carl@example.org");
    ASSERT_EQ(mail.attachments.size(), 3u);
    EXPECT_EQ(mail.attachments[2].fileName, "снимок экрана.png");
    EXPECT_EQ(mail.attachments[2].bytes, picture);
}

TEST_F(SmtpServerTest, RefusalsAndCertificateProblemsFailTheSendWithTheReason) {
    ASSERT_TRUE(start("localhost", withAccount()));
    logIn();
    const std::string where = options.server;
    options.password = "wrong";
    EXPECT_EQ(send().errorText,
              "Authentication failed; " + where + "; 535 5.7.8 Authentication credentials invalid");

    logIn();
    const SendResult untrusted = send(false);
    EXPECT_FALSE(untrusted.ok());
    EXPECT_TRUE(untrusted.errorText.starts_with("STARTTLS failed; " + where + "; "))
        << untrusted.errorText;
    EXPECT_EQ(mailCount(), 0);

    ASSERT_TRUE(start("localhost", {"--reject", "js@example.org"}));
    options.authenticate = false;
    const SendResult refused = send();
    EXPECT_EQ(refused.errorText, "Recipient failed; " + options.server +
                                     "; 550 5.1.1 no such user here (js@example.org)");
    EXPECT_EQ(mailCount(), 0);
}

TEST_F(SmtpServerTest, ACertificateForAnotherHostIsRefused) {
    ASSERT_TRUE(start("other", {}));
    platform::posix::PosixNetwork network({certificates_->certificateFile("other")});
    SmtpClient client(network, charsets);
    const SendResult result = client.send(message, options);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.errorText.starts_with("STARTTLS failed; " + options.server + "; "))
        << result.errorText;
    EXPECT_EQ(mailCount(), 0);
}

TEST_F(SmtpServerTest, NoEncryptionOnOfferMeansNoPassword) {
    ASSERT_TRUE(start("", withAccount()));
    logIn();
    EXPECT_EQ(send().errorText, "Authentication failed; " + options.server +
                                    "; the server offers no encryption, so the password was "
                                    "not sent");
    // Without a password the mail may travel as it is.
    ASSERT_TRUE(start("", {}));
    options.authenticate = false;
    const SendResult result = send();
    ASSERT_TRUE(result.ok()) << result.errorText;
    EXPECT_EQ(readMail(1).field("subject"), "Screenshot");
}

TEST_F(SmtpServerTest, AServerThatNeverAnswersTimesOut) {
    ServerProcess silent(testScriptPath("net/servers/echo_server.py"), {"--silent"});
    ASSERT_TRUE(silent.started()) << silent.error();
    options.server = "127.0.0.1:" + std::to_string(silent.port());
    options.replyTimeoutMs = 700;
    const auto started = std::chrono::steady_clock::now();
    const SendResult result = send();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(result.errorText, "Greeting failed; " + options.server + "; no answer within 0.7 s");
    EXPECT_LT(took, std::chrono::seconds(5));
}

} // namespace
} // namespace pictorn::net
