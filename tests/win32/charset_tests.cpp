#include "platform/win32/win32_charsets.h"

#include <gtest/gtest.h>

namespace pictorn::platform::win32 {
namespace {

// The bytes iconv and Python give for the same text; Windows must send the same.
TEST(Win32Charsets, CodePagesGiveTheStandardBytes) {
    const Win32Charsets charsets;
    EXPECT_EQ(charsets.fromUtf8("iso-8859-1", "Grüße").bytes, "Gr\xFC\xDF"
                                                              "e");
    EXPECT_EQ(charsets.fromUtf8("Windows-1252", "€").bytes, "\x80");
    EXPECT_EQ(charsets.fromUtf8("windows-1251", "Снимок").bytes, "\xD1\xED\xE8\xEC\xEE\xEA");
    EXPECT_EQ(charsets.fromUtf8("koi8-r", "Я").bytes, "\xF1");
    EXPECT_EQ(charsets.fromUtf8("iso-8859-7", "Ωμ").bytes, "\xD9\xEC");
    EXPECT_EQ(charsets.fromUtf8("gb2312", "你好").bytes, "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(charsets.fromUtf8("hz-gb-2312", "a~你好").bytes, "a~~~{Dc:C~}");
    EXPECT_EQ(charsets.fromUtf8("big5", "螢幕").bytes, "\xBF\xC3\xB9\xF5");
    EXPECT_EQ(charsets.fromUtf8("utf-8", "😀").bytes, "\xF0\x9F\x98\x80");
    EXPECT_TRUE(charsets.fromUtf8("utf-7", "Снимок").ok());
}

TEST(Win32Charsets, NoLookAlikesForWhatACharsetCannotHold) {
    const Win32Charsets charsets;
    // Best fit would turn these into "A" and "?"; the mail must fall back to UTF-8 instead.
    EXPECT_EQ(charsets.fromUtf8("windows-1252", "Ā").status, CharsetStatus::CannotHold);
    EXPECT_EQ(charsets.fromUtf8("iso-8859-1", "€").status, CharsetStatus::CannotHold);
    EXPECT_EQ(charsets.fromUtf8("windows-1251", "日本").status, CharsetStatus::CannotHold);
    EXPECT_EQ(charsets.fromUtf8("euc-kr", "똠").status, CharsetStatus::CannotHold);
    EXPECT_TRUE(charsets.fromUtf8("ks_c_5601-1987", "똠").ok());
    EXPECT_EQ(charsets.fromUtf8("x-klingon", "abc").status, CharsetStatus::Unknown);
}

// Some systems (Wine) lack these code pages; then the answer is Unknown and the mail goes
// out as UTF-8 — never wrong bytes.
TEST(Win32Charsets, CodePagesASystemMayLackAreExactOrUnknown) {
    const Win32Charsets charsets;
    const auto exactOrUnknown = [&](const char* charset, const char* text, const char* bytes) {
        const CharsetResult result = charsets.fromUtf8(charset, text);
        if (result.status == CharsetStatus::Unknown) {
            return;
        }
        ASSERT_TRUE(result.ok()) << charset;
        EXPECT_EQ(result.bytes, bytes) << charset;
    };
    exactOrUnknown("GB18030", "你好", "\xC4\xE3\xBA\xC3");
    exactOrUnknown("iso-2022-jp", "日本", "\x1B$BF|K\\\x1B(B");
    EXPECT_EQ(charsets.fromUtf8("euc-kr", "한국").bytes, "\xC7\xD1\xB1\xB9");
}

} // namespace
} // namespace pictorn::platform::win32
