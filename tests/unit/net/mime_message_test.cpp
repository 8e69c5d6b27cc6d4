#include "net/mail_check.h"
#include "net/mail_message.h"
#include "net/mime_encoding.h"
#include "platform/posix/iconv_charsets.h"
#include "text/ascii.h"

#include <gtest/gtest.h>

namespace pictorn::net {
namespace {

using mail_testing::readMailBytes;

std::string lf(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string withoutBlanks(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c != ' ') {
            out += c;
        }
    }
    return out;
}

std::vector<std::uint8_t> everyByte() {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 600; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i * 7 % 256));
    }
    return bytes;
}

struct Sample {
    const char* charset;
    const char* text; // a phrase the charset holds
};

// One phrase per charset the mail window offers (and ASCII in a multi-byte one).
const Sample kSamples[] = {
    {"windows-1256", "لقطة شاشة"},
    {"iso-8859-4", "Ekrāna attēls ņ"},
    {"windows-1257", "Ekrāna attēls ų"},
    {"iso-8859-2", "Zrzut ekranu łódź"},
    {"windows-1250", "Snímek obrazovky ř"},
    {"GB18030", "屏幕截图 𠀀"},
    {"gb2312", "屏幕截图"},
    {"hz-gb-2312", "屏幕截图 ~ 你好"},
    {"big5", "螢幕截圖"},
    {"iso-8859-5", "Снимок экрана"},
    {"koi8-r", "Снимок экрана"},
    {"koi8-u", "Знімок екрана ї"},
    {"windows-1251", "Снимок экрана"},
    {"iso-8859-7", "Στιγμιότυπο οθόνης"},
    {"windows-1253", "Στιγμιότυπο οθόνης"},
    {"windows-1255", "צילום מסך"},
    {"iso-2022-jp", "スクリーンショット 画面"},
    {"ks_c_5601-1987", "스크린샷"},
    {"euc-kr", "스크린샷"},
    {"iso-8859-15", "Capture d'écran €"},
    {"windows-874", "ภาพหน้าจอ"},
    {"iso-8859-9", "Ekran görüntüsü ğış"},
    {"windows-1254", "Ekran görüntüsü ğış"},
    {"utf-7", "Снимок 屏幕 ~+"},
    {"utf-8", "Снимок 屏幕 Στιγμή 😀"},
    {"windows-1258", "Xin chào đơn ư"},
    {"iso-8859-1", "Grüße à Zoë"},
    {"Windows-1252", "Grüße € „quoted“"},
    {"koi8-r", "plain ASCII = text"},
};

MailMessage sampleMessage(const Sample& sample) {
    MailMessage message;
    message.fromName = std::string("From ") + sample.text;
    message.fromAddress = "sender@example.org";
    message.to = std::string("\"") + sample.text + "\" <ann@example.org>, bob@example.org";
    message.cc = "\"Smith, John\" <js@example.org>";
    message.subject = sample.text;
    message.body = std::string("Hi ...,\r\n\r\n") + sample.text +
                   "\r\n.a line that starts with a dot\r\n" + std::string(200, 'x') +
                   " end\r\n-- \r\nKind regards";
    message.charset = sample.charset;
    message.date = {2026, 12, 7, 14, 5, 9};
    message.utcOffsetMinutes = 60;
    message.attachments.push_back({"Pictorn.png", everyByte()});
    message.attachments.push_back({std::string(sample.text) + ".bmp", {'B', 'M', 0, '\r', '\n'}});
    return message;
}

