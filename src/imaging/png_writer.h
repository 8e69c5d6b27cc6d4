#pragma once

#include "imaging/byte_order.h"
#include "imaging/parallel_deflate.h"
#include "imaging/picture.h"
#include "imaging/png_filters.h"

namespace pictorn::imaging {

struct PngSettings {
    PngFilterChoice filter = PngFilterChoice::Screenshot;
    // Measured on the screenshot corpus against libpng's level 6: level 5 loses ~2 % on UI
    // rows but saves a third of the time; photo rows need level 6 and Z_FILTERED (1) to
    // stay smaller than libpng's.
    DeflateSettings deflate{.mode = {.level = 5, .strategy = 0},
                            .noisyMode = DeflateMode{.level = 6, .strategy = 1},
                            .memLevel = 9};
    // Palette rows are a third the size and full of runs: level 6 stays fast there.
    DeflateMode indexedMode{.level = 6, .strategy = 0};
    bool allowIndexed = true; // write <= 256 colours as a palette image
};

// For the file a capture writes while the user waits for it (the auto-save): lower levels,
// the noisy rows' level above all, take about 60 % of the defaults' time. Measured on the
// corpus: UI screenshots come out ~1.5 % larger than with the defaults (still ~5 % below
// libpng's level 6), photos ~4 % larger.
inline PngSettings quickPngSettings() {
    PngSettings settings;
    settings.deflate.mode = {.level = 3, .strategy = 0};
    settings.deflate.noisyMode = DeflateMode{.level = 3, .strategy = 1};
    return settings;
}

// PNG: a palette image with the smallest useful bit depth when the picture has at most
// 256 colours, otherwise 8-bit RGB.
Bytes writePng(const Picture& picture, const PngSettings& settings = {});

} // namespace pictorn::imaging
