// TLS on the POSIX transport against a python TLS server with certificates made for the
// test: trusted, untrusted and for another host; implicit TLS, an upgrade after plain
// lines, and TLS on a connection the server opened to us.
#include "platform/posix/posix_network.h"
#include "support/server_process.h"
#include "support/test_certificates.h"

#include <gtest/gtest.h>

#include <chrono>

namespace pictorn::net {
namespace {

using platform::ByteStream;
using platform::Listener;
using platform::NetStatus;
using platform::posix::PosixNetwork;
using test::ServerProcess;
using test::testScriptPath;
using Clock = std::chrono::steady_clock;

constexpr int longWait = 10000;

class PosixTls : public testing::Test {
protected:
    static void SetUpTestSuite() {
        certificates_ = new test::TestCertificates;
        // Named by its IP alternative names only; the common name is a decoy.
        if (certificates_->makeLocalhostAndOther(problem_)) {
            certificates_->make("ip", "127.0.0.2", problem_, "IP:127.0.0.1,IP:::1");
        }
    }
    static void TearDownTestSuite() {
        delete certificates_;
        certificates_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(problem_.empty()) << problem_; }

    static std::string cert(const std::string& name) {
        return certificates_->certificateFile(name);
    }
    static std::vector<std::string> serverArgs(const std::string& name,
                                               std::vector<std::string> more) {
        more.insert(more.end(), {"--cert", cert(name), "--key", certificates_->keyFile(name)});
        return more;
    }
    static std::string script() { return testScriptPath("net/servers/echo_server.py"); }

    // A connection to a fresh server; the server lives as long as the fixture.
    std::unique_ptr<ByteStream> connectTo(PosixNetwork& network, const std::string& name,
                                          std::vector<std::string> args) {
        server_ = std::make_unique<ServerProcess>(script(), serverArgs(name, std::move(args)));
        if (!server_->started()) {
            ADD_FAILURE() << server_->error();
            return nullptr;
        }
        std::unique_ptr<ByteStream> stream;
        auto connected = network.connect(stream, "127.0.0.1", server_->port(), longWait, {});
        EXPECT_TRUE(connected.ok()) << connected.detail;
        return stream;
    }

    static inline test::TestCertificates* certificates_ = nullptr;
    static inline std::string problem_;
    std::unique_ptr<ServerProcess> server_;
};

// Sends `data` and reads `answerSize` bytes back (by default as many as were sent).
std::string echoed(ByteStream& stream, const std::string& data, std::size_t answerSize = 0) {
    answerSize = answerSize ? answerSize : data.size();
    auto written = stream.writeAll(data, longWait, {});
    EXPECT_TRUE(written.ok()) << written.detail;
    EXPECT_EQ(written.bytes, data.size());
    std::string back;
    char buffer[7000]; // not a multiple of the record size
    while (back.size() < answerSize) {
        auto got = stream.readSome(buffer, longWait, {});
        if (!got.ok()) {
            ADD_FAILURE() << got.detail;
            break;
        }
        back.append(buffer, got.bytes);
    }
    return back;
}

TEST_F(PosixTls, TrustedCertificateCarriesDataBothWaysAndClosesPolitely) {
    PosixNetwork network({cert("localhost")});
    auto stream = connectTo(network, "localhost", {"--tls"});
    ASSERT_TRUE(stream);
    auto started = stream->startTls("localhost", longWait, {});
    ASSERT_TRUE(started.ok()) << started.detail;
    EXPECT_TRUE(stream->isTls());

    EXPECT_EQ(echoed(*stream, "hello\r\n"), "hello\r\n");
    // Larger than several records, in pieces the server echoes while we still send.
    std::string big(100000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i % 253);
    }
    EXPECT_TRUE(echoed(*stream, big) == big);

