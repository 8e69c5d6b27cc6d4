#include "platform/charset_table.h"
#include "text/ascii.h"

#include <array>

namespace pictorn::platform {

namespace {

constexpr auto kCharsets = std::to_array<CharsetInfo>({
    {"us-ascii", 20127, "ASCII"},
    {"utf-8", 65001, "UTF-8"},
    {"utf-7", 65000, "UTF-7"},
    {"iso-8859-1", 28591, "ISO-8859-1"},
    {"iso-8859-2", 28592, "ISO-8859-2"},
    {"iso-8859-4", 28594, "ISO-8859-4"},
    {"iso-8859-5", 28595, "ISO-8859-5"},
    {"iso-8859-7", 28597, "ISO-8859-7"},
    {"iso-8859-9", 28599, "ISO-8859-9"},
    {"iso-8859-15", 28605, "ISO-8859-15"},
    {"windows-874", 874, "CP874"},
    {"windows-1250", 1250, "CP1250"},
    {"windows-1251", 1251, "CP1251"},
    {"windows-1252", 1252, "CP1252"},
    {"windows-1253", 1253, "CP1253"},
    {"windows-1254", 1254, "CP1254"},
    {"windows-1255", 1255, "CP1255"},
    {"windows-1256", 1256, "CP1256"},
    {"windows-1257", 1257, "CP1257"},
    {"windows-1258", 1258, "CP1258"},
    {"koi8-r", 20866, "KOI8-R"},
    {"koi8-u", 21866, "KOI8-U"},
    {"big5", 950, "BIG5"},
    {"gb2312", 936, "GB2312", CharsetCheck::EucStrict},
    {"gb18030", 54936, "GB18030"},
    {"hz-gb-2312", 936, "", CharsetCheck::EucStrict},
    {"iso-2022-jp", 50220, "ISO-2022-JP"},
    {"ks_c_5601-1987", 949, "CP949"},
    {"euc-kr", 949, "EUC-KR", CharsetCheck::EucStrict},
});

bool inEucRange(unsigned char c) {
    return c >= 0xA1 && c <= 0xFE;
}

} // namespace

const CharsetInfo* findCharset(std::string_view name) {
    for (const CharsetInfo& info : kCharsets) {
        if (text::equalsNoCase(info.name, name)) {
            return &info;
        }
    }
    return nullptr;
}

bool isStrictEuc(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            continue;
        }
        if (!inEucRange(c) || i + 1 >= bytes.size() ||
            !inEucRange(static_cast<unsigned char>(bytes[i + 1]))) {
            return false;
        }
        ++i;
    }
    return true;
}

std::string hzFromGb2312(std::string_view gb2312) {
    std::string out;
    bool inRun = false;
    for (std::size_t i = 0; i < gb2312.size(); ++i) {
        const auto c = static_cast<unsigned char>(gb2312[i]);
        if (c >= 0x80 && i + 1 < gb2312.size()) {
            if (!inRun) {
                out += "~{";
                inRun = true;
            }
            out += static_cast<char>(c & 0x7F);
            out += static_cast<char>(static_cast<unsigned char>(gb2312[++i]) & 0x7F);
            continue;
        }
        if (inRun) {
            out += "~}";
            inRun = false;
        }
        out += static_cast<char>(c);
        if (c == '~') {
            out += '~';
        }
    }
    if (inRun) {
        out += "~}";
    }
    return out;
}

} // namespace pictorn::platform
