#include "net/mail_address.h"
#include "net/server_address.h"
#include "net/smtp_client.h"

#include <gtest/gtest.h>

namespace pictorn::net {
namespace {

TEST(MailAddressTest, ListsSplitOutsideQuotesAndBrackets) {
    const auto list = parseAddressList(
        " Ann <ann@x.org>, \"Smith, John\" <js@y.org>;bob@z.org ;; , 'Eve' <eve@w.org>,"
        "<odd,name@v.org>, \"Q \\\"uoted\\\"\" <q@u.org> trailing, Ωμέγα <o@gr.example>");
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[0].name, "Ann");
    EXPECT_EQ(list[0].address, "ann@x.org");
    EXPECT_EQ(list[1].name, "Smith, John");
    EXPECT_EQ(list[1].address, "js@y.org");
    EXPECT_EQ(list[2].name, "");
    EXPECT_EQ(list[2].address, "bob@z.org");
    EXPECT_EQ(list[3].name, "Eve");
    EXPECT_EQ(list[4].address, "odd,name@v.org");
    EXPECT_EQ(list[5].name, "Q \"uoted\"");
    EXPECT_EQ(list[5].address, "q@u.org");
    EXPECT_EQ(list[6].name, "Ωμέγα");
    EXPECT_TRUE(parseAddressList("").empty());
    EXPECT_TRUE(parseAddressList(" , ; <> ").empty());
}

TEST(ServerAddressTest, HostsPortsAndBracketedIpv6) {
    auto parsed = parseServerAddress(" smtp.example.com ");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->host, "smtp.example.com");
    EXPECT_FALSE(parsed->port);
    parsed = parseServerAddress("smtp.example.com:465");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->port, 465);
    parsed = parseServerAddress("[2001:db8::1]:2525");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->host, "2001:db8::1");
    EXPECT_EQ(parsed->port, 2525);
    parsed = parseServerAddress("[::1]");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->host, "::1");
    EXPECT_FALSE(parsed->port);
    parsed = parseServerAddress("::1");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->host, "::1");
    for (const char* bad : {"", "  ", ":25", "host:", "host:0", "host:65536", "host:2x", "[::1",
                            "[]:25", "[::1]25", "two words", "smtp\\x"}) {
        EXPECT_FALSE(parseServerAddress(bad)) << bad;
    }
    EXPECT_EQ(hostPortText("::1", 25), "[::1]:25");
    EXPECT_EQ(hostPortText("mail.example.org", 587), "mail.example.org:587");
}

TEST(SmtpDataTest, LinesStartingWithADotAreDoubled) {
    EXPECT_EQ(dotStuffed(".a\r\nb.\r\n.\r\n..c\r\n"), "..a\r\nb.\r\n..\r\n...c\r\n.\r\n");
    EXPECT_EQ(dotStuffed("no final break"), "no final break\r\n.\r\n");
    EXPECT_EQ(dotStuffed(""), ".\r\n");
}

} // namespace
} // namespace pictorn::net
