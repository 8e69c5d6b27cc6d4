#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "imaging/picture.h"

namespace pictorn::imaging {

// A picture with at most 256 colours, as palette + one index per pixel (same order as
// Picture::pixels). Palette entries are 0x00RRGGBB, in order of first appearance.
struct ColourIndex {
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indices;
};

// Number of distinct colours, counting no further than `limit` (at most 257): answers
// "does it fit a 256-colour palette?" without walking a photo to the end.
std::size_t countColours(const Picture& picture, std::size_t limit = 257);

// The exact palette and index map, or nullopt when the picture has more than 256 colours.
std::optional<ColourIndex> indexColours(const Picture& picture);

// Smallest bit depth of 1, 2, 4 or 8 that can hold `colours` palette indices.
int bitsForColours(std::size_t colours);

} // namespace pictorn::imaging
