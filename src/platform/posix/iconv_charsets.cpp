#include "platform/posix/iconv_charsets.h"

#include "platform/charset_table.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace pictorn::platform::posix {

namespace {

class Converter {
public:
    explicit Converter(const std::string& to) : cd_(iconv_open(to.c_str(), "UTF-8")) {}
    ~Converter() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole text and then returns to the initial shift state.
    CharsetResult run(std::string_view utf8) {
        std::string out;
        char buffer[4096];
        char* in = const_cast<char*>(utf8.data());
        std::size_t inLeft = utf8.size();
        bool flushing = false;
        for (;;) {
            char* to = buffer;
            std::size_t toLeft = sizeof buffer;
            const std::size_t done = flushing ? iconv(cd_, nullptr, nullptr, &to, &toLeft)
                                              : iconv(cd_, &in, &inLeft, &to, &toLeft);
            out.append(buffer, static_cast<std::size_t>(to - buffer));
            if (done == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) {
                    continue;
                }
                return {CharsetStatus::CannotHold, {}};
            }
            // A positive count means characters were converted inexactly.
            if (done != 0) {
                return {CharsetStatus::CannotHold, {}};
            }
            if (flushing) {
                return {CharsetStatus::Ok, std::move(out)};
            }
            flushing = true;
        }
    }

private:
    iconv_t cd_;
};

CharsetResult convert(const std::string& iconvName, std::string_view utf8) {
    Converter converter(iconvName);
    if (!converter.valid()) {
        return {CharsetStatus::Unknown, {}};
    }
    return converter.run(utf8);
}

} // namespace

CharsetResult IconvCharsets::fromUtf8(std::string_view charset, std::string_view utf8) const {
    const CharsetInfo* info = findCharset(charset);
    if (info == nullptr) {
        return {CharsetStatus::Unknown, {}};
    }
    const bool hz = info->iconvName.empty();
    CharsetResult result = convert(hz ? "GB2312" : std::string(info->iconvName), utf8);
    if (result.ok() && info->check == CharsetCheck::EucStrict && !isStrictEuc(result.bytes)) {
        return {CharsetStatus::CannotHold, {}};
    }
    if (result.ok() && hz) {
        result.bytes = hzFromGb2312(result.bytes);
    }
    return result;
}

} // namespace pictorn::platform::posix
