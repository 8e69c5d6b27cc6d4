// The SMTP dialogue against scripted replies: which commands go out in which order, and
// what the user is told when a step fails.
#include "net/scripted_smtp.h"
#include "net/smtp_client.h"
#include "platform/posix/iconv_charsets.h"

#include <gtest/gtest.h>

namespace pictorn::net {
namespace {

using mail_testing::Script;
using mail_testing::ScriptedNetwork;
using platform::AbortCheck;
using platform::NetStatus;

constexpr const char* kGreeting = "220 mail.example.org ESMTP\r\n";
constexpr const char* kEhloTlsAuth = "250-mail.example.org\r\n250-STARTTLS\r\n"
                                     "250 AUTH LOGIN PLAIN\r\n";
constexpr const char* kEhloAuth = "250-mail.example.org\r\n250 AUTH=PLAIN LOGIN\r\n";
constexpr const char* kOk = "250 OK\r\n";

class SmtpDialogueTest : public ::testing::Test {
protected:
    SmtpDialogueTest() {
        message.fromName = "Ann";
        message.fromAddress = "ann@example.org";
        message.to = "Bob <bob@example.org>, \"Smith, John\" <js@example.org>";
        message.cc = "carl@example.org";
        message.subject = "Screenshot";
        message.body = "Hi\r\n.dot line\r\n";
        options.server = "mail.example.org";
    }

    SendResult send() {
        SmtpClient client(network, charsets);
        return client.send(message, options, abort,
                           [this](const SendProgress& p) { stages.push_back(p.stage); });
    }

    // The replies of a whole successful mail after the EHLO, for three recipients.
    static std::deque<std::string> tail() {
        return {kOk, kOk, kOk, kOk, "354 go ahead\r\n", "250 queued as 1\r\n", "221 bye\r\n"};
    }

    platform::posix::IconvCharsets charsets;
    ScriptedNetwork network;
    MailMessage message;
    SmtpOptions options;
    AbortCheck abort;
    std::vector<SendStage> stages;
};

TEST_F(SmtpDialogueTest, StartTlsThenAuthPlainThenOneRcptPerAddress) {
    Script& script = network.scripts[587];
    script.replies = {kGreeting, kEhloTlsAuth, "220 ready\r\n", kEhloTlsAuth, "235 ok\r\n"};
    for (auto& reply : tail()) {
        script.replies.push_back(reply);
    }
    script.chunk = 7; // replies arrive in small pieces
    options.authenticate = true;
    options.user = "ann";
    options.password = "pässword";

    const SendResult result = send();
    ASSERT_TRUE(result.ok()) << result.errorText;
    const std::string& w = script.written;
    const std::string expectedStart =
        "EHLO [127.0.0.1]\r\nSTARTTLS\r\n<TLS mail.example.org>EHLO [127.0.0.1]\r\n"
        "AUTH PLAIN AGFubgBww6Rzc3dvcmQ=\r\nMAIL FROM:<ann@example.org>\r\n"
        "RCPT TO:<bob@example.org>\r\nRCPT TO:<js@example.org>\r\nRCPT TO:<carl@example.org>\r\n"
        "DATA\r\n";
    EXPECT_EQ(w.substr(0, expectedStart.size()), expectedStart);
    EXPECT_NE(w.find("\r\n..dot line\r\n"), std::string::npos);
    EXPECT_TRUE(w.ends_with("\r\n.\r\nQUIT\r\n"));
    EXPECT_TRUE(script.closed);
    EXPECT_EQ(network.attempts, std::vector<std::string>{"mail.example.org:587"});
    EXPECT_EQ(stages.front(), SendStage::Connecting);
    EXPECT_NE(std::find(stages.begin(), stages.end(), SendStage::Authenticating), stages.end());
}

TEST_F(SmtpDialogueTest, NoPortFallsBackTo25OnlyWhen587Refuses) {
    Script& script = network.scripts[25];
    script.replies = {kGreeting, "250 relay\r\n"};
    for (auto& reply : tail()) {
        script.replies.push_back(reply);
    }
    const SendResult result = send();
    ASSERT_TRUE(result.ok()) << result.errorText;
    EXPECT_EQ(network.attempts,
              (std::vector<std::string>{"mail.example.org:587", "mail.example.org:25"}));
    // Without STARTTLS on offer and without a password, the mail goes out as it is.
    EXPECT_EQ(script.written.find("STARTTLS"), std::string::npos);

    // With a port given there is no second try.
    network.attempts.clear();
    options.server = "mail.example.org:2525";
    EXPECT_EQ(send().errorText, "Connect failed; mail.example.org:2525; connection refused");
    EXPECT_EQ(network.attempts, std::vector<std::string>{"mail.example.org:2525"});
}

TEST_F(SmtpDialogueTest, Port465SpeaksTlsFromTheFirstByteAndLogsInWithLogin) {
    options.server = "[::1]:465";
    options.authenticate = true;
    options.user = "ann";
    options.password = "secret";
    Script& script = network.scripts[465];
    script.replies = {kGreeting, "250-x\r\n250 AUTH LOGIN\r\n", "334 VXNlcm5hbWU6\r\n",
                      "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n"};
    for (auto& reply : tail()) {
        script.replies.push_back(reply);
    }
    const SendResult result = send();
    ASSERT_TRUE(result.ok()) << result.errorText;
    EXPECT_TRUE(script.written.starts_with("<TLS ::1>EHLO [127.0.0.1]\r\nAUTH LOGIN\r\n"
                                           "YW5u\r\nc2VjcmV0\r\nMAIL FROM:"));
}

TEST_F(SmtpDialogueTest, APasswordIsNeverSentWithoutEncryption) {
    options.authenticate = true;
    options.user = "ann";
    options.password = "secret";
    Script& script = network.scripts[587];
    script.replies = {kGreeting, kEhloAuth, "221 bye\r\n"};
    SendResult result = send();
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.errorText, "Authentication failed; mail.example.org:587; the server offers "
                                "no encryption, so the password was not sent");
    EXPECT_EQ(script.written, "EHLO [127.0.0.1]\r\nQUIT\r\n");
    script.replies = {kGreeting, "250-mail.example.org\r\n250\r\n", "221 bye\r\n"}; // bare end
    EXPECT_NE(send().errorText.find("password was not sent"), std::string::npos);

