// The FTP client against a real pyftpdlib server on 127.0.0.1, started and stopped by pid.
#include "net/ftp_session.h"
#include "platform/posix/posix_network.h"
#include "support/server_process.h"
#include "support/test_certificates.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

namespace pictorn::net {
namespace {

namespace fs = std::filesystem;
using platform::posix::PosixNetwork;
using test::ServerProcess;
using Clock = std::chrono::steady_clock;

std::string pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xff);
    }
    return bytes;
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class FtpServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() /
                ("pictorn_ftp_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(base_);
        fs::create_directories(root() / "shots");
        fs::create_directories(local());
    }
    void TearDown() override {
        server_.reset();
        fs::remove_all(base_);
    }

    fs::path root() const { return base_ / "root"; }
    fs::path local() const { return base_ / "local"; }

    void startServer(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--root", root().string(), "--user",
                                      "bob",    "--password",    "s3cret"};
        args.insert(args.end(), extra.begin(), extra.end());
        server_ = std::make_unique<ServerProcess>(test::testScriptPath("net/servers/ftp_server.py"),
                                                  args);
        ASSERT_TRUE(server_->started()) << server_->error();
    }
    std::string serverText() const { return "127.0.0.1:" + std::to_string(server_->port()); }
    FtpLogin bob(bool passive) const { return {serverText(), "bob", "s3cret", passive}; }

    fs::path writeLocal(const std::string& name, const std::string& bytes) {
        const fs::path path = local() / fs::u8path(name);
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    fs::path base_;
    std::unique_ptr<ServerProcess> server_;
    PosixNetwork network_;
};

TEST_F(FtpServerTest, UploadsArriveByteForByteInPassiveAndActiveMode) {
    startServer();
    const std::string big = pattern(20 * 1024 * 1024, 1);
    const std::string small = pattern(1234, 2);
    const std::string accented = "Bildschirmfoto \xc3\xa4\xc3\xb6\xc3\xbc \xe6\x97\xa5.png";
    const fs::path bigPath = writeLocal("big.bin", big);
    const fs::path emptyPath = writeLocal("empty.bin", "");
    const fs::path accentedPath = writeLocal(accented, small);
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        FtpSession ftp(network_, {});
        FtpResult r = ftp.connect(bob(passive));
        ASSERT_TRUE(r.ok()) << r.error << "\n" << ftp.log();
        ASSERT_TRUE(ftp.changeFolder("/shots").ok()) << ftp.log();
        int lastPercent = -1;
        r = ftp.putFile(bigPath.string(), "big.bin",
                        [&](const PutProgress& p) { lastPercent = p.percent; });
        ASSERT_TRUE(r.ok()) << r.error << "\n" << ftp.log();
        EXPECT_EQ(lastPercent, 100);
        EXPECT_GT(ftp.uploadRate(), 0u);
        ASSERT_TRUE(ftp.putFile(emptyPath.string(), "empty.bin").ok()) << ftp.log();
        ASSERT_TRUE(ftp.putFile(accentedPath.string(), accented).ok()) << ftp.log();
        ftp.quit();
        EXPECT_TRUE(readWhole(root() / "shots" / "big.bin") == big);
        EXPECT_TRUE(fs::exists(root() / "shots" / "empty.bin"));
        EXPECT_EQ(fs::file_size(root() / "shots" / "empty.bin"), 0u);
        EXPECT_EQ(readWhole(root() / "shots" / fs::u8path(accented)), small);
        // Nothing is left under a temporary name.
        EXPECT_EQ(namesIn(root() / "shots"),
                  (std::vector<std::string>{accented, "big.bin", "empty.bin"}));
        EXPECT_EQ(ftp.log().find("s3cret"), std::string::npos);
        fs::remove_all(root() / "shots");
        fs::create_directories(root() / "shots");
    }
}

