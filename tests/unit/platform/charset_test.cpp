#include "platform/charset_table.h"
#include "platform/posix/iconv_charsets.h"

#include <gtest/gtest.h>

namespace pictorn::platform {
namespace {

TEST(CharsetTest, ConvertsExactlyOrSaysWhyNot) {
    const platform::posix::IconvCharsets charsets;
    EXPECT_EQ(charsets.fromUtf8("ISO-8859-1", "Grüße").bytes, "Gr\xFC\xDF"
                                                              "e");
    EXPECT_EQ(charsets.fromUtf8("Windows-1252", "€").bytes, "\x80");
    EXPECT_EQ(charsets.fromUtf8("koi8-r", "Я").bytes, "\xF1");
    EXPECT_EQ(charsets.fromUtf8("iso-8859-1", "€").status, CharsetStatus::CannotHold);
    EXPECT_EQ(charsets.fromUtf8("windows-1251", "日本").status, CharsetStatus::CannotHold);
    EXPECT_EQ(charsets.fromUtf8("x-klingon", "abc").status, CharsetStatus::Unknown);
    EXPECT_TRUE(charsets.fromUtf8("big5", "").ok());
    // Stateful charsets end in their initial state, so each piece stands alone.
    EXPECT_EQ(charsets.fromUtf8("iso-2022-jp", "日本").bytes, "\x1B$BF|K\\\x1B(B");
}

TEST(CharsetTest, StrictGb2312AndEucKrRefuseTheirSupersets) {
    const platform::posix::IconvCharsets charsets;
    EXPECT_EQ(charsets.fromUtf8("gb2312", "你好").bytes, "\xC4\xE3\xBA\xC3");
    EXPECT_EQ(charsets.fromUtf8("gb2312", "𠀀").status, CharsetStatus::CannotHold);
    EXPECT_TRUE(charsets.fromUtf8("GB18030", "𠀀").ok());
    // "똠" is in Windows' Korean code page but not in EUC-KR.
    EXPECT_TRUE(charsets.fromUtf8("ks_c_5601-1987", "똠").ok());
    EXPECT_EQ(charsets.fromUtf8("euc-kr", "똠").status, CharsetStatus::CannotHold);
    EXPECT_TRUE(isStrictEuc("abc\xB0\xA1"));
    EXPECT_FALSE(isStrictEuc("\x81\x40"));
    EXPECT_FALSE(isStrictEuc("\xB0"));
}

TEST(CharsetTest, HzWrapsTwoByteRunsAndDoublesTildes) {
    const platform::posix::IconvCharsets charsets;
    // The same bytes Python's "hz" codec gives.
    EXPECT_EQ(charsets.fromUtf8("hz-gb-2312", "你好").bytes, "~{Dc:C~}");
    EXPECT_EQ(charsets.fromUtf8("HZ-GB-2312", "a~你\r\n好").bytes, "a~~~{Dc~}\r\n~{:C~}");
    EXPECT_EQ(hzFromGb2312(""), "");
}

} // namespace
} // namespace pictorn::platform