    // An old server that answers EHLO with an error gets HELO, and no password either.
    Script& old = network.scripts[25];
    options.server = "mail.example.org:25";
    old.replies = {kGreeting, "502 what?\r\n", "250 hello\r\n", "221 bye\r\n"};
    result = send();
    EXPECT_EQ(old.written, "EHLO [127.0.0.1]\r\nHELO [127.0.0.1]\r\nQUIT\r\n");
    EXPECT_NE(result.errorText.find("password was not sent"), std::string::npos);
}

TEST_F(SmtpDialogueTest, AFailedCertificateCheckEndsTheSend) {
    Script& script = network.scripts[587];
    script.replies = {kGreeting, kEhloTlsAuth, "220 ready\r\n"};
    script.tls = {NetStatus::TlsFailed, 0, "certificate is not trusted"};
    const SendResult result = send();
    EXPECT_EQ(result.errorText,
              "STARTTLS failed; mail.example.org:587; the secure connection failed (certificate "
              "is not trusted)");
    EXPECT_EQ(result.status, SessionStatus::TlsFailed);
    EXPECT_EQ(script.written, "EHLO [127.0.0.1]\r\nSTARTTLS\r\n<TLS mail.example.org>");

    // Where the handshake completed before the check, the server hears QUIT over it.
    script.written.clear();
    script.replies = {kGreeting, kEhloTlsAuth, "220 ready\r\n", "221 bye\r\n"};
    script.tlsUpWhenRefused = true;
    EXPECT_FALSE(send().ok());
    EXPECT_EQ(script.written, "EHLO [127.0.0.1]\r\nSTARTTLS\r\n<TLS mail.example.org>QUIT\r\n");
}

TEST_F(SmtpDialogueTest, AnswersSentInTheClearWithTheStartTlsReplyEndTheSession) {
    // Someone on the path answers for the server before the handshake; read after it,
    // those answers would pass a refused mail off as sent.
    Script& script = network.scripts[587];
    script.replies = {kGreeting, kEhloTlsAuth,
                      "220 ready\r\n250-x\r\n250 ok\r\n250 ok\r\n250 ok\r\n354 go\r\n250 ok\r\n"};
    script.replies.insert(script.replies.end(), 8, "554 no\r\n");
    const SendResult result = send();
    EXPECT_EQ(result.errorText, "STARTTLS failed; mail.example.org:587; the secure connection "
                                "failed (unexpected data before the tls handshake)");
    EXPECT_EQ(script.written, "EHLO [127.0.0.1]\r\nSTARTTLS\r\n");
}

TEST_F(SmtpDialogueTest, ServerRefusalsNameTheStepAndTheReply) {
    Script& script = network.scripts[587];
    script.replies = {kGreeting,
                      "250 ok\r\n",
                      kOk,
                      kOk,
                      "550-5.1.1 <js@example.org>: Recipient\r\n550 5.1.1 address rejected\r\n",
                      "221 bye\r\n"};
    SendResult result = send();
    EXPECT_EQ(result.errorText, "Recipient failed; mail.example.org:587; 550 5.1.1 "
                                "<js@example.org>: Recipient 5.1.1 address rejected "
                                "(js@example.org)");
    EXPECT_EQ(script.written.find("DATA"), std::string::npos);
    EXPECT_TRUE(script.written.ends_with("QUIT\r\n"));

    script.written.clear();
    options.authenticate = true;
    script.replies = {kGreeting,
                      kEhloTlsAuth,
                      "220 go\r\n",
                      kEhloTlsAuth,
                      "535 5.7.8 Authentication credentials invalid\r\n",
                      "221 bye\r\n"};
    result = send();
    EXPECT_EQ(result.errorText, "Authentication failed; mail.example.org:587; 535 5.7.8 "
                                "Authentication credentials invalid");

    script.written.clear();
    options.authenticate = false;
    script.replies = {"554 no service here\r\n"};
    EXPECT_EQ(send().errorText, "Greeting failed; mail.example.org:587; 554 no service here");

    script.replies = {"SSH-2.0-OpenSSH_9.2\r\n"};
    EXPECT_EQ(send().errorText,
              "Greeting failed; mail.example.org:587; the server's answer is not SMTP");
}

TEST_F(SmtpDialogueTest, SilenceTimesOutAndAbortStops) {
    options.connectTimeoutMs = 1500;
    options.replyTimeoutMs = 2000;
    Script& script = network.scripts[587];
    SendResult result = send();
    EXPECT_EQ(result.errorText, "Greeting failed; mail.example.org:587; no answer within 2 s");
    EXPECT_EQ(network.connectTimeouts.front(), 1500);
    EXPECT_EQ(script.readTimeouts.front(), 2000);

    script.whenSilent = NetStatus::Closed;
    script.replies = {kGreeting};
    result = send();
    EXPECT_EQ(result.errorText,
              "EHLO failed; mail.example.org:587; the server closed the connection");

    script.replies = {kGreeting, kEhloAuth};
    bool stop = false;
    abort = [&stop] {
        return stop;
    };
    int calls = 0;
    SmtpClient client(network, charsets);
    result = client.send(message, options, abort, [&](const SendProgress&) {
        stop = ++calls >= 2; // the user cancels once the dialogue is under way
    });
    EXPECT_EQ(result.errorText, "Sender failed; mail.example.org:587; aborted");
    EXPECT_EQ(result.status, SessionStatus::Aborted);
}

TEST_F(SmtpDialogueTest, SlowRepliesTimeOutPerReplyAndPerSession) {
    options.replyTimeoutMs = 300;
    Script& script = network.scripts[587];
    script.replies.assign(100, "220-still greeting\r\n");
    script.readDelayMs = 20; // a line every 20 ms, each well within the timeout
    const auto started = std::chrono::steady_clock::now();
    const SendResult result = send();
    EXPECT_EQ(result.errorText, "Greeting failed; mail.example.org:587; no answer within 0.3 s");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1200));

    // Replies that each come just in time cannot stretch the whole send without end.
    options.replyTimeoutMs = 2000;
    options.sessionTimeoutMs = 500;
    script.replies = {kGreeting, "250 relay\r\n"};
    for (auto& reply : tail()) {
        script.replies.push_back(reply);
    }
    script.readDelayMs = 150;
    const SendResult slow = send();
    EXPECT_EQ(slow.status, SessionStatus::TimedOut);
    EXPECT_NE(slow.errorText.find("; the whole exchange took longer than 0.5 s"), std::string::npos)
        << slow.errorText;
}

TEST_F(SmtpDialogueTest, BadEntriesFailBeforeAnyConnection) {
    options.server = "mail.example.org:99999";
    EXPECT_EQ(send().errorText,
              "Server name not valid; mail.example.org:99999; use a host name or host:port");
    options.server = "mail.example.org";
    message.to = " ; ";
    message.cc = "";
    EXPECT_EQ(send().errorText,
              "No recipient; mail.example.org; the To and Cc lists hold no address");
    message.to = "<bob@example.org\r\nRCPT TO:<evil@example.org>";
    EXPECT_FALSE(send().ok());
    message.to = "bob@example.org";
    message.fromAddress = "ann@example.org>\r\nRSET";
    EXPECT_FALSE(send().ok());
    message.fromAddress = "ann@example.org";
    message.cc = std::string(250, 'c') + "@example.org"; // longer than SMTP allows
    EXPECT_TRUE(send().errorText.starts_with("Recipient not valid; mail.example.org; ccc"));
    EXPECT_TRUE(network.attempts.empty());
}

} // namespace
} // namespace pictorn::net