    auto again = stream->startTls("localhost", longWait, {});
    EXPECT_FALSE(again.ok());
    stream->close();
    stream->close();
    EXPECT_FALSE(stream->isTls());
}

TEST_F(PosixTls, UpgradesAPlainConnectionAfterItsFirstLines) {
    PosixNetwork network({cert("localhost")});
    auto stream = connectTo(network, "localhost", {"--starttls"});
    ASSERT_TRUE(stream);
    EXPECT_EQ(echoed(*stream, "plain line\r\n"), "plain line\r\n");
    EXPECT_EQ(echoed(*stream, "STARTTLS\r\n", 7), "READY\r\n");
    auto started = stream->startTls("localhost", longWait, {});
    ASSERT_TRUE(started.ok()) << started.detail;
    EXPECT_EQ(echoed(*stream, "secret\r\n"), "secret\r\n");
}

TEST_F(PosixTls, RefusesUntrustedCertificatesAndOtherHosts) {
    {
        PosixNetwork trustsNothingExtra;
        auto stream = connectTo(trustsNothingExtra, "localhost", {"--tls"});
        ASSERT_TRUE(stream);
        auto refused = stream->startTls("localhost", longWait, {});
        EXPECT_EQ(refused.status, NetStatus::TlsFailed);
        EXPECT_EQ(refused.detail, "certificate is not trusted");
        // Refused, yet still up for a goodbye, so the server does not see a dropped
        // connection.
        ASSERT_TRUE(stream->isTls());
        EXPECT_EQ(echoed(*stream, "QUIT\r\n"), "QUIT\r\n");
    }
    {
        PosixNetwork trustsIt({cert("other")});
        auto stream = connectTo(trustsIt, "other", {"--tls"});
        ASSERT_TRUE(stream);
        auto refused = stream->startTls("localhost", longWait, {});
        EXPECT_EQ(refused.status, NetStatus::TlsFailed);
        EXPECT_EQ(refused.detail, "certificate is for another host");
    }
    {
        PosixNetwork missingFile({"/nonexistent/ca.pem"});
        auto stream = connectTo(missingFile, "localhost", {"--tls"});
        ASSERT_TRUE(stream);
        auto refused = stream->startTls("localhost", longWait, {});
        EXPECT_EQ(refused.status, NetStatus::TlsFailed);
        EXPECT_NE(refused.detail.find("/nonexistent/ca.pem"), std::string::npos);
    }
}

// The first line a --tell server sends: what our handshake told it.
std::string handshakeReport(ByteStream& stream) {
    std::string line;
    char byte = 0;
    while (byte != '\n' && stream.readSome(std::span<char>(&byte, 1), longWait, {}).ok()) {
        line += byte;
    }
    return line;
}

// A server given as an address: the certificate must name that address among its IP
// alternative names (its common name and DNS names do not count), and the handshake names
// no server (SNI carries host names only).
TEST_F(PosixTls, AddressesMatchOnlyIpAltNamesAndSendNoServerName) {
    PosixNetwork network({cert("ip"), cert("localhost")});
    for (const char* address : {"127.0.0.1", "::1"}) {
        auto stream = connectTo(network, "ip", {"--tls", "--tell"});
        ASSERT_TRUE(stream);
        auto started = stream->startTls(address, longWait, {});
        ASSERT_TRUE(started.ok()) << address << ": " << started.detail;
        EXPECT_EQ(handshakeReport(*stream), "SNI - REUSED no\r\n");
    }
    auto named = connectTo(network, "localhost", {"--tls", "--tell"});
    ASSERT_TRUE(named);
    ASSERT_TRUE(named->startTls("localhost", longWait, {}).ok());
    EXPECT_EQ(handshakeReport(*named), "SNI localhost REUSED no\r\n");

    const std::pair<const char*, const char*> mismatches[] = {
        {"ip", "127.0.0.2"}, {"ip", "::2"}, {"ip", "localhost"}, {"localhost", "127.0.0.1"}};
    for (const auto& [certificate, host] : mismatches) {
        auto stream = connectTo(network, certificate, {"--tls"});
        ASSERT_TRUE(stream);
        auto refused = stream->startTls(host, longWait, {});
        EXPECT_EQ(refused.status, NetStatus::TlsFailed) << host;
        EXPECT_EQ(refused.detail, "certificate is for another host") << host;
    }
}

// FTP data connections must resume the control connection's TLS session, each of them: with
// TLS 1.3 the tickets come after the handshake, and each connection should get a fresh one.
TEST_F(PosixTls, LaterConnectionsResumeTheFirstOnesSession) {
    for (const bool upToTls12 : {false, true}) {
        PosixNetwork network({cert("localhost")}, upToTls12);
        auto first = connectTo(network, "localhost", {"--tls", "--tell"});
        ASSERT_TRUE(first);
        ASSERT_TRUE(first->startTls("localhost", longWait, {}).ok());
        EXPECT_FALSE(first->tlsResumed());
        EXPECT_EQ(handshakeReport(*first), "SNI localhost REUSED no\r\n");
        const auto group = first->tlsResumption();
        ASSERT_TRUE(group);
        for (int round = 0; round < 4; ++round) {
            std::unique_ptr<ByteStream> later;
            ASSERT_TRUE(network.connect(later, "127.0.0.1", server_->port(), longWait, {}).ok());
            ASSERT_TRUE(later->resumeTls("localhost", group, longWait, {}).ok());
            EXPECT_TRUE(later->tlsResumed()) << "round " << round << " tls 1.2 only " << upToTls12;
            EXPECT_EQ(handshakeReport(*later), "SNI localhost REUSED yes\r\n");
            EXPECT_EQ(later->tlsResumption(), group);
            EXPECT_EQ(echoed(*later, "data"), "data");
            later->close();
        }
        // Nor is a session offered to another host, whose certificate is checked in full.
        std::unique_ptr<ByteStream> other;
        ASSERT_TRUE(network.connect(other, "127.0.0.1", server_->port(), longWait, {}).ok());
        EXPECT_EQ(other->resumeTls("127.0.0.1", group, longWait, {}).detail,
                  "certificate is for another host");
    }
}

TEST_F(PosixTls, HandshakeWithASilentServerTimesOutOrAborts) {
    PosixNetwork network({cert("localhost")});
    auto stream = connectTo(network, "localhost", {"--silent"});
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->startTls("localhost", 300, {}).status, NetStatus::TimedOut);