TEST_F(FtpServerTest, TlsServerSecuresLoginAndDataAndIsCheckedLikeMail) {
    test::TestCertificates certificates;
    std::string error;
    ASSERT_TRUE(certificates.make("ftp", "localhost", error)) << error;
    const std::string cert = certificates.certificateFile("ftp");
    startServer({"--tls", cert, certificates.keyFile("ftp")});
    const std::string server = "localhost:" + std::to_string(server_->port());
    {
        PosixNetwork untrusting;
        FtpSession ftp(untrusting, {});
        const FtpResult r = ftp.connect({server, "bob", "s3cret", true});
        EXPECT_EQ(r.status, SessionStatus::TlsFailed) << r.error;
        EXPECT_EQ(r.error.rfind("Connect: TLS with localhost: the secure connection failed", 0), 0u)
            << r.error;
        EXPECT_EQ(ftp.log().find("> USER"), std::string::npos);
    }
    PosixNetwork trusting({cert});
    const std::string big = pattern(20 * 1024 * 1024, 9);
    const fs::path bigPath = writeLocal("big.bin", big);
    const fs::path emptyPath = writeLocal("empty.bin", "");
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        FtpSession ftp(trusting, {});
        const FtpResult r = ftp.connect({server, "bob", "s3cret", passive});
        ASSERT_TRUE(r.ok()) << r.error << "\n" << ftp.log();
        EXPECT_TRUE(ftp.secured());
        EXPECT_NE(ftp.log().find("> PROT P"), std::string::npos);
        ASSERT_TRUE(ftp.putFile(bigPath.string(), "big.bin").ok()) << ftp.log();
        ASSERT_TRUE(ftp.putFile(emptyPath.string(), "empty.bin").ok()) << ftp.log();
        ftp.quit();
        EXPECT_EQ(readWhole(root() / "big.bin").size(), big.size()) << ftp.log();
        EXPECT_TRUE(readWhole(root() / "big.bin") == big);
        EXPECT_EQ(fs::file_size(root() / "empty.bin"), 0u);
        fs::remove(root() / "big.bin");
        fs::remove(root() / "empty.bin");
    }
}

TEST_F(FtpServerTest, WrongPasswordAndMissingFolderNameTheStepAndReply) {
    startServer();
    {
        FtpSession ftp(network_, {});
        const FtpResult r = ftp.connect({serverText(), "bob", "wrong", true});
        EXPECT_EQ(r.status, SessionStatus::Refused);
        EXPECT_EQ(r.error.rfind("Connect: the server refused the login: 530", 0), 0u) << r.error;
        EXPECT_FALSE(ftp.connected());
        EXPECT_NE(ftp.log().find("> PASS ****"), std::string::npos);
    }
    FtpSession ftp(network_, {});
    ASSERT_TRUE(ftp.connect(bob(true)).ok()) << ftp.log();
    const FtpResult r = ftp.changeFolder("/no/such/folder");
    EXPECT_EQ(r.status, SessionStatus::Refused);
    EXPECT_EQ(r.error.rfind("Change folder: the server refused to change to \"/no/such/folder\": "
                            "550",
                            0),
              0u)
        << r.error;
}

TEST_F(FtpServerTest, OldStyleServerGetsPasvAndPortAndItsPrivateAddressIsIgnored) {
    startServer({"--no-epsv", "--no-eprt", "--masquerade", "10.9.8.7"});
    const std::string bytes = pattern(300000, 3);
    const fs::path path = writeLocal("a.png", bytes);
    for (const bool passive : {true, false}) {
        FtpSession ftp(network_, {});
        ASSERT_TRUE(ftp.connect(bob(passive)).ok()) << ftp.log();
        ASSERT_TRUE(ftp.putFile(path.string(), passive ? "p.png" : "a.png").ok()) << ftp.log();
        EXPECT_NE(ftp.log().find(passive ? "> PASV" : "> PORT 127,0,0,1,"), std::string::npos)
            << ftp.log();
    }
    EXPECT_EQ(readWhole(root() / "p.png"), bytes);
    EXPECT_EQ(readWhole(root() / "a.png"), bytes);
}

TEST_F(FtpServerTest, UploadOnlyAccountGetsTheFileUnderItsOwnName) {
    startServer();
    const std::string bytes = pattern(5000, 4);
    const fs::path path = writeLocal("shot.png", bytes);
    FtpSession ftp(network_, {});
    ASSERT_TRUE(ftp.connect({serverText(), "uploader", "uploader", true}).ok()) << ftp.log();
    const FtpResult r = ftp.putFile(path.string(), "shot.png");
    ASSERT_TRUE(r.ok()) << r.error << "\n" << ftp.log();
    EXPECT_EQ(readWhole(root() / "shot.png"), bytes);
    EXPECT_NE(ftp.log().find("refused the rename"), std::string::npos) << ftp.log();
}

TEST_F(FtpServerTest, AbortWhileTheServerFinishesADirectStoreLeavesNoFile) {
    startServer({"--refuse-part", "--finish-delay", "0.2"});
    const fs::path path = writeLocal("shot.png", pattern(100000, 10));
    bool abortRequested = false;
    FtpTimeouts unpaced;
    unpaced.abortCheckMs = 0;
    FtpSession ftp(
        network_, [&] { return abortRequested; }, unpaced);
    ASSERT_TRUE(ftp.connect(bob(true)).ok()) << ftp.log();
    const FtpResult r = ftp.putFile(path.string(), "shot.png", [&](const PutProgress& p) {
        abortRequested = p.percent == 100;
    });
    EXPECT_EQ(r.status, SessionStatus::Aborted) << ftp.log();
    ftp.quit();
    EXPECT_EQ(namesIn(root()), (std::vector<std::string>{"shots"})) << ftp.log();
}

