// The FTP client against vsftpd and proftpd as Debian ships them (tests/daemons/daemon.py):
// FTPS forced, and every data connection must resume the control connection's TLS session.
// Skipped where the servers are not set up (scripts/setup.sh packages, as root).
#include "net/ftp_session.h"
#include "platform/posix/posix_network.h"
#include "support/server_process.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace pictorn::net {
namespace {

namespace fs = std::filesystem;
using platform::AbortCheck;
using platform::Address;
using platform::ByteStream;
using platform::Listener;
using platform::NetResult;
using platform::Network;
using platform::posix::PosixNetwork;
using test::ServerProcess;

// A daemon and what it told about itself (USER, PASSWORD, UPLOAD, CERT ...).
struct Daemon {
    std::unique_ptr<ServerProcess> process;
    std::map<std::string, std::string> facts;
};

// Starts daemon.py `kind` with `options`; an empty reason when it runs, otherwise why not.
std::string startDaemon(Daemon& daemon, const std::string& kind,
                        std::vector<std::string> options = {}) {
    if (::geteuid() != 0) {
        return "the real servers need root";
    }
    if (kind == "vsftpd" && !fs::exists("/usr/sbin/vsftpd")) {
        return "vsftpd is not installed";
    }
    options.insert(options.begin(), kind);
    daemon.process = std::make_unique<ServerProcess>(test::testScriptPath("../daemons/daemon.py"),
                                                     std::move(options), 30000);
    if (!daemon.process->started()) {
        return daemon.process->error();
    }
    while (auto line = daemon.process->readLine(10000)) {
        if (*line == "READY") {
            return {};
        }
        const auto space = line->find(' ');
        daemon.facts[line->substr(0, space)] = line->substr(space + 1);
    }
    return "no READY from daemon.py: " + daemon.process->stderrText();
}

#define START_OR_SKIP(daemon, kind, ...)                                                           \
    Daemon daemon;                                                                                 \
    if (const std::string why = startDaemon(daemon, kind __VA_OPT__(, ) __VA_ARGS__);              \
        !why.empty()) {                                                                            \
        if (why.find("no proftpd") != std::string::npos || !daemon.process) {                      \
            GTEST_SKIP() << why;                                                                   \
        }                                                                                          \
        FAIL() << why;                                                                             \
    }

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

FtpLogin loginFor(const Daemon& daemon) {
    // By address: the certificate names 127.0.0.1 among its IP alternative names.
    return FtpLogin{"127.0.0.1:" + std::to_string(daemon.process->port()), daemon.facts.at("USER"),
                    daemon.facts.at("PASSWORD"), true};
}

TEST(FtpRealServers, EveryDataConnectionResumesTheControlConnectionsTlsSession) {
    for (const char* kind : {"vsftpd", "proftpd"}) {
        for (const bool upToTls12 : {false, true}) {
            SCOPED_TRACE(std::string(kind) + (upToTls12 ? " tls 1.2" : " tls 1.3"));
            START_OR_SKIP(daemon, kind);
            PosixNetwork network({daemon.facts.at("CERT")}, upToTls12);
            FtpSession ftp(network, {});
            FtpResult result = ftp.connect(loginFor(daemon));
            ASSERT_TRUE(result.ok()) << result.error << "\n" << ftp.log();
            ASSERT_TRUE(ftp.changeFolder("/upload").ok()) << ftp.log();
            const std::string contents[] = {"one", std::string(300000, 'x'), "three"};
            for (int i = 0; i < 3; ++i) {
                MemoryUploadSource source(contents[i]);
                result = ftp.putFile(source, "file" + std::to_string(i) + ".bin");
                ASSERT_TRUE(result.ok()) << result.error << "\n" << ftp.log();
            }
            ftp.quit();
            const fs::path upload = daemon.facts.at("UPLOAD");
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(readWhole(upload / ("file" + std::to_string(i) + ".bin")), contents[i]);
            }
            EXPECT_EQ(std::distance(fs::directory_iterator(upload), fs::directory_iterator()), 3);
        }
    }
}

