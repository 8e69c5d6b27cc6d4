#include "net/line_reply.h"

#include <gtest/gtest.h>

namespace pictorn::net {
namespace {

ReplyScan scan(std::string_view input, ReplyGrammar grammar) {
    return parseReply(input, grammar).status;
}

TEST(LineReply, SingleAndMultiLineRepliesWithWhatFollows) {
    ReplyParse p = parseReply("220 Ready\r\n331 next", ReplyGrammar::Ftp);
    ASSERT_EQ(p.status, ReplyScan::Complete);
    EXPECT_EQ(p.reply.code, 220);
    EXPECT_EQ(p.reply.text(), "220 Ready");
    EXPECT_EQ(p.consumed, 11u);                 // the next reply is left where it is
    p = parseReply("230\n", ReplyGrammar::Ftp); // a bare code, a bare LF
    ASSERT_EQ(p.status, ReplyScan::Complete);
    EXPECT_TRUE(p.reply.positive());
    EXPECT_EQ(p.consumed, 4u);

    const std::string features = "211-Features:\r\n"
                                 " EPSV\r\n"
                                 "211-still inside\r\n"
                                 "200 other code inside\r\n"
                                 "211\r\n";
    p = parseReply(features, ReplyGrammar::Ftp);
    ASSERT_EQ(p.status, ReplyScan::Complete);
    EXPECT_EQ(p.reply.lines.size(), 5u);
    EXPECT_EQ(p.consumed, features.size());

    p = parseReply("250-mail.example.org\r\n250-STARTTLS\n250 AUTH PLAIN\r\n", ReplyGrammar::Smtp);
    ASSERT_EQ(p.status, ReplyScan::Complete);
    EXPECT_EQ(p.reply.describe(), "250 mail.example.org STARTTLS AUTH PLAIN");
    EXPECT_EQ(parseReply("550 bad\x01\x7F name\r\n", ReplyGrammar::Smtp).reply.describe(),
              "550 bad   name");
    EXPECT_EQ(parseReply("354\r\n", ReplyGrammar::Smtp).reply.describe(), "354");
}

TEST(LineReply, PartialInputWaitsAndWhatCannotBeAReplyIsRefusedAtOnce) {
    for (const ReplyGrammar grammar : {ReplyGrammar::Smtp, ReplyGrammar::Ftp}) {
        for (const char* partial :
             {"", "2", "250", "250 Rea", "250 Ready\r", "250-first\r\n", "250-first\r\n250 la"}) {
            EXPECT_EQ(scan(partial, grammar), ReplyScan::Incomplete) << partial;
        }
        for (const char* bad : {"HTTP/1.1 400\r\n", "SSH-2.0", "099 low\r\n", "600 high\r\n",
                                "25x nope\r\n", "2500 ok\r\n", "\r\n", "x"}) {
            EXPECT_EQ(scan(bad, grammar), ReplyScan::Malformed) << bad;
        }
        EXPECT_EQ(scan("250 " + std::string(kMaxReplyLine, 'a'), grammar), ReplyScan::Malformed);
        std::string many = "250-x\r\n";
        while (many.size() <= kMaxReplyBytes) {
            many += "250-more\r\n";
        }
        EXPECT_EQ(scan(many + "250 end\r\n", grammar), ReplyScan::Malformed);
    }
    // SMTP repeats the code on every line; FTP lets the lines inside hold anything.
    EXPECT_EQ(scan("199 low\r\n", ReplyGrammar::Smtp), ReplyScan::Malformed);
    EXPECT_EQ(scan("250-a\r\n251 b\r\n", ReplyGrammar::Smtp), ReplyScan::Malformed);
    EXPECT_EQ(scan("250-a\r\n text\r\n", ReplyGrammar::Smtp), ReplyScan::Malformed);
    EXPECT_EQ(scan("250-a\r\n text\r\n250 b\r\n", ReplyGrammar::Ftp), ReplyScan::Complete);
}

} // namespace
} // namespace pictorn::net
