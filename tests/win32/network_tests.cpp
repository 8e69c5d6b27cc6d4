// The Winsock + Schannel transport against local python servers that scripts/test.sh starts
// (tests/win32/net_servers.sh) and whose certificate it trusts in the test prefix.
#include "platform/win32/schannel_session.h"
#include "platform/win32/win32_network.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace pictorn::platform::win32 {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int longWait = 10000;

std::uint16_t serverPort(const char* name) {
    const char* value = std::getenv(name);
    return value ? static_cast<std::uint16_t>(std::strtoul(value, nullptr, 10)) : 0;
}

AbortCheck abortAfter(int afterMs) {
    const auto when = Clock::now() + std::chrono::milliseconds(afterMs);
    return [when] {
        return Clock::now() >= when;
    };
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Sends `data` and reads `answerSize` bytes back (by default as many as were sent).
std::string exchange(ByteStream& stream, const std::string& data, std::size_t answerSize = 0) {
    answerSize = answerSize ? answerSize : data.size();
    auto written = stream.writeAll(data, longWait, {});
    EXPECT_TRUE(written.ok()) << written.detail;
    EXPECT_EQ(written.bytes, data.size());
    std::string back;
    char buffer[7000]; // not a multiple of the TLS record size
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

std::string pattern(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    }
    return data;
}

class Win32NetworkTest : public testing::Test {
protected:
    // A connection to one of the servers, or a skip when the servers are not running.
    std::unique_ptr<ByteStream> connectTo(const char* portVariable) {
        const auto port = serverPort(portVariable);
        if (port == 0) {
            return nullptr;
        }
        std::unique_ptr<ByteStream> stream;
        auto connected = network_.connect(stream, "127.0.0.1", port, longWait, {});
        EXPECT_TRUE(connected.ok()) << connected.detail;
        return stream;
    }

    Win32Network network_;
};

#define CONNECT_OR_SKIP(stream, variable)                                                          \
    auto stream = connectTo(variable);                                                             \
    if (!stream && serverPort(variable) == 0) {                                                    \
        GTEST_SKIP() << variable << " is not set: scripts/test.sh starts the servers";             \
    }                                                                                              \
    ASSERT_TRUE(stream)

TEST_F(Win32NetworkTest, PlainEchoKeepsEveryByteAndReportsBothEnds) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_ECHO_PORT");
    EXPECT_FALSE(stream->isTls());
    EXPECT_EQ(stream->peerAddress().ip, "127.0.0.1");
    EXPECT_EQ(stream->peerAddress().port, serverPort("PICTORN_TEST_NET_ECHO_PORT"));
    EXPECT_NE(stream->localAddress().port, 0);
    for (int round = 0; round < 8; ++round) {
        const std::string piece = pattern(128 * 1024 + round);
        ASSERT_TRUE(exchange(*stream, piece) == piece) << "round " << round;
    }
    stream->close();
    stream->close();
    char byte;
    EXPECT_EQ(stream->readSome(std::span<char>(&byte, 1), 100, {}).status, NetStatus::Closed);
}

TEST_F(Win32NetworkTest, StartTlsUpgradesAfterPlainLines) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_STARTTLS_PORT");
    EXPECT_EQ(exchange(*stream, "EHLO pictorn\r\n"), "EHLO pictorn\r\n");
    EXPECT_EQ(exchange(*stream, "STARTTLS\r\n", 7), "READY\r\n");
    auto started = stream->startTls("localhost", longWait, {});
    ASSERT_TRUE(started.ok()) << started.detail;
    EXPECT_TRUE(stream->isTls());
    EXPECT_EQ(exchange(*stream, "secret\r\n"), "secret\r\n");
    // Several records each way, read in pieces that cut records apart.
    const std::string big = pattern(300000);
    EXPECT_TRUE(exchange(*stream, big) == big);
    EXPECT_FALSE(stream->startTls("localhost", longWait, {}).ok());
    stream->close();
    EXPECT_FALSE(stream->isTls());
}

TEST_F(Win32NetworkTest, ImplicitTlsWithTheTrustedCertificate) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_TLS_PORT");
    auto started = stream->startTls("localhost", longWait, {});
    ASSERT_TRUE(started.ok()) << started.detail;
    EXPECT_EQ(exchange(*stream, "hello\r\n"), "hello\r\n");
}

// Some mail servers ask every client for a certificate without needing one.
TEST_F(Win32NetworkTest, ServerAskingForAClientCertificateGetsNoneAndGoesOn) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_TLS_ASKS_CERT_PORT");
    // Waiting for more from the server at that point stalls the handshake for seconds.
    auto started = stream->startTls("localhost", 2000, {});
    ASSERT_TRUE(started.ok()) << started.detail;
    EXPECT_EQ(exchange(*stream, "hello\r\n"), "hello\r\n");
}

