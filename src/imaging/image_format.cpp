#include "imaging/image_format.h"

#include <array>
#include <utility>

namespace pictorn::imaging {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != b[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<ImageFormat> formatFromExtension(std::string_view ext) {
    static constexpr std::array<std::pair<std::string_view, ImageFormat>, 9> kTable{{
        {"bmp", ImageFormat::Bmp},
        {"gif", ImageFormat::Gif},
        {"jpg", ImageFormat::Jpeg},
        {"jpeg", ImageFormat::Jpeg},
        {"pcx", ImageFormat::Pcx},
        {"png", ImageFormat::Png},
        {"psd", ImageFormat::Psd},
        {"tif", ImageFormat::Tiff},
        {"tiff", ImageFormat::Tiff},
    }};
    if (!ext.empty() && ext.front() == '.') {
        ext.remove_prefix(1);
    }
    for (const auto& [name, format] : kTable) {
        if (equalsIgnoringCase(ext, name)) {
            return format;
        }
    }
    return std::nullopt;
}

} // namespace pictorn::imaging
