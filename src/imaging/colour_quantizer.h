#pragma once

#include <cstdint>
#include <vector>

#include "imaging/colour_analysis.h"
#include "imaging/picture.h"

namespace pictorn::imaging {

// Reduces a picture of many colours to a palette of at most `maxColours` (2..256):
// variance-minimising box splits over the exact colour histogram, refined by a few
// k-means passes. Aims at the smallest squared error (best PSNR).
std::vector<std::uint32_t> choosePalette(const Picture& picture, int maxColours = 256);

// Each pixel as the index of its nearest palette colour; with `dither`, Floyd-Steinberg
// error diffusion (smoother gradients to the eye, at some cost in PSNR).
ColourIndex mapToPalette(const Picture& picture, const std::vector<std::uint32_t>& palette,
                         bool dither);

} // namespace pictorn::imaging
