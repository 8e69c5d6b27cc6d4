// Our FTP client on Winsock + Schannel, as the program runs it, against the TLS FTP server
// that scripts/test.sh starts with the other network test servers.
#include "net/ftp_session.h"
#include "platform/win32/win32_network.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace pictorn::net {
namespace {

namespace fs = std::filesystem;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The server's folder as this program sees it: Wine shows the Unix root as drive Z:.
fs::path serverFolder() {
    std::string path = "Z:" + environment("PICTORN_TEST_NET_FTP_ROOT");
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return fs::path(path);
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Win32FtpSession, TlsUploadsArriveInPassiveAndActiveMode) {
    const std::string port = environment("PICTORN_TEST_NET_FTP_PORT");
    if (port.empty()) {
        GTEST_SKIP() << "PICTORN_TEST_NET_FTP_PORT is not set: scripts/test.sh starts the servers";
    }
    std::string bytes(5 * 1024 * 1024 + 3, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 13 + i / 509) & 0xff);
    }
    const fs::path local = fs::temp_directory_path() / fs::u8path("pictorn ftp \xc3\xa4.bin");
    std::ofstream(local, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const std::u8string u8 = local.u8string();
    const std::string localUtf8(u8.begin(), u8.end()); // how the program passes paths
    platform::win32::Win32Network network;
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        const std::string remote = passive ? "passiv \xc3\xa4.bin" : "aktiv \xc3\xa4.bin";
        int checks = 0;
        int lastPercent = -1;
        FtpSession ftp(network, [&] {
            ++checks;
            return false;
        });
        FtpResult r = ftp.connect({"localhost:" + port, "bob", "s3cret", passive});
        ASSERT_TRUE(r.ok()) << r.error << "\n" << ftp.log();
        EXPECT_TRUE(ftp.secured());
        r = ftp.putFile(localUtf8, remote, [&](const PutProgress& p) { lastPercent = p.percent; });
        ASSERT_TRUE(r.ok()) << r.error << "\n" << ftp.log();
        ftp.quit();
        EXPECT_EQ(lastPercent, 100);
        EXPECT_GT(checks, 0);
        const fs::path arrived = serverFolder() / fs::u8path(remote);
        EXPECT_EQ(readWhole(arrived).size(), bytes.size());
        EXPECT_TRUE(readWhole(arrived) == bytes);
        fs::remove(arrived);
    }
    fs::remove(local);
}

TEST(Win32FtpSession, WrongPasswordNamesTheStepAndReply) {
    const std::string port = environment("PICTORN_TEST_NET_FTP_PORT");
    if (port.empty()) {
        GTEST_SKIP() << "PICTORN_TEST_NET_FTP_PORT is not set: scripts/test.sh starts the servers";
    }
    platform::win32::Win32Network network;
    FtpSession ftp(network, {});
    const FtpResult r = ftp.connect({"localhost:" + port, "bob", "wrong", true});
    EXPECT_EQ(r.status, SessionStatus::Refused);
    EXPECT_EQ(r.error.rfind("Connect: the server refused the login: 530", 0), 0u) << r.error;
}

} // namespace
} // namespace pictorn::net
