#include "net/ftp_reply.h"

#include <gtest/gtest.h>

namespace pictorn::net {
namespace {

using platform::Address;

FtpReply reply(int code, std::vector<std::string> lines) {
    return FtpReply{code, std::move(lines)};
}

TEST(FtpReplyParse, SingleLinesWithEitherLineEndAndWhatFollows) {
    ReplyParse p = parseReply("220 Ready\r\n331 next");
    ASSERT_EQ(p.status, ReplyParseStatus::Complete);
    EXPECT_EQ(p.reply.code, 220);
    EXPECT_EQ(p.reply.text(), "220 Ready");
    EXPECT_EQ(p.consumed, 11u); // the next reply is left where it is

    p = parseReply("200 ok\n");
    ASSERT_EQ(p.status, ReplyParseStatus::Complete);
    EXPECT_EQ(p.consumed, 7u);

    p = parseReply("230\r\n"); // a bare code is a whole reply
    ASSERT_EQ(p.status, ReplyParseStatus::Complete);
    EXPECT_EQ(p.reply.code, 230);
    EXPECT_TRUE(p.reply.positive());
}

TEST(FtpReplyParse, MultiLineEndsOnlyAtTheSameCodeFollowedByABlank) {
    const std::string text = "211-Features:\r\n"
                             " EPSV\r\n"
                             "211-still inside\r\n"
                             "200 other code inside\r\n"
                             "211\r\n"; // bare closing code
    ReplyParse p = parseReply(text);
    ASSERT_EQ(p.status, ReplyParseStatus::Complete);
    EXPECT_EQ(p.reply.lines.size(), 5u);
    EXPECT_EQ(p.consumed, text.size());

    p = parseReply("220-Welcome\r\n220-more\r\n"); // no closing line yet
    EXPECT_EQ(p.status, ReplyParseStatus::Incomplete);
    p = parseReply("220-Welcome\r\n220 done"); // closing line without its line end
    EXPECT_EQ(p.status, ReplyParseStatus::Incomplete);
}

TEST(FtpReplyParse, IncompleteUntilALineEndArrives) {
    for (const char* partial : {"", "2", "22", "220", "220 Rea", "220 Ready\r"}) {
        EXPECT_EQ(parseReply(partial).status, ReplyParseStatus::Incomplete) << partial;
    }
}

TEST(FtpReplyParse, GarbageAndEndlessLinesAreMalformed) {
    for (const char* bad : {"HTTP/1.1 400\r\n", "SSH-2.0-OpenSSH\r\n", "099 low\r\n",
                            "600 high\r\n", "22x nope\r\n", "220xReady\r\n", "\r\n", "x"}) {
        EXPECT_EQ(parseReply(bad).status, ReplyParseStatus::Malformed) << bad;
    }
    EXPECT_EQ(parseReply("220 " + std::string(kMaxReplyLine, 'a')).status,
              ReplyParseStatus::Malformed);
    EXPECT_EQ(parseReply("220-x\r\n" + std::string(kMaxReplyLine + 1, 'a')).status,
              ReplyParseStatus::Malformed);
    std::string many = "220-x\r\n";
    for (std::size_t i = 0; i < kMaxReplyLines; ++i) {
        many += "line\r\n";
    }
    EXPECT_EQ(parseReply(many + "220 end\r\n").status, ReplyParseStatus::Malformed);
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
    const FtpReply feat =
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
