#include "imaging/image_format.h"
#include "text/ascii.h"

#include <array>
#include <utility>

namespace pictorn::imaging {

namespace {} // namespace

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
        if (text::equalsNoCase(ext, name)) {
            return format;
        }
    }
    return std::nullopt;
}

} // namespace pictorn::imaging
