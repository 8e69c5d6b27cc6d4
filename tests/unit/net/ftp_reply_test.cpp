#include "net/ftp_reply.h"

#include <gtest/gtest.h>

namespace pictorn::net {
namespace {

using platform::Address;

Reply reply(int code, std::vector<std::string> lines) {
    return Reply{code, std::move(lines)};
}

TEST(FtpPassiveReplies, PasvAddressInAndWithoutParentheses) {
    std::optional<Address> a =
        parsePasvReply(reply(227, {"227 Entering Passive Mode (192,168,1,20,19,137)."}));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->ip, "192.168.1.20");
    EXPECT_EQ(a->port, 19 * 256 + 137);
    a = parsePasvReply(reply(227, {"227 =10,0,0,1,4,1"}));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->ip, "10.0.0.1");
    EXPECT_EQ(a->port, 1025);

    EXPECT_FALSE(parsePasvReply(reply(227, {"227 Entering Passive Mode (1,2,3,4,5)"})));
    EXPECT_FALSE(parsePasvReply(reply(227, {"227 (1,2,3,256,5,6)"})));
    EXPECT_FALSE(parsePasvReply(reply(227, {"227 (1,2,3,4,0,0)"})));           // port 0
    EXPECT_FALSE(parsePasvReply(reply(227, {"227 (1,2,3,99999999999,1,1)"}))); // overflow
    EXPECT_FALSE(parsePasvReply(reply(200, {"200 (1,2,3,4,5,6)"})));
}

TEST(FtpPassiveReplies, EpsvPortWithAnyDelimiter) {
    EXPECT_EQ(parseEpsvReply(reply(229, {"229 Entering Extended Passive Mode (|||6446|)"})), 6446);
    EXPECT_EQ(parseEpsvReply(reply(229, {"229 ok (!!!21!)"})), 21);
    EXPECT_FALSE(parseEpsvReply(reply(229, {"229 (|||0|)"})));
    EXPECT_FALSE(parseEpsvReply(reply(229, {"229 (|||65536|)"})));
    EXPECT_FALSE(parseEpsvReply(reply(229, {"229 (||6446|)"})));
    EXPECT_FALSE(parseEpsvReply(reply(229, {"229 (|||6446!)"})));
    EXPECT_FALSE(parseEpsvReply(reply(229, {"229 (|||6446|"})));
    EXPECT_FALSE(parseEpsvReply(reply(229, {"229 (|"})));
}

TEST(FtpPassiveReplies, PrivateOrUnusableAnnouncementsUseTheControlPeer) {
    const Address publicPeer{"203.0.113.7", 21};
    for (const char* inner :
         {"10.1.2.3", "172.16.0.5", "172.31.255.1", "192.168.0.9", "127.0.0.1", "0.0.0.0",
          "169.254.1.1", "100.64.0.1", "224.0.0.1", "255.255.255.255", "1.2.3"}) {
        const Address chosen = choosePassiveAddress({inner, 5000}, publicPeer);
        EXPECT_EQ(chosen.ip, "203.0.113.7") << inner;
        EXPECT_EQ(chosen.port, 5000);
    }
    for (const char* routable : {"198.51.100.4", "172.32.0.1", "172.15.0.1", "100.128.0.1"}) {
        EXPECT_EQ(choosePassiveAddress({routable, 5000}, publicPeer).ip, routable);
    }
    // Over IPv6 a PASV address can never be the server's.
    EXPECT_EQ(choosePassiveAddress({"198.51.100.4", 5000}, {"2001:db8::1", 21}).ip, "2001:db8::1");
}

TEST(FtpActiveCommands, EprtForBothFamiliesPortOnlyForV4) {
    EXPECT_EQ(eprtCommand({"127.0.0.1", 5000}), "EPRT |1|127.0.0.1|5000|");
    EXPECT_EQ(eprtCommand({"::1", 65535}), "EPRT |2|::1|65535|");
    EXPECT_EQ(portCommand({"192.168.1.2", 5001}), "PORT 192,168,1,2,19,137");
    EXPECT_FALSE(portCommand({"::1", 5001}));
}

TEST(FtpFeatures, IndentedNamesUpperCasedAndMatchedByWord) {
    const Reply feat =
        reply(211, {"211-Features:", " auth TLS;TLS-C", " EPSV", " UTF8 ", " SIZE", "211 End"});
    const std::vector<std::string> features = parseFeatures(feat);
    EXPECT_EQ(features, (std::vector<std::string>{"AUTH TLS;TLS-C", "EPSV", "UTF8", "SIZE"}));
    EXPECT_TRUE(hasFeature(features, "auth tls"));
    EXPECT_TRUE(hasFeature(features, "EPSV"));
    EXPECT_FALSE(hasFeature(features, "EPS"));
    EXPECT_TRUE(parseFeatures(reply(500, {"500 FEAT not understood"})).empty());
}

} // namespace
} // namespace pictorn::net
