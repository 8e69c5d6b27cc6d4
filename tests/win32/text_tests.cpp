#include "platform/win32/text.h"

#include <gtest/gtest.h>

namespace pictorn::platform::win32 {
namespace {

TEST(TextConversion, ValidTextRoundTripsLosslessly) {
    const std::string samples[] = {"", "plain", "Grüße 日本 ✓", "emoji 😀 outside the BMP",
                                   std::string("embedded\0zero", 13)};
    for (const std::string& sample : samples) {
        EXPECT_EQ(toUtf8(toWide(sample)), sample);
    }
    EXPECT_EQ(toWide("ü✓😀"), std::wstring(L"\u00FC\u2713\xD83D\xDE00"));
}

TEST(TextConversion, MalformedInputBecomesReplacementCharacters) {
    const std::wstring bad = toWide("a\xFF"
                                    "b\xC3");
    EXPECT_EQ(bad.front(), L'a');
    EXPECT_NE(bad.find(L'b'), std::wstring::npos);
    EXPECT_NE(bad.find(L'\xFFFD'), std::wstring::npos);

    const std::wstring loneSurrogate = {L'x', static_cast<wchar_t>(0xD800), L'y'};
    EXPECT_EQ(toUtf8(loneSurrogate), "x\xEF\xBF\xBDy");
}

} // namespace
} // namespace pictorn::platform::win32
