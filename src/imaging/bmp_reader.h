#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "imaging/picture.h"

namespace pictorn::imaging {

// Reads an uncompressed BMP: 1/4/8-bit palettized, 16-bit (555 or bit fields), 24-bit and
// 32-bit (plain or bit fields), bottom-up or top-down. Anything it cannot read fully and
// safely -- truncated files, garbage, RLE, absurd sizes -- gives nullopt.
std::optional<Picture> decodeBmp(std::span<const std::uint8_t> data);

} // namespace pictorn::imaging