    auto other = connectTo(network, "localhost", {"--silent"});
    ASSERT_TRUE(other);
    const auto start = Clock::now();
    const auto stopAt = start + std::chrono::milliseconds(200);
    auto aborted = other->startTls("localhost", 60000, [stopAt] { return Clock::now() >= stopAt; });
    EXPECT_EQ(aborted.status, NetStatus::Aborted);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 2.0);
}

TEST_F(PosixTls, ServerEndingTheConnectionIsClosedNotAnError) {
    PosixNetwork network({cert("localhost")});
    auto stream = connectTo(network, "localhost", {"--tls", "--close-after", "5"});
    ASSERT_TRUE(stream);
    ASSERT_TRUE(stream->startTls("localhost", longWait, {}).ok());
    EXPECT_EQ(echoed(*stream, "12345"), "12345");
    char byte;
    auto ended = stream->readSome(std::span<char>(&byte, 1), longWait, {});
    EXPECT_EQ(ended.status, NetStatus::Closed);
    EXPECT_EQ(ended.bytes, 0u);
}

// Active-mode FTP over TLS: the server opens the data connection to us, and we are still
// the TLS client on it.
TEST_F(PosixTls, AcceptedConnectionTurnsTlsAsTheClient) {
    PosixNetwork network({cert("localhost")});
    std::unique_ptr<Listener> listener;
    ASSERT_TRUE(network.listen(listener, "127.0.0.1").ok());
    ServerProcess dialer(
        script(),
        serverArgs("localhost", {"--tls", "--dial", std::to_string(listener->address().port)}));
    std::unique_ptr<ByteStream> accepted;
    auto took = listener->accept(accepted, longWait, {});
    ASSERT_TRUE(took.ok()) << took.detail << dialer.stderrText();
    auto started = accepted->startTls("localhost", longWait, {});
    ASSERT_TRUE(started.ok()) << started.detail;
    EXPECT_EQ(echoed(*accepted, "data\r\n"), "data\r\n");
}

} // namespace
} // namespace pictorn::net