// A transport that never resumes a TLS session, as Wine's Schannel.
class NoResumeStream final : public ByteStream {
public:
    explicit NoResumeStream(std::unique_ptr<ByteStream> inner) : inner_(std::move(inner)) {}
    NetResult readSome(std::span<char> buffer, int timeoutMs, const AbortCheck& abort) override {
        return inner_->readSome(buffer, timeoutMs, abort);
    }
    NetResult writeAll(std::string_view data, int timeoutMs, const AbortCheck& abort) override {
        return inner_->writeAll(data, timeoutMs, abort);
    }
    NetResult startTls(const std::string& hostName, int timeoutMs,
                       const AbortCheck& abort) override {
        return inner_->startTls(hostName, timeoutMs, abort);
    }
    bool isTls() const noexcept override { return inner_->isTls(); }
    Address localAddress() const override { return inner_->localAddress(); }
    Address peerAddress() const override { return inner_->peerAddress(); }
    void close() noexcept override { inner_->close(); }

private:
    std::unique_ptr<ByteStream> inner_;
};

class NoResumeNetwork final : public Network {
public:
    explicit NoResumeNetwork(Network& inner) : inner_(inner) {}
    NetResult connect(std::unique_ptr<ByteStream>& connected, const std::string& host,
                      std::uint16_t port, int timeoutMs, const AbortCheck& abort) override {
        std::unique_ptr<ByteStream> stream;
        NetResult result = inner_.connect(stream, host, port, timeoutMs, abort);
        if (result.ok()) {
            connected = std::make_unique<NoResumeStream>(std::move(stream));
        }
        return result;
    }
    NetResult listen(std::unique_ptr<Listener>& listener, const std::string& localIp) override {
        return inner_.listen(listener, localIp);
    }

private:
    Network& inner_;
};

TEST(FtpRealServers, RefusedNewTlsSessionOnTheDataConnectionNamesTheCause) {
    for (const auto& [kind, code] : {std::pair{"vsftpd", "522"}, std::pair{"proftpd", "425"}}) {
        SCOPED_TRACE(kind);
        START_OR_SKIP(daemon, kind);
        PosixNetwork posix({daemon.facts.at("CERT")});
        NoResumeNetwork network(posix);
        FtpSession ftp(network, {});
        ASSERT_TRUE(ftp.connect(loginFor(daemon)).ok()) << ftp.log();
        ASSERT_TRUE(ftp.changeFolder("/upload").ok()) << ftp.log();
        MemoryUploadSource source("picture");
        const FtpResult result = ftp.putFile(source, "shot.png");
        EXPECT_EQ(result.status, SessionStatus::TlsFailed) << ftp.log();
        EXPECT_EQ(result.error.rfind("Put file: \"shot.png\" was not stored: the server requires "
                                     "TLS session reuse",
                                     0),
                  0u)
            << result.error;
        EXPECT_EQ(result.reply.substr(0, 3), code) << result.reply;
        ftp.quit();
        EXPECT_TRUE(fs::is_empty(daemon.facts.at("UPLOAD"))) << ftp.log();
    }
}

// Over a slow line, much of the file is still on its way when the user aborts: a server that
// took the end of the data connection for the end of the file would store it whole.
TEST(FtpRealServers, AbortInTheMiddleOfAFileOverASlowLineLeavesNothingOnTheServer) {
    for (const char* kind : {"vsftpd", "proftpd"}) {
        SCOPED_TRACE(kind);
        START_OR_SKIP(daemon, kind, {"--max-rate", std::to_string(1 << 20)});
        PosixNetwork network({daemon.facts.at("CERT")});
        bool abort = false;
        FtpTimeouts unpaced;
        unpaced.abortCheckMs = 0;
        FtpSession ftp(
            network, [&] { return abort; }, unpaced);
        ASSERT_TRUE(ftp.connect(loginFor(daemon)).ok()) << ftp.log();
        ASSERT_TRUE(ftp.changeFolder("/upload").ok()) << ftp.log();
        MemoryUploadSource big(std::string(64 << 20, 'x'));
        const FtpResult result = ftp.putFile(
            big, "big.bin", [&](const PutProgress& p) { abort = p.bytesSent > (1 << 20); });
        EXPECT_EQ(result.status, SessionStatus::Aborted) << ftp.log();
        ftp.quit();
        EXPECT_TRUE(fs::is_empty(daemon.facts.at("UPLOAD"))) << ftp.log();
    }
}

} // namespace
} // namespace pictorn::net
