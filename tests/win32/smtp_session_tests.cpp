// Our SMTP client on Winsock + Schannel and the system's code pages, as the program runs it,
// against the aiosmtpd servers that scripts/test.sh starts with the other network test
// servers (STARTTLS with a certificate trusted only in the test prefix; an untrusted one).
#include "net/smtp_client.h"
#include "platform/win32/win32_charsets.h"
#include "platform/win32/win32_network.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace pictorn::net {
namespace {

namespace fs = std::filesystem;

// What the server's account expects (tests/win32/servers/net_servers.py): not Latin-1.
constexpr const char* kPassword = "p\xc3\xa4ss \xd0\xb6\xe4\xb8\xad";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Wine shows the Unix root as drive Z:.
fs::path fromUnix(std::string path) {
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return fs::path("Z:" + path);
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<fs::path> savedMails(const fs::path& folder) {
    std::set<fs::path> mails;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".eml")
            mails.insert(entry.path());
    return mails;
}

// Plain base64 without line breaks, written apart from the client's own encoder.
std::string base64(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (std::uint8_t b : bytes) {
        bits = (bits << 8) | b;
        count += 8;
        while (count >= 6) {
            count -= 6;
            out += kDigits[(bits >> count) & 63];
        }
    }
    if (count > 0)
        out += kDigits[(bits << (6 - count)) & 63];
    while (out.size() % 4 != 0)
        out += '=';
    return out;
}

std::string withoutLineBreaks(std::string text) {
    std::erase(text, '\r');
    std::erase(text, '\n');
    return text;
}

MailMessage cyrillicMessage() {
    MailMessage message;
    message.fromName = "Ann";
    message.fromAddress = "ann@example.org";
    message.to = "Bob <bob@example.org>; carl@example.org";
    message.subject = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82";       // Privet
    message.body = "\xd0\xa1\xd0\xbd\xd0\xb8\xd0\xbc\xd0\xbe\xd0\xba\r\n.line"; // Snimok
    message.charset = "windows-1251";
    MailAttachment picture{"Pictorn.png", {}};
    for (int i = 0; i < 70'000; ++i)
        picture.bytes.push_back(static_cast<std::uint8_t>((i * 31 + i / 251) & 0xff));
    message.attachments.push_back(std::move(picture));
    message.date = {2026, 12, 7, 16, 45, 0};
    return message;
}

TEST(Win32SmtpClient, StartTlsAndLoginDeliverTheMessageInTheCodePage) {
    const std::string port = environment("PICTORN_TEST_NET_SMTP_PORT");
    if (port.empty())
        GTEST_SKIP() << "PICTORN_TEST_NET_SMTP_PORT is not set: scripts/test.sh starts the servers";
    const fs::path folder = fromUnix(environment("PICTORN_TEST_NET_SMTP_DIR"));
    const std::set<fs::path> before = savedMails(folder);

    platform::win32::Win32Network network;
    platform::win32::Win32Charsets charsets;
    SmtpClient client(network, charsets);
    const MailMessage message = cyrillicMessage();
    SmtpOptions options;
    options.server = "localhost:" + port;
    options.authenticate = true;
    options.user = "ann";
    options.password = kPassword;
    const SendResult result = client.send(message, options);
    ASSERT_TRUE(result.ok()) << result.errorText;
    EXPECT_EQ(result.charset, "windows-1251");

    std::set<fs::path> added;
    for (const fs::path& path : savedMails(folder))
        if (!before.contains(path))
            added.insert(path);
    ASSERT_EQ(added.size(), 1u);
    const fs::path mail = *added.begin();
    EXPECT_EQ(readWhole(fs::path(mail.string() + ".envelope")),
              "ann@example.org\nbob@example.org\ncarl@example.org\n");
    const std::string eml = readWhole(mail);
    EXPECT_NE(eml.find("X-Mailer: Pictorn Mailer\r\n"), std::string::npos);
    EXPECT_NE(eml.find("Subject: =?windows-1251?"), std::string::npos) << eml.substr(0, 800);
    EXPECT_NE(eml.find("charset=\"windows-1251\""), std::string::npos) << eml.substr(0, 1200);
    EXPECT_NE(withoutLineBreaks(eml).find(base64(message.attachments[0].bytes)), std::string::npos)
        << "the picture's bytes did not arrive whole";
    fs::remove(mail);
    fs::remove(fs::path(mail.string() + ".envelope"));
}

TEST(Win32SmtpClient, WrongPasswordAndUntrustedCertificateFailWithTheReason) {
    const std::string port = environment("PICTORN_TEST_NET_SMTP_PORT");
    const std::string untrusted = environment("PICTORN_TEST_NET_SMTP_UNTRUSTED_PORT");
    if (port.empty() || untrusted.empty())
        GTEST_SKIP() << "the SMTP test servers are not running: scripts/test.sh starts them";
    platform::win32::Win32Network network;
    platform::win32::Win32Charsets charsets;
    SmtpClient client(network, charsets);
    MailMessage message = cyrillicMessage();
    message.attachments.clear();

    SmtpOptions options;
    options.server = "localhost:" + port;
    options.authenticate = true;
    options.user = "ann";
    options.password = "wrong";
    SendResult result = client.send(message, options);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.errorText.starts_with("Authentication failed; localhost:" + port + "; 535"))
        << result.errorText;

    options.server = "localhost:" + untrusted;
    options.implicitTls = true;
    options.password = kPassword;
    result = client.send(message, options);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.errorText.find("certificate is not trusted"), std::string::npos)
        << result.errorText;
}

} // namespace
} // namespace pictorn::net
