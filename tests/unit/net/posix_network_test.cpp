// The POSIX transport against real local servers: the same behaviour the Winsock one must
// show, so the mail and FTP tests can rely on it.
#include "platform/posix/posix_network.h"
#include "support/server_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace pictorn::net {
namespace {

using platform::AbortCheck;
using platform::Address;
using platform::ByteStream;
using platform::Listener;
using platform::NetResult;
using platform::NetStatus;
using platform::posix::PosixNetwork;
using test::ServerProcess;
using test::testScriptPath;
using Clock = std::chrono::steady_clock;

constexpr int longWait = 10000;

std::string echoScript() {
    return testScriptPath("net/servers/echo_server.py");
}

// An abort check that says stop once `afterMs` have passed since it was made.
AbortCheck abortAfter(int afterMs) {
    const auto when = Clock::now() + std::chrono::milliseconds(afterMs);
    return [when] {
        return Clock::now() >= when;
    };
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Reads until `size` bytes have come or the stream fails.
NetResult readExactly(ByteStream& stream, std::string& into, std::size_t size) {
    char buffer[16384];
    while (into.size() < size) {
        auto got = stream.readSome(
            std::span<char>(buffer, std::min(sizeof buffer, size - into.size())), longWait, {});
        if (!got.ok()) {
            return got;
        }
        into.append(buffer, got.bytes);
    }
    return {};
}

std::string pattern(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    }
    return data;
}

TEST(PosixNetwork, EchoRoundTripByNameKeepsEveryByteAndReportsBothEnds) {
    ServerProcess server(echoScript(), {});
    ASSERT_TRUE(server.started()) << server.error();
    PosixNetwork network;
    std::unique_ptr<ByteStream> stream;
    auto connected = network.connect(stream, "localhost", server.port(), longWait, {});
    ASSERT_TRUE(connected.ok()) << connected.detail;
    EXPECT_FALSE(stream->isTls());
    EXPECT_EQ(stream->peerAddress().ip, "127.0.0.1");
    EXPECT_EQ(stream->peerAddress().port, server.port());
    EXPECT_EQ(stream->localAddress().ip, "127.0.0.1");
    EXPECT_NE(stream->localAddress().port, 0);

    // More than the socket buffers hold, so both directions must wait for the other side.
    const std::string sent = pattern(3 * 1024 * 1024 + 17);
    std::string received;
    // The echo comes back while we send, so read on the side; one thread writes, one reads.
    NetResult readResult;
    std::thread reader([&] { readResult = readExactly(*stream, received, sent.size()); });
    auto written = stream->writeAll(sent, longWait, {});
    reader.join();
    ASSERT_TRUE(written.ok()) << written.detail;
    EXPECT_EQ(written.bytes, sent.size());
    ASSERT_TRUE(readResult.ok()) << readResult.detail;
    EXPECT_TRUE(received == sent);

    stream->close();
    stream->close();
    char byte;
    EXPECT_EQ(stream->readSome(std::span<char>(&byte, 1), 100, {}).status, NetStatus::Closed);
    EXPECT_EQ(stream->writeAll("x", 100, {}).status, NetStatus::Closed);
}

TEST(PosixNetwork, ConnectsOverIpv6) {
    ServerProcess server(echoScript(), {"--host", "::1"});
    if (!server.started()) {
        GTEST_SKIP() << "no IPv6 loopback here: " << server.error();
    }
    PosixNetwork network;
    std::unique_ptr<ByteStream> stream;
    auto connected = network.connect(stream, "::1", server.port(), longWait, {});
    ASSERT_TRUE(connected.ok()) << connected.detail;
    EXPECT_EQ(stream->peerAddress().ip, "::1");
    EXPECT_TRUE(stream->peerAddress().isV6());
    ASSERT_TRUE(stream->writeAll("ping\n", longWait, {}).ok());
    std::string echoed;
    ASSERT_TRUE(readExactly(*stream, echoed, 5).ok());
    EXPECT_EQ(echoed, "ping\n");
}

TEST(PosixNetwork, SilentServerTimesOutAndAbortEndsWaitsEarly) {
    ServerProcess server(echoScript(), {"--silent"});
    ASSERT_TRUE(server.started()) << server.error();
    PosixNetwork network;
    std::unique_ptr<ByteStream> stream;
    ASSERT_TRUE(network.connect(stream, "127.0.0.1", server.port(), longWait, {}).ok());
    char buffer[64];

    auto timedOut = stream->readSome(buffer, 300, {});
    EXPECT_EQ(timedOut.status, NetStatus::TimedOut);
    EXPECT_EQ(timedOut.bytes, 0u);
    EXPECT_FALSE(timedOut.detail.empty());

    auto start = Clock::now();
    auto aborted = stream->readSome(buffer, 60000, abortAfter(200));
    EXPECT_EQ(aborted.status, NetStatus::Aborted);
    EXPECT_LT(secondsSince(start), 2.0);

    // The server never reads: sending fills the buffers, then waits for the peer in vain.
    const std::string lots = pattern(64 * 1024 * 1024);
    auto stuck = stream->writeAll(lots, 300, {});
    EXPECT_EQ(stuck.status, NetStatus::TimedOut);
    EXPECT_GT(stuck.bytes, 0u);
    EXPECT_LT(stuck.bytes, lots.size());

    start = Clock::now();
    auto abortedWrite = stream->writeAll(lots, 60000, abortAfter(200));
    EXPECT_EQ(abortedWrite.status, NetStatus::Aborted);
    EXPECT_LT(secondsSince(start), 2.0);
}

TEST(PosixNetwork, ConnectWithoutAnswerTimesOutOrAborts) {
    ServerProcess server(echoScript(), {"--full"});
    ASSERT_TRUE(server.started()) << server.error();
    PosixNetwork network;
    std::unique_ptr<ByteStream> stream;
    auto timedOut = network.connect(stream, "127.0.0.1", server.port(), 300, {});
    EXPECT_EQ(timedOut.status, NetStatus::TimedOut);
    EXPECT_EQ(timedOut.detail, "connection timed out");
    EXPECT_EQ(stream, nullptr);

    const auto start = Clock::now();
    auto aborted = network.connect(stream, "127.0.0.1", server.port(), 60000, abortAfter(200));
    EXPECT_EQ(aborted.status, NetStatus::Aborted);
    EXPECT_LT(secondsSince(start), 2.0);
    EXPECT_EQ(stream, nullptr);
    // An abort already asked for stops before the connection is tried.
    EXPECT_EQ(
        network.connect(stream, "127.0.0.1", server.port(), longWait, [] { return true; }).status,
        NetStatus::Aborted);
}

TEST(PosixNetwork, ConnectFailuresAreNamed) {
    PosixNetwork network;
    std::unique_ptr<ByteStream> stream;

    // A port that was just free: nobody listens there.
    std::unique_ptr<Listener> listener;
    ASSERT_TRUE(network.listen(listener, "127.0.0.1").ok());
    const auto closedPort = listener->address().port;
    listener.reset();
    auto refused = network.connect(stream, "127.0.0.1", closedPort, longWait, {});
    EXPECT_EQ(refused.status, NetStatus::Refused);
    EXPECT_EQ(refused.detail, "connection refused");
    EXPECT_EQ(stream, nullptr);

    auto notFound = network.connect(stream, "no-such-host.invalid", 25, longWait, {});
    EXPECT_EQ(notFound.status, NetStatus::NotFound);
    EXPECT_EQ(notFound.detail, "host not found");
    EXPECT_EQ(stream, nullptr);
}

TEST(PosixNetwork, ListenerAcceptsBothDirectionsAndSeesTheEnd) {
    PosixNetwork network;
    std::unique_ptr<Listener> listener;
    ASSERT_TRUE(network.listen(listener, "127.0.0.1").ok());
    const Address where = listener->address();
    EXPECT_EQ(where.ip, "127.0.0.1");
    ASSERT_NE(where.port, 0);

    std::unique_ptr<ByteStream> accepted;
    EXPECT_EQ(listener->accept(accepted, 200, {}).status, NetStatus::TimedOut);
    EXPECT_EQ(listener->accept(accepted, 60000, abortAfter(150)).status, NetStatus::Aborted);
    EXPECT_EQ(accepted, nullptr);

    std::unique_ptr<ByteStream> client;
    ASSERT_TRUE(network.connect(client, where.ip, where.port, longWait, {}).ok());
    auto took = listener->accept(accepted, longWait, {});
    ASSERT_TRUE(took.ok()) << took.detail;
    EXPECT_EQ(accepted->peerAddress().port, client->localAddress().port);
    EXPECT_EQ(accepted->localAddress().port, where.port);

    ASSERT_TRUE(client->writeAll("from client", longWait, {}).ok());
    std::string got;
    ASSERT_TRUE(readExactly(*accepted, got, 11).ok());
    EXPECT_EQ(got, "from client");
    ASSERT_TRUE(accepted->writeAll("back", longWait, {}).ok());
    got.clear();
    ASSERT_TRUE(readExactly(*client, got, 4).ok());
    EXPECT_EQ(got, "back");

    // The end of a transfer, as an FTP data connection signals it.
    accepted->close();
    char byte;
    auto ended = client->readSome(std::span<char>(&byte, 1), longWait, {});
    EXPECT_EQ(ended.status, NetStatus::Closed);
    EXPECT_EQ(ended.bytes, 0u);
}

TEST(PosixNetwork, ListensOnIpv6AndRefusesNames) {
    PosixNetwork network;
    std::unique_ptr<Listener> listener;
    auto named = network.listen(listener, "localhost");
    EXPECT_EQ(named.status, NetStatus::Failed);
    EXPECT_EQ(listener, nullptr);
    if (network.listen(listener, "::1").ok()) {
        EXPECT_EQ(listener->address().ip, "::1");
        std::unique_ptr<ByteStream> client, accepted;
        ASSERT_TRUE(network.connect(client, "::1", listener->address().port, longWait, {}).ok());
        EXPECT_TRUE(listener->accept(accepted, longWait, {}).ok());
    }
}

} // namespace
} // namespace pictorn::net