TEST(MimeMessageTest, EveryCharsetReadsBackInAMailProgram) {
    const platform::posix::IconvCharsets charsets;
    for (const Sample& sample : kSamples) {
        SCOPED_TRACE(sample.charset);
        const MailMessage message = sampleMessage(sample);
        const MimeMail mime = buildMime(message, charsets);
        for (const char c : mime.bytes) {
            ASSERT_LT(static_cast<unsigned char>(c), 0x80u) << "8-bit byte in the mail";
        }
        std::size_t lineStart = 0;
        for (std::size_t end; (end = mime.bytes.find("\r\n", lineStart)) != std::string::npos;
             lineStart = end + 2) {
            ASSERT_LE(end - lineStart, 78u) << mime.bytes.substr(lineStart, end - lineStart);
        }

        const auto mail = readMailBytes(mime.bytes);
        ASSERT_TRUE(mail.parsed);
        EXPECT_EQ(mail.field("subject"), sample.text);
        EXPECT_EQ(lf(mail.field("body")), lf(message.body));
        EXPECT_EQ(mail.field("from-name"), message.fromName);
        EXPECT_EQ(mail.field("from-address"), "sender@example.org");
        EXPECT_EQ(mail.all("to-name"), (std::vector<std::string>{sample.text, ""}));
        EXPECT_EQ(mail.all("to-address"),
                  (std::vector<std::string>{"ann@example.org", "bob@example.org"}));
        EXPECT_EQ(mail.field("cc-name"), "Smith, John");
        EXPECT_EQ(mail.field("x-mailer"), "Pictorn Mailer");
        EXPECT_EQ(mail.field("date"), "Mon, 07 Dec 2026 14:05:09 +0100");
        EXPECT_EQ(mail.all("defect"), std::vector<std::string>{});
        ASSERT_EQ(mail.attachments.size(), 2u);
        EXPECT_EQ(mail.attachments[0].fileName, "Pictorn.png");
        EXPECT_EQ(mail.attachments[0].contentType, "image/png");
        EXPECT_EQ(mail.attachments[0].bytes, everyByte());
        EXPECT_EQ(mail.attachments[1].fileName, std::string(sample.text) + ".bmp");
        EXPECT_EQ(mail.attachments[1].bytes, message.attachments[1].bytes);
        EXPECT_EQ(mail.attachments[1].contentType, "image/bmp");
        EXPECT_EQ(mail.field("body-charset"), text::asciiLowerCase(sample.charset));
        EXPECT_EQ(mime.charset, sample.charset);
    }
}

TEST(MimeMessageTest, TextTheCharsetCannotHoldGoesOutAsUtf8) {
    const platform::posix::IconvCharsets charsets;
    MailMessage message = sampleMessage({"iso-8859-1", "Grüße"});
    message.subject = "Снимок";
    message.charset = "iso-8859-1";
    auto mail = readMailBytes(buildMime(message, charsets).bytes);
    EXPECT_EQ(mail.field("body-charset"), "utf-8");
    EXPECT_EQ(mail.field("subject"), "Снимок");
    EXPECT_EQ(lf(mail.field("body")), lf(message.body));

    // A charset this system does not know is no reason to lose the text either.
    message.charset = "x-unknown-charset";
    mail = readMailBytes(buildMime(message, charsets).bytes);
    EXPECT_EQ(mail.field("body-charset"), "utf-8");
    EXPECT_EQ(mail.field("subject"), "Снимок");
}

TEST(MimeMessageTest, SubjectsAndNamesOfAnyLengthFoldAndSurvive) {
    const platform::posix::IconvCharsets charsets;
    MailMessage message = sampleMessage({"utf-8", "x"});
    message.subject = std::string(300, 'a') + " " + std::string(50, 'b') + " =?not-a-word?= end";
    message.fromName = "O'Brien, \"Pat\" \\ co";
    message.body = "";
    message.attachments = {{std::string(120, 'e') + "ü.txt", {}}};
    const std::string bytes = buildMime(message, charsets).bytes;
    const auto mail = readMailBytes(bytes);
    EXPECT_EQ(mail.field("subject"), message.subject);
    EXPECT_EQ(mail.field("from-name"), message.fromName);
    EXPECT_EQ(mail.field("body"), "");
    ASSERT_EQ(mail.attachments.size(), 1u);
    EXPECT_EQ(mail.attachments[0].fileName, message.attachments[0].fileName);
    EXPECT_TRUE(mail.attachments[0].bytes.empty());
}

