#include "net/ftp_server_text.h"

#include <gtest/gtest.h>

namespace pictorn::net {
namespace {

TEST(FtpServerText, HostPortAndIpv6Forms) {
    struct Case {
        const char* text;
        const char* host;
        int port;
    };
    for (const Case c :
         {Case{"ftp.example.com", "ftp.example.com", 21},
          Case{"  ftp.example.com:2121 ", "ftp.example.com", 2121},
          Case{"127.0.0.1:65535", "127.0.0.1", 65535},
          Case{"[2001:db8::1]:990", "2001:db8::1", 990}, Case{"[::1]", "::1", 21},
          Case{"::1", "::1", 21}, // a bare IPv6 address cannot carry a port
          Case{"ftp://Host.Example/", "Host.Example", 21}, Case{"FTP://host:2100", "host", 2100}}) {
        const ServerText s = parseServerText(c.text);
        ASSERT_TRUE(s.ok()) << c.text << ": " << s.error;
        EXPECT_EQ(s.host, c.host) << c.text;
        EXPECT_EQ(s.port, c.port) << c.text;
    }
    EXPECT_EQ(parseServerText("[::1]:2121").display(), "[::1]:2121");
    EXPECT_EQ(parseServerText("host").display(), "host:21");
}

TEST(FtpServerText, UnusableTextsSayWhy) {
    for (const char* bad : {"", "   ", "host:", "host:0", "host:65536", "host:21x", "host:-1",
                            "[::1", "[::1]x", "[::1]:", "[nothost]:21", "sftp://host",
                            "http://host", "ftp://host/www", "user@host", "ho st", "host;rm"}) {
        const ServerText s = parseServerText(bad);
        EXPECT_FALSE(s.ok()) << bad;
        EXPECT_FALSE(s.error.empty()) << bad;
    }
    EXPECT_NE(parseServerText("host:99999").error.find("99999"), std::string::npos);
}

} // namespace
} // namespace pictorn::net
