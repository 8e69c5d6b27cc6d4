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

// For the file a capture writes while the user waits for it (the auto-save): level 3 takes
// well under the defaults' time, photo rows above all. Its search is tuned for
// screenshots, with memory level 8's smaller hash, which stays in the cache: in UI rows the
// strings of a match up to 64 bytes long go into the hash and at most seven earlier places
// are tried; in photo rows, whose matches are short and rare, every string goes in and six
// places are tried (level 3's search ignores Z_FILTERED; a change of search ends no block).
// Measured on the corpus against level 3's own search: a fifth less CPU for the whole PNG,
// the UI screenshot 2.2 %, the photo 0.02 % and the small crop 1.1 % smaller; UI
// screenshots come out 1 % below the defaults' size, photos 3.8 % above.
inline PngSettings quickPngSettings() {
    PngSettings settings;
    settings.deflate.mode = {.level = 3,
                             .strategy = 0,
                             .search =
                                 DeflateSearch{.good = 4, .lazy = 64, .nice = 258, .chain = 7}};
    settings.deflate.noisyMode =
        DeflateMode{.level = 3,
                    .strategy = 0,
                    .search = DeflateSearch{.good = 4, .lazy = 258, .nice = 258, .chain = 6}};
    settings.deflate.memLevel = 8;
    return settings;
}

// PNG: a palette image with the smallest useful bit depth when the picture has at most
// 256 colours, otherwise 8-bit RGB.
Bytes writePng(const Picture& picture, const PngSettings& settings = {});

} // namespace pictorn::imaging