TEST(MimeMessageTest, LongHeadersFoldWithinTheLineLimitAndReadBackTheSame) {
    const platform::posix::IconvCharsets charsets;
    MailMessage message = sampleMessage({"iso-8859-1", "x"});
    std::string words;
    for (int i = 0; i < 40; ++i) {
        words += (i ? " " : "") + std::string("word") + std::to_string(i);
    }
    const std::string longWord(1000, 'w');
    message.fromName = words; // atoms, folded at blanks
    message.to = "\"" + words + ", Jr.\" <ann@example.org>, " + longWord + " <bob@example.org>";
    message.cc = "\"" + longWord + ", Jr.\" <js@example.org>";
    for (const std::string& subject :
         {longWord, "Re: " + longWord + " " + words + " " + longWord}) {
        SCOPED_TRACE(subject.substr(0, 12));
        message.subject = subject;
        const std::string bytes = buildMime(message, charsets).bytes;
        std::size_t lineStart = 0;
        for (std::size_t end; (end = bytes.find("\r\n", lineStart)) != std::string::npos;
             lineStart = end + 2) {
            ASSERT_LE(end - lineStart, 78u) << bytes.substr(lineStart, end - lineStart);
        }
        const auto mail = readMailBytes(bytes);
        EXPECT_EQ(mail.field("subject"), subject);
        EXPECT_EQ(mail.field("from-name"), words);
        const std::vector<std::string> to = mail.all("to-name");
        ASSERT_EQ(to.size(), 2u);
        EXPECT_EQ(to[0], words + ", Jr.");
        // A word split into encoded words: Python's email reads a blank where mail programs
        // (RFC 2047) join the pieces.
        EXPECT_EQ(withoutBlanks(to[1]), longWord);
        EXPECT_EQ(withoutBlanks(mail.field("cc-name")), longWord + ",Jr.");
        EXPECT_EQ(mail.all("to-address"),
                  (std::vector<std::string>{"ann@example.org", "bob@example.org"}));
        EXPECT_EQ(mail.all("defect"), std::vector<std::string>{});
    }
}

TEST(MimeEncodingTest, QuotedPrintableKeepsLinesShortAndBlanksVisible) {
    EXPECT_EQ(quotedPrintable("a=b \r\ntab\t\r\n"), "a=3Db=20\r\ntab=09\r\n");
    const std::string encoded = quotedPrintable(std::string(100, '\xE9'));
    std::size_t start = 0;
    for (std::size_t end; (end = encoded.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        EXPECT_LE(end - start, 76u);
        EXPECT_EQ(encoded[end - 1], '=');
    }
    EXPECT_EQ(toCrlf("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(base64(""), "");
    EXPECT_EQ(base64("f"), "Zg==");
    EXPECT_EQ(base64("fo"), "Zm8=");
    EXPECT_EQ(base64("foobar"), "Zm9vYmFy");
}

TEST(MimeEncodingTest, DatesAndContentTypes) {
    EXPECT_EQ(rfc5322Date({2024, 2, 29, 23, 59, 58}, -330), "Thu, 29 Feb 2024 23:59:58 -0530");
    EXPECT_EQ(rfc5322Date({2000, 1, 1, 0, 0, 0}, 0), "Sat, 01 Jan 2000 00:00:00 +0000");
    EXPECT_EQ(contentTypeFor("C:\\a\\shot.JPG"), "image/jpeg");
    EXPECT_EQ(contentTypeFor("shot.psd"), "image/vnd.adobe.photoshop");
    EXPECT_EQ(contentTypeFor("noext"), "application/octet-stream");
    EXPECT_EQ(contentTypeFor("archive.tar.xz"), "application/octet-stream");
}

} // namespace
} // namespace pictorn::net
