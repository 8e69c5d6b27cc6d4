// The session's decisions against a scripted server: what it sends, what it logs and how
// it reports each failure. Real transfers are tested against a local server elsewhere.
#include "net/ftp_session.h"
#include "net/scripted_ftp.h"

#include <gtest/gtest.h>

namespace pictorn::net {
namespace {

using platform::NetStatus;
using testing::ScriptedNetwork;

const char* kFeatPlain = "211-Features:\r\n EPSV\r\n UTF8\r\n211 End";
const char* kFeatTls = "211-Features:\r\n AUTH TLS\r\n PBSZ\r\n PROT\r\n211 End";

ScriptedNetwork& loggedIn(ScriptedNetwork& net, const char* feat = kFeatPlain) {
    net.greet("220-Welcome\r\n220 to the test server");
    net.on("FEAT", feat);
    if (feat == kFeatTls) {
        net.on("AUTH TLS", "234 go").on("PBSZ 0", "200 ok").on("PROT P", "200 ok");
    }
    return net.on("USER bob", "331 password please")
        .on("PASS s3cret", "230 welcome")
        .on("TYPE I", "200 binary");
}

FtpLogin bob(bool passive = true) {
    return FtpLogin{"example.com", "bob", "s3cret", passive};
}

// A passive STOR of `name` that the server accepts and renames into place.
ScriptedNetwork& acceptedPut(ScriptedNetwork& net, const std::string& name) {
    return net.on("EPSV", "229 Entering Extended Passive Mode (|||6000|)")
        .on("STOR " + name + ".part", "150 go ahead\r\n226 done")
        .on("RNFR " + name + ".part", "350 ready")
        .on("RNTO " + name, "250 renamed");
}

TEST(FtpSessionLogic, LoginLogsRepliesAndHidesThePassword) {
    ScriptedNetwork net;
    loggedIn(net).on("CWD /www", "250 ok").on("QUIT", "221 bye");
    FtpSession ftp(net, {});
    ASSERT_TRUE(ftp.connect(bob()).ok()) << ftp.log();
    EXPECT_FALSE(ftp.secured());
    ASSERT_TRUE(ftp.changeFolder("/www").ok());
    ftp.quit();
    EXPECT_FALSE(ftp.connected());
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
    EXPECT_TRUE(net.controlClosed);
    const std::string& log = ftp.log();
    EXPECT_NE(log.find("< 220-Welcome\r\n< 220 to the test server\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("> PASS ****\r\n"), std::string::npos);
    EXPECT_EQ(log.find("s3cret"), std::string::npos);
    EXPECT_NE(log.find("not encrypted"), std::string::npos);
    EXPECT_NE(log.find("< 221 bye"), std::string::npos);
}

TEST(FtpSessionLogic, OfferedTlsSecuresControlAndDataWithTheServerName) {
    ScriptedNetwork net;
    acceptedPut(loggedIn(net, kFeatTls), "a.png");
    FtpSession ftp(net, {});
    ASSERT_TRUE(ftp.connect(bob()).ok()) << ftp.log();
    EXPECT_TRUE(ftp.secured());
    MemoryUploadSource bytes("hello");
    ASSERT_TRUE(ftp.putFile(bytes, "a.png").ok()) << ftp.log();
    EXPECT_EQ(net.tlsHosts, (std::vector<std::string>{"example.com", "example.com"}));
    ASSERT_EQ(net.dataConnections.size(), 1u);
    EXPECT_TRUE(net.dataConnections[0]->tls);
    EXPECT_EQ(net.dataConnections[0]->bytes, "hello");
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
}

TEST(FtpSessionLogic, FailedCertificateCheckEndsTheConnectBeforeLoginWithAGoodbye) {
    ScriptedNetwork net;
    net.greet("220 hi").on("FEAT", kFeatTls).on("AUTH TLS", "234 go").on("QUIT", "221 bye");
    net.tlsResult.status = NetStatus::TlsFailed;
    net.tlsResult.detail = "certificate is not trusted";
    net.tlsUpWhenRefused = true; // as Schannel's, checked after the handshake
    FtpSession ftp(net, {});
    const FtpResult r = ftp.connect(bob());
    EXPECT_EQ(r.status, SessionStatus::TlsFailed);
    EXPECT_EQ(r.error, "Connect: TLS with example.com: the secure connection failed "
                       "(certificate is not trusted).");
    EXPECT_FALSE(ftp.connected());
    EXPECT_TRUE(net.controlClosed);
    EXPECT_EQ(net.commands, (std::vector<std::string>{"FEAT", "AUTH TLS", "QUIT"}));
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
}

TEST(FtpSessionLogic, RepliesSentInTheClearWithAuthTlsEndTheConnect) {
    ScriptedNetwork net;
    net.greet("220 hi").on("FEAT", kFeatTls).on("AUTH TLS", "234 go\r\n230 welcome");
    FtpSession ftp(net, {});
    const FtpResult r = ftp.connect(bob());
    EXPECT_EQ(r.error, "Connect: TLS with example.com: the secure connection failed "
                       "(unexpected data before the tls handshake).");
    EXPECT_TRUE(net.tlsHosts.empty());
    EXPECT_FALSE(ftp.connected());
}

TEST(FtpSessionLogic, RefusalsNameTheStepAndTheServersReply) {
    {
        ScriptedNetwork net;
        net.greet("220 hi").on("FEAT", "500 what").on("AUTH TLS", "502 no");
        net.on("USER bob", "331 pw").on("PASS", "530 Login incorrect.");
        FtpSession ftp(net, {});
        const FtpResult r = ftp.connect(bob());
        EXPECT_EQ(r.status, SessionStatus::Refused);
        EXPECT_EQ(r.step, FtpStep::Connect);
        EXPECT_EQ(r.reply, "530 Login incorrect.");
        EXPECT_EQ(r.error, "Connect: the server refused the login: 530 Login incorrect.");
        EXPECT_FALSE(ftp.connected());
        EXPECT_NE(ftp.log().find("! Connect: the server refused the login"), std::string::npos);
    }
    {
        ScriptedNetwork net;
        loggedIn(net).on("CWD /missing", "550 No such file or directory");
        FtpSession ftp(net, {});
        ASSERT_TRUE(ftp.connect(bob()).ok());
        const FtpResult r = ftp.changeFolder("/missing");
        EXPECT_EQ(r.step, FtpStep::ChangeFolder);
        EXPECT_EQ(r.error, "Change folder: the server refused to change to \"/missing\": 550 No "
                           "such file or directory.");
        EXPECT_TRUE(ftp.connected()); // a refusal leaves the session usable
    }
    {
        ScriptedNetwork net;
        net.greet("421 Too many users");
        FtpSession ftp(net, {});
        EXPECT_EQ(ftp.connect(bob()).error,
                  "Connect: the server refused the connection: 421 Too many users.");
    }
    {
        ScriptedNetwork net;
        net.greet("220 hi");
        net.connectResult.status = NetStatus::Refused;
        FtpSession ftp(net, {});
        EXPECT_EQ(ftp.connect({"example.com:2121", "bob", "pw", true}).error,
                  "Connect: cannot reach example.com:2121: connection refused.");
    }
}

TEST(FtpSessionLogic, LineBreaksInNamesAreRefusedBeforeAnythingIsSent) {
    ScriptedNetwork net;
    loggedIn(net);
    FtpSession ftp(net, {});
    EXPECT_EQ(ftp.connect({"example.com", "bob\r\nDELE x", "pw", true}).status,
              SessionStatus::InvalidInput);
    EXPECT_TRUE(net.commands.empty());
    ASSERT_TRUE(ftp.connect(bob()).ok());
    const std::size_t sent = net.commands.size();
    EXPECT_EQ(ftp.changeFolder("/www\r\nDELE index.html").status, SessionStatus::InvalidInput);
    MemoryUploadSource bytes("x");
    EXPECT_EQ(ftp.putFile(bytes, "a\nb.png").status, SessionStatus::InvalidInput);
    EXPECT_EQ(net.commands.size(), sent);
    EXPECT_EQ(ftp.connect({"host:99999", "bob", "pw", true}).status, SessionStatus::InvalidInput);
}

TEST(FtpSessionLogic, PassiveFallsBackToPasvAndDistrustsPrivateAddresses) {
    ScriptedNetwork net;
    net.controlPeer = {"203.0.113.7", 21};
    loggedIn(net)
        .on("EPSV", "500 EPSV not understood")
        .on("PASV", "227 Entering Passive Mode (192,168,1,20,19,137)")
        .on("STOR a.png.part", "150 go\r\n226 done")
        .on("RNFR", "350 ok")
        .on("RNTO", "250 ok")
        .on("PASV", "227 Entering Passive Mode (198,51,100,4,19,138)") // no EPSV again
        .on("STOR b.png.part", "150 go\r\n226 done")
        .on("RNFR", "350 ok")
        .on("RNTO", "250 ok");
    FtpSession ftp(net, {});
    ASSERT_TRUE(ftp.connect(bob()).ok());
    MemoryUploadSource a("aaa");
    MemoryUploadSource b("bbb");
    ASSERT_TRUE(ftp.putFile(a, "a.png").ok()) << ftp.log();
    ASSERT_TRUE(ftp.putFile(b, "b.png").ok()) << ftp.log();
    ASSERT_EQ(net.dataConnections.size(), 2u);
    EXPECT_EQ(net.dataConnections[0]->connectedTo, "203.0.113.7:5001");
    EXPECT_EQ(net.dataConnections[1]->connectedTo, "198.51.100.4:5002");
    EXPECT_NE(ftp.log().find("192.168.1.20, which cannot be reached from here: using 203.0.113.7"),
              std::string::npos);
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
}

TEST(FtpSessionLogic, ActiveModeListensOnTheControlAddressAndFallsBackToPort) {
    ScriptedNetwork net;
    net.controlLocal = {"192.0.2.10", 50000};
    loggedIn(net)
        .on("EPRT |1|192.0.2.10|40000|", "502 not implemented")
        .on("PORT 192,0,2,10,156,64", "200 ok")
        .on("STOR a.png.part", "150 go\r\n226 done")
        .on("RNFR", "350 ok")
        .on("RNTO", "250 ok");
    FtpSession ftp(net, {});
    ASSERT_TRUE(ftp.connect(bob(false)).ok());
    MemoryUploadSource a("active bytes");
    ASSERT_TRUE(ftp.putFile(a, "a.png").ok()) << ftp.log();
    EXPECT_EQ(net.listenedOn, (std::vector<std::string>{"192.0.2.10"}));
    ASSERT_EQ(net.dataConnections.size(), 1u);
    EXPECT_EQ(net.dataConnections[0]->bytes, "active bytes");
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
}

TEST(FtpSessionLogic, RefusedRenameStoresUnderTheNameDirectlyFromThenOn) {
    ScriptedNetwork net;
    loggedIn(net)
        .on("EPSV", "229 (|||6000|)")
        .on("STOR a.png.part", "150 go\r\n226 done")
        .on("RNFR a.png.part", "350 ok")
        .on("RNTO a.png", "553 Rename not permitted")
        .on("DELE a.png.part", "550 Delete not permitted")
        .on("EPSV", "229 (|||6001|)")
        .on("STOR a.png", "150 go\r\n226 done")
        .on("EPSV", "229 (|||6002|)")
        .on("STOR b.png", "150 go\r\n226 done");
    FtpSession ftp(net, {});
    ASSERT_TRUE(ftp.connect(bob()).ok());
    MemoryUploadSource a("first");
    MemoryUploadSource b("second");
    ASSERT_TRUE(ftp.putFile(a, "a.png").ok()) << ftp.log();
    ASSERT_TRUE(ftp.putFile(b, "b.png").ok()) << ftp.log();
    ASSERT_EQ(net.dataConnections.size(), 3u);
    EXPECT_EQ(net.dataConnections[1]->bytes, "first"); // read again from the start
    EXPECT_EQ(net.dataConnections[2]->bytes, "second");
    EXPECT_NE(ftp.log().find("refused the rename: storing \"a.png\" under its own name directly"),
              std::string::npos)
        << ftp.log();
    EXPECT_NE(ftp.log().find("\"a.png.part\" could not be deleted"), std::string::npos);
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
}

TEST(FtpSessionLogic, StalledDataTimesOutAndRemovesThePartialFile) {
    ScriptedNetwork net;
    net.data.stallAfter = 300000;
    loggedIn(net)
        .on("EPSV", "229 (|||6000|)")
        .on("STOR big.bin.part", "150 go\r\n426 Connection closed; transfer aborted.")
        .on("ABOR", "225 No transfer to ABOR.")
        .on("DELE big.bin.part", "250 deleted");
    FtpTimeouts timeouts;
    timeouts.dataMs = 1500;
    FtpSession ftp(net, {}, timeouts);
    ASSERT_TRUE(ftp.connect(bob()).ok());
    MemoryUploadSource big(std::string(1000000, 'x'));
    const FtpResult r = ftp.putFile(big, "big.bin");
    EXPECT_EQ(r.status, SessionStatus::TimedOut);
    EXPECT_EQ(r.error, "Put file: \"big.bin\" was not stored: the server stopped taking data "
                       "(nothing accepted within 1.5 s).");
    EXPECT_TRUE(net.dataConnections[0]->reset);
    EXPECT_EQ(std::count(net.commands.begin(), net.commands.end(), "RNFR big.bin.part"), 0);
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
    EXPECT_TRUE(ftp.connected());
}

TEST(FtpSessionLogic, AbortedDirectStoreIsDeletedAndARefusedDeleteIsLogged) {
    ScriptedNetwork net;
    loggedIn(net)
        .on("EPSV", "229 (|||6000|)")
        .on("STOR a.png.part", "552 Quota exceeded")
        .on("EPSV", "229 (|||6001|)")
        .on("STOR a.png", "150 go")
        .later(200, "426 Transfer aborted") // the server is still busy when Abort comes
        .on("ABOR", "226 Abort successful")
        .on("DELE a.png", "550 Permission denied");
    bool abort = false;
    FtpTimeouts unpaced;
    unpaced.abortCheckMs = 0;
    FtpSession ftp(
        net, [&] { return abort; }, unpaced);
    ASSERT_TRUE(ftp.connect(bob()).ok());
    MemoryUploadSource a("every byte");
    const FtpResult r =
        ftp.putFile(a, "a.png", [&](const PutProgress& p) { abort = p.percent == 100; });
    EXPECT_EQ(r.status, SessionStatus::Aborted);
    EXPECT_EQ(net.commands.back(), "DELE a.png");
    EXPECT_NE(ftp.log().find("\"a.png\" could not be deleted: 550 Permission denied"),
              std::string::npos)
        << ftp.log();
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
}

// vsftpd refuses a data connection whose TLS session is new and ends the session, so the
// DELE of the temporary file it has made is never answered.
ScriptedNetwork& endedAfterStor(ScriptedNetwork& net) {
    net.data.stallAfter = 0;
    net.data.stallStatus = NetStatus::Closed;
    return loggedIn(net, kFeatTls)
        .on("CWD /www", "250 ok")
        .on("EPSV", "229 (|||6000|)")
        .on("STOR Pictorn.png.part",
            "150 Ok to send data.\r\n522 SSL connection failed: session reuse required")
        .hangUp();
}

TEST(FtpSessionLogic, ServerThatEndsTheSessionIsVisitedAgainToDeleteTheTemporaryFile) {
    for (const bool tlsAgain : {true, false}) {
        SCOPED_TRACE(tlsAgain ? "TLS offered again" : "no TLS the second time");
        ScriptedNetwork net;
        endedAfterStor(net);
        if (tlsAgain) {
            loggedIn(net, kFeatTls)
                .on("CWD /www", "250 ok")
                .on("DELE Pictorn.png.part", "250 Delete operation successful.")
                .on("QUIT", "221 Goodbye.");
        } else {
            net.on("FEAT", kFeatPlain); // a secured session's file is not visited in the clear
        }
        FtpSession ftp(net, {});
        ASSERT_TRUE(ftp.connect(bob()).ok());
        ASSERT_TRUE(ftp.changeFolder("/www").ok());
        MemoryUploadSource bytes("picture");
        EXPECT_FALSE(ftp.putFile(bytes, "Pictorn.png").ok());
        EXPECT_EQ(net.controlConnections, 2);
        EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
        if (tlsAgain) {
            EXPECT_EQ(net.tlsHosts.size(), 3u); // control, data, and the control connection again
            EXPECT_EQ(net.commands.back(), "QUIT");
            EXPECT_NE(ftp.log().find("< 250 Delete operation successful."), std::string::npos)
                << ftp.log();
        } else {
            EXPECT_EQ(std::count(net.commands.begin(), net.commands.end(), "USER bob"), 1);
            EXPECT_NE(ftp.log().find("\"Pictorn.png.part\" could not be deleted"),
                      std::string::npos)
                << ftp.log();
        }
    }
}

TEST(FtpSessionLogic, SilentServerAfterAFailedTransferLosesTheConnection) {
    ScriptedNetwork net;
    net.data.stallAfter = 10;
    net.data.stallStatus = NetStatus::Closed;
    loggedIn(net).on("EPSV", "229 (|||6000|)").on("STOR x.part", "150 go").on("ABOR", "");
    FtpSession ftp(net, {});
    ASSERT_TRUE(ftp.connect(bob()).ok());
    MemoryUploadSource bytes(std::string(100, 'x'));
    const FtpResult r = ftp.putFile(bytes, "x");
    EXPECT_EQ(r.status, SessionStatus::NetworkFailed);
    EXPECT_NE(r.error.find("the server closed the data connection"), std::string::npos);
    EXPECT_FALSE(ftp.connected());
    MemoryUploadSource next("y");
    EXPECT_EQ(ftp.putFile(next, "y").error, "Put file: \"y\" was not stored: not connected.");
}

TEST(FtpSessionLogic, ServersThatAnswerJustInTimeRunOutOfTime) {
    {
        // "wait" replies, each within the reply timeout, are one reply's wait together
        ScriptedNetwork net;
        net.greet("120 Ready in a moment");
        for (int i = 0; i < 8; ++i) {
            net.later(150, "120 Ready in a moment");
        }
        net.later(150, "220 hi");
        FtpTimeouts timeouts;
        timeouts.replyMs = 500;
        FtpSession ftp(net, {}, timeouts);
        EXPECT_EQ(ftp.connect(bob()).error, "Connect: no greeting: no answer within 0.5 s.");
    }
    {
        // data taken so slowly that every wait for it succeeds: the session has a deadline,
        // longer by the time the file takes at the least rate allowed
        ScriptedNetwork net;
        net.data.bytesPerSecond = 1000;
        loggedIn(net).on("EPSV", "229 (|||6000|)").on("STOR a.png.part", "150 go");
        FtpTimeouts timeouts;
        timeouts.sessionMs = 200;
        timeouts.minBytesPerSecond = 10000;
        FtpSession ftp(net, {}, timeouts);
        ASSERT_TRUE(ftp.connect(bob()).ok());
        MemoryUploadSource bytes(std::string(3000, 'x')); // 3 s at the server's pace
        const auto start = std::chrono::steady_clock::now();
        const FtpResult r = ftp.putFile(bytes, "a.png");
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(r.status, SessionStatus::TimedOut);
        EXPECT_EQ(r.error, "Put file: \"a.png\" was not stored: the session ran out of time (the "
                           "server answers or takes data too slowly).");
        EXPECT_GT(seconds, 0.65); // 0.2 s for connect, 0.2 s for the put, 0.3 s for the bytes
        EXPECT_LT(seconds, 1.5);
    }
}

TEST(FtpSessionLogic, AbortStopsTheTransferAndEveryLaterPut) {
    ScriptedNetwork net;
    loggedIn(net)
        .on("EPSV", "229 (|||6000|)")
        .on("STOR a.part",
            "150 go\r\n226 done") // a polite end of the data would say the file is whole
        .on("ABOR", "225 No transfer to abort.")
        .on("DELE a.part", "250 deleted")
        .on("QUIT", "221 bye");
    bool abort = false;
    int checks = 0;
    FtpTimeouts unpaced;
    unpaced.abortCheckMs = 0;
    FtpSession ftp(
        net,
        [&] {
            ++checks;
            return abort;
        },
        unpaced);
    ASSERT_TRUE(ftp.connect(bob()).ok());
    MemoryUploadSource a(std::string(3 * 1024 * 1024, 'a'));
    const FtpResult r = ftp.putFile(a, "a", [&](const PutProgress& p) {
        if (p.bytesSent > 0) {
            abort = true;
        }
    });
    EXPECT_EQ(r.status, SessionStatus::Aborted);
    EXPECT_EQ(r.error, "Put file: \"a\" was not stored: aborted.");
    EXPECT_LT(net.dataConnections[0]->bytes.size(), 3u * 1024 * 1024);
    EXPECT_TRUE(net.dataConnections[0]->reset);
    const std::size_t sent = net.commands.size();
    MemoryUploadSource b("b");
    EXPECT_EQ(ftp.putFile(b, "b").status, SessionStatus::Aborted);
    EXPECT_EQ(net.commands.size(), sent); // nothing more reached the server
    ftp.quit();                           // still says goodbye
    EXPECT_EQ(net.commands.back(), "QUIT");
    EXPECT_TRUE(net.mismatches.empty()) << net.mismatches.front();
    EXPECT_GT(checks, 0);
}

TEST(FtpSessionLogic, ProgressRunsFromZeroToHundredWithARate) {
    ScriptedNetwork net;
    acceptedPut(loggedIn(net), "p.bin");
    acceptedPut(net, "empty.bin");
    FtpSession ftp(net, {});
    ASSERT_TRUE(ftp.connect(bob()).ok());
    std::vector<PutProgress> seen;
    constexpr std::size_t size = 8 * 1024 * 1024 + 5;
    MemoryUploadSource bytes(std::string(size, 'p'));
    ASSERT_TRUE(ftp.putFile(bytes, "p.bin", [&](const PutProgress& p) { seen.push_back(p); }).ok());
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().percent, 0);
    EXPECT_EQ(seen.back().percent, 100);
    EXPECT_EQ(seen.back().bytesSent, size);
    EXPECT_EQ(seen.back().totalBytes, size);
    // A connection that takes everything at once gets chunks of 512 KiB: under Wine each
    // write costs round trips to the wineserver, and those bound the speed.
    ASSERT_EQ(net.dataConnections.size(), 1u);
    EXPECT_LE(net.dataConnections[0]->writes, size / (512 * 1024) + 2);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(seen[i].percent, seen[i - 1].percent);
    }
    EXPECT_GT(ftp.uploadRate(), 0u);
    seen.clear();
    MemoryUploadSource empty("");
    ASSERT_TRUE(
        ftp.putFile(empty, "empty.bin", [&](const PutProgress& p) { seen.push_back(p); }).ok());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen.back().percent, 100);
}

} // namespace
} // namespace pictorn::net