TEST_F(Win32NetworkTest, TlsServerEndingTheConnectionIsClosedNotAnError) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_TLS_CLOSING_PORT");
    ASSERT_TRUE(stream->startTls("localhost", longWait, {}).ok());
    EXPECT_EQ(exchange(*stream, "12345"), "12345");
    char byte;
    auto ended = stream->readSome(std::span<char>(&byte, 1), longWait, {});
    EXPECT_EQ(ended.status, NetStatus::Closed);
    EXPECT_EQ(ended.bytes, 0u);
    // Reading again after the end keeps saying so.
    EXPECT_EQ(stream->readSome(std::span<char>(&byte, 1), 100, {}).status, NetStatus::Closed);
}

TEST_F(Win32NetworkTest, RefusesAnUntrustedCertificate) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_UNTRUSTED_PORT");
    auto refused = stream->startTls("localhost", longWait, {});
    EXPECT_EQ(refused.status, NetStatus::TlsFailed);
    EXPECT_EQ(refused.detail, "certificate is not trusted");
    // Refused, yet still up for a goodbye, so the server does not see a dropped connection.
    ASSERT_TRUE(stream->isTls());
    ASSERT_TRUE(stream->writeAll("QUIT\r\n", longWait, {}).ok());
    std::string answer(6, '\0');
    EXPECT_TRUE(stream->readSome(answer, longWait, {}).ok());
}

TEST_F(Win32NetworkTest, RefusesACertificateForAnotherHost) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_TLS_PORT");
    auto refused = stream->startTls("otherhost.example", longWait, {});
    EXPECT_EQ(refused.status, NetStatus::TlsFailed);
    EXPECT_EQ(refused.detail, "certificate is for another host");
}

// The first line the TLS_TELL server sends: what our handshake told it.
std::string handshakeReport(ByteStream& stream) {
    std::string line;
    char byte = 0;
    while (byte != '\n' && stream.readSome(std::span<char>(&byte, 1), longWait, {}).ok()) {
        line += byte;
    }
    return line;
}

// A server given as an address is checked against the certificate's IP alternative names
// (Wine's chain policy matches none), and the handshake names no server: SNI carries host
// names only.
TEST_F(Win32NetworkTest, AddressesMatchIpAltNamesAndSendNoServerName) {
    for (const char* address : {"127.0.0.1", "::1"}) {
        CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_TLS_TELL_PORT");
        auto started = stream->startTls(address, longWait, {});
        ASSERT_TRUE(started.ok()) << address << ": " << started.detail;
        EXPECT_EQ(handshakeReport(*stream).substr(0, 6), "SNI - ") << address;
    }
    CONNECT_OR_SKIP(named, "PICTORN_TEST_NET_TLS_TELL_PORT");
    ASSERT_TRUE(named->startTls("localhost", longWait, {}).ok());
    EXPECT_EQ(handshakeReport(*named).substr(0, 14), "SNI localhost ");
    for (const char* other : {"127.0.0.2", "::2"}) {
        CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_TLS_PORT");
        auto refused = stream->startTls(other, longWait, {});
        EXPECT_EQ(refused.status, NetStatus::TlsFailed) << other;
        EXPECT_EQ(refused.detail, "certificate is for another host") << other;
    }
}

// FTP data connections must resume the control connection's TLS session. Schannel finds the
// session to resume by the credentials handle and the target name, so later connections
// share both with the first. Whether the server resumed is for it to say (Wine's Schannel
// never resumes); the stream must say the same.
TEST_F(Win32NetworkTest, LaterConnectionsShareTheFirstOnesCredentialsAndTargetName) {
    CONNECT_OR_SKIP(first, "PICTORN_TEST_NET_TLS_TELL_PORT");
    ASSERT_TRUE(first->startTls("localhost", longWait, {}).ok());
    EXPECT_EQ(handshakeReport(*first), "SNI localhost REUSED no\r\n");
    const auto group = std::dynamic_pointer_cast<SchannelResumption>(first->tlsResumption());
    ASSERT_TRUE(group);
    for (int round = 0; round < 2; ++round) {
        CONNECT_OR_SKIP(later, "PICTORN_TEST_NET_TLS_TELL_PORT");
        ASSERT_TRUE(later->resumeTls("localhost", group, longWait, {}).ok());
        EXPECT_EQ(later->tlsResumption(), group);
        const std::string said = later->tlsResumed() ? "yes" : "no";
        EXPECT_EQ(handshakeReport(*later), "SNI localhost REUSED " + said + "\r\n");
        EXPECT_EQ(exchange(*later, "data"), "data");
    }
    CONNECT_OR_SKIP(other, "PICTORN_TEST_NET_TLS_TELL_PORT");
    ASSERT_TRUE(other->resumeTls("127.0.0.1", group, longWait, {}).ok());
    const auto otherGroup = std::dynamic_pointer_cast<SchannelResumption>(other->tlsResumption());
    ASSERT_TRUE(otherGroup);
    EXPECT_FALSE(otherGroup->credentials() == group->credentials());
}

