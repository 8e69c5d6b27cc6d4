#pragma once
// The picture the mark-up benches draw on: flat areas with text-like detail, as in a
// screenshot.
#include "imaging/picture.h"

namespace pictorn::bench {

inline imaging::Picture screenshotLike(int w, int h) {
    imaging::Picture p(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool ink = ((x / 7) ^ (y / 11)) % 5 == 0 && (y % 24) < 14;
            p.at(x, y) = ink ? imaging::rgb(20, 20, 30) : imaging::rgb(240, 240, 245);
        }
    }
    return p;
}

} // namespace pictorn::bench
