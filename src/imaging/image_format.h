#pragma once

#include <optional>
#include <string_view>

namespace pictorn::imaging {

enum class ImageFormat { Bmp, Gif, Jpeg, Pcx, Png, Psd, Tiff };

// "png", ".PNG", "Tif" ... -> the format; anything else -> nullopt.
std::optional<ImageFormat> formatFromExtension(std::string_view ext);

} // namespace pictorn::imaging