TEST_F(Win32NetworkTest, SilentServerTimesOutAndAbortAnswersQuickly) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_SILENT_PORT");
    char buffer[64];
    EXPECT_EQ(stream->readSome(buffer, 300, {}).status, NetStatus::TimedOut);

    auto start = Clock::now();
    EXPECT_EQ(stream->readSome(buffer, 60000, abortAfter(200)).status, NetStatus::Aborted);
    EXPECT_LT(secondsSince(start), 2.0);

    // Nobody reads: the buffers fill and the send waits for the peer in vain.
    const std::string lots = pattern(64 * 1024 * 1024);
    auto stuck = stream->writeAll(lots, 300, {});
    EXPECT_EQ(stuck.status, NetStatus::TimedOut);
    EXPECT_LT(stuck.bytes, lots.size());
    start = Clock::now();
    EXPECT_EQ(stream->writeAll(lots, 60000, abortAfter(200)).status, NetStatus::Aborted);
    EXPECT_LT(secondsSince(start), 2.0);
}

TEST_F(Win32NetworkTest, TlsHandshakeWithASilentServerTimesOutOrAborts) {
    CONNECT_OR_SKIP(stream, "PICTORN_TEST_NET_SILENT_PORT");
    EXPECT_EQ(stream->startTls("localhost", 300, {}).status, NetStatus::TimedOut);
    auto other = connectTo("PICTORN_TEST_NET_SILENT_PORT");
    ASSERT_TRUE(other);
    const auto start = Clock::now();
    EXPECT_EQ(other->startTls("localhost", 60000, abortAfter(200)).status, NetStatus::Aborted);
    EXPECT_LT(secondsSince(start), 2.0);
}

TEST_F(Win32NetworkTest, ConnectWithoutAnswerTimesOutOrAborts) {
    const auto port = serverPort("PICTORN_TEST_NET_FULL_PORT");
    if (port == 0) {
        GTEST_SKIP() << "PICTORN_TEST_NET_FULL_PORT is not set: scripts/test.sh starts the servers";
    }
    std::unique_ptr<ByteStream> stream;
    auto timedOut = network_.connect(stream, "127.0.0.1", port, 300, {});
    EXPECT_EQ(timedOut.status, NetStatus::TimedOut);
    EXPECT_EQ(timedOut.detail, "connection timed out");
    EXPECT_EQ(stream, nullptr);

    const auto start = Clock::now();
    auto aborted = network_.connect(stream, "127.0.0.1", port, 60000, abortAfter(200));
    EXPECT_EQ(aborted.status, NetStatus::Aborted);
    EXPECT_LT(secondsSince(start), 2.0);
}

// No servers needed: our own listener, a port nobody listens on, a name that does not exist.
TEST_F(Win32NetworkTest, ListenAcceptRefusedAndNotFound) {
    std::unique_ptr<Listener> listener;
    ASSERT_TRUE(network_.listen(listener, "127.0.0.1").ok());
    const auto where = listener->address();
    EXPECT_EQ(where.ip, "127.0.0.1");
    ASSERT_NE(where.port, 0);
    std::unique_ptr<ByteStream> accepted;
    EXPECT_EQ(listener->accept(accepted, 200, {}).status, NetStatus::TimedOut);
    EXPECT_EQ(listener->accept(accepted, 60000, abortAfter(150)).status, NetStatus::Aborted);

    std::unique_ptr<ByteStream> client;
    ASSERT_TRUE(network_.connect(client, where.ip, where.port, longWait, {}).ok());
    ASSERT_TRUE(listener->accept(accepted, longWait, {}).ok());
    EXPECT_EQ(accepted->peerAddress().port, client->localAddress().port);
    ASSERT_TRUE(client->writeAll("data", longWait, {}).ok());
    char buffer[16];
    auto got = accepted->readSome(buffer, longWait, {});
    ASSERT_TRUE(got.ok()) << got.detail;
    EXPECT_EQ(std::string(buffer, got.bytes), "data");
    accepted->close();
    EXPECT_EQ(client->readSome(buffer, longWait, {}).status, NetStatus::Closed);

    listener.reset();
    std::unique_ptr<ByteStream> none;
    auto refused = network_.connect(none, "127.0.0.1", where.port, longWait, {});
    EXPECT_EQ(refused.status, NetStatus::Refused);
    EXPECT_EQ(refused.detail, "connection refused");
    auto notFound = network_.connect(none, "no-such-host.invalid", 25, longWait, {});
    EXPECT_EQ(notFound.status, NetStatus::NotFound);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(network_.listen(listener, "localhost").status, NetStatus::Failed);
}

} // namespace
} // namespace pictorn::platform::win32
