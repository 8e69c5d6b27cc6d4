#pragma once

#include <cstddef>
#include <cstdint>

namespace pictorn::imaging {

enum class PngFilter : std::uint8_t { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

// How each truecolour row picks its filter.
enum class PngFilterChoice {
    None,       // never filter: best for pure UI content
    Adaptive,   // per row, the filter whose residuals have the least entropy
    Screenshot, // None for rows that are mostly flat runs, Adaptive for photo-like rows
};

// Writes the filter type byte and the filtered row (`bytes` long) to `out`. `previous` is
// the unfiltered row above, or nullptr for the first row. `bpp` is bytes per pixel.
// Returns true when the row looks photographic (few runs of equal pixels).
// `runShare` is the row's share (percent) of pixels that repeat their left neighbour
// (pixelRunShare).
bool filterRow(PngFilterChoice choice, const std::uint8_t* row, const std::uint8_t* previous,
               std::size_t bytes, std::size_t bpp, unsigned runShare, std::uint8_t* out);

// That share for a row of 0x00RRGGBB pixels (the top byte is ignored), counted on the
// pixels themselves: a third of the comparisons of their RGB bytes.
unsigned pixelRunShare(const std::uint32_t* pixels, std::size_t count);

} // namespace pictorn::imaging
