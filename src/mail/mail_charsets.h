#pragma once
// The encodings the mail window offers, in the order of its list: what the user reads and
// the charset identifier the message is sent in (spelt as mail headers carry it, capitals
// included).
#include <array>
#include <string_view>

namespace pictorn::mail {

struct MailCharset {
    std::string_view displayName;
    std::string_view identifier;
};

inline constexpr std::array<MailCharset, 28> kMailCharsets{{
    {"Arabic(Windows)", "windows-1256"},
    {"Baltic(ISO)", "iso-8859-4"},
    {"Baltic(Windows)", "windows-1257"},
    {"Central Euporean(ISO)", "iso-8859-2"},
    {"Central Euporean(Windows)", "windows-1250"},
    {"Chinese Simplified(GB18030)", "GB18030"},
    {"Chinese Simplified(GB2312)", "gb2312"},
    {"Chinese Simplified(HZ)", "hz-gb-2312"},
    {"Chinese Traditional(Big5)", "big5"},
    {"Cyrillic(ISO)", "iso-8859-5"},
    {"Cyrillic(KOI8-R)", "koi8-r"},
    {"Cyrillic(KOI8-U)", "koi8-u"},
    {"Cyrillic(Windows)", "windows-1251"},
    {"Greek(ISO)", "iso-8859-7"},
    {"Greek(Windows)", "windows-1253"},
    {"Hebrew(Windows)", "windows-1255"},
    {"Japanese(JIS)", "iso-2022-jp"},
    {"Korean", "ks_c_5601-1987"},
    {"Korean(EUC)", "euc-kr"},
    {"Latin 9(ISO)", "iso-8859-15"},
    {"Thai(Windows)", "windows-874"},
    {"Turkish(ISO)", "iso-8859-9"},
    {"Turkish(Windows)", "windows-1254"},
    {"Unicode(UTF-7)", "utf-7"},
    {"Unicode(UTF-8)", "utf-8"},
    {"Vietnames(Windows)", "windows-1258"},
    {"Western European(ISO)", "iso-8859-1"},
    {"Western European(Windows)", "Windows-1252"},
}};

// Selected whenever the window opens: "Western European(ISO)".
inline constexpr int kDefaultMailCharset = 26;

} // namespace pictorn::mail