TEST_F(FtpServerTest, ServerThatStopsAnsweringMidTransferTimesOutWithoutATargetFile) {
    startServer({"--stall-after", "1000000"});
    const fs::path path = writeLocal("big.bin", pattern(20 * 1024 * 1024, 5));
    FtpTimeouts timeouts;
    timeouts.dataMs = 1500;
    timeouts.cleanupMs = 500;
    FtpSession ftp(network_, {}, timeouts);
    ASSERT_TRUE(ftp.connect(bob(true)).ok()) << ftp.log();
    const Clock::time_point start = Clock::now();
    const FtpResult r = ftp.putFile(path.string(), "big.bin");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(r.status, SessionStatus::TimedOut);
    EXPECT_EQ(r.error, "Put file: \"big.bin\" was not stored: the server stopped taking data "
                       "(nothing accepted within 1.5 s).");
    EXPECT_LT(seconds, 10.0);
    EXPECT_FALSE(ftp.connected());
    EXPECT_FALSE(fs::exists(root() / "big.bin"));
}

TEST_F(FtpServerTest, AbortOnAHungServerIsAnsweredWithinAFractionOfASecond) {
    startServer({"--stall-after", "1000000"});
    const fs::path path = writeLocal("big.bin", pattern(20 * 1024 * 1024, 7));
    Clock::time_point abortAt = Clock::time_point::max();
    int checks = 0;
    FtpSession ftp(network_, [&] {
        ++checks;
        return Clock::now() >= abortAt;
    }); // the real pacing and the default 30 s timeouts
    ASSERT_TRUE(ftp.connect(bob(true)).ok()) << ftp.log();
    abortAt = Clock::now() + std::chrono::milliseconds(1000);
    const FtpResult r = ftp.putFile(path.string(), "big.bin");
    const double late = std::chrono::duration<double>(Clock::now() - abortAt).count();
    EXPECT_EQ(r.status, SessionStatus::Aborted) << r.error;
    EXPECT_LT(late, 1.0);
    EXPECT_GE(checks, 5); // asked while the transfer waited, not only between chunks
    EXPECT_FALSE(fs::exists(root() / "big.bin"));
}

TEST_F(FtpServerTest, Ipv6ServerInBracketsInBothModes) {
    startServer({"--host", "::1"});
    const std::string bytes = pattern(100000, 8);
    const fs::path path = writeLocal("six.bin", bytes);
    for (const bool passive : {true, false}) {
        FtpSession ftp(network_, {});
        const FtpResult r =
            ftp.connect({"[::1]:" + std::to_string(server_->port()), "bob", "s3cret", passive});
        ASSERT_TRUE(r.ok()) << r.error << "\n" << ftp.log();
        ASSERT_TRUE(ftp.putFile(path.string(), passive ? "p.bin" : "a.bin").ok()) << ftp.log();
        EXPECT_NE(ftp.log().find(passive ? "> EPSV" : "> EPRT |2|::1|"), std::string::npos);
    }
    EXPECT_EQ(readWhole(root() / "p.bin"), bytes);
    EXPECT_EQ(readWhole(root() / "a.bin"), bytes);
}

TEST_F(FtpServerTest, AbortDuringTheSecondOfThreeFilesStopsItAndTheThird) {
    startServer();
    const std::string bytes = pattern(8 * 1024 * 1024, 6);
    const std::vector<fs::path> paths{writeLocal("one.bin", bytes), writeLocal("two.bin", bytes),
                                      writeLocal("three.bin", bytes)};
    bool abortRequested = false;
    Clock::time_point abortedAt;
    // Unpaced, so that a local transfer, which takes a few tens of milliseconds, cannot end
    // between the click and the next check.
    FtpTimeouts unpaced;
    unpaced.abortCheckMs = 0;
    FtpSession ftp(
        network_, [&] { return abortRequested; }, unpaced);
    ASSERT_TRUE(ftp.connect(bob(true)).ok()) << ftp.log();
    std::vector<SessionStatus> results;
    double answerSeconds = 0;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const FtpResult r =
            ftp.putFile(paths[i].string(), paths[i].filename().string(), [&](const PutProgress& p) {
                if (i == 1 && p.bytesSent > 0 && !abortRequested) {
                    abortRequested = true;
                    abortedAt = Clock::now();
                }
            });
        if (i == 1) {
            answerSeconds = std::chrono::duration<double>(Clock::now() - abortedAt).count();
        }
        results.push_back(r.status);
    }
    EXPECT_EQ(results, (std::vector<SessionStatus>{SessionStatus::Ok, SessionStatus::Aborted,
                                                   SessionStatus::Aborted}));
    EXPECT_LT(answerSeconds, 0.5);
    ftp.quit();
    EXPECT_EQ(readWhole(root() / "one.bin"), bytes);
    EXPECT_EQ(namesIn(root()), (std::vector<std::string>{"one.bin", "shots"})) << ftp.log();
}

} // namespace
} // namespace pictorn::net
