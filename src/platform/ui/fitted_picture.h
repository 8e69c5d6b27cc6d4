#pragma once
// A picture shown smaller than it is: each shown pixel is the plain average of the
// picture's pixels it covers, so text stays legible and any part can be worked out again
// on its own and comes out exactly as it would in the whole.
#include "imaging/picture.h"

#include <cstdint>

namespace pictorn::ui {

// The shown pixels in [left, right) x [top, bottom) of `shown` (whose size is what the
// picture is shown at, at most the picture's) worked out anew from `picture`.
void fitPart(const imaging::Picture& picture, imaging::Picture& shown, int left, int top, int right,
             int bottom);

// A part of the picture, right and bottom exclusive, whose pixels are all `colour`.
struct SolidPart {
    int left = 0, top = 0, right = 0, bottom = 0;
    std::uint32_t colour = 0;
};

// As fitPart, but the shown pixels that cover only pixels of `solid` take its colour without
// being summed: a black-out of the whole picture costs a fill of the shown one.
void fitPart(const imaging::Picture& picture, imaging::Picture& shown, int left, int top, int right,
             int bottom, const SolidPart& solid);

// A part of the picture whose rows repeat in bands (a pixelate): cut every `every` rows
// from `top`, the rest joining the last band, each row of a band holds the same pixels in
// [left, right).
struct RepeatedRows {
    int left = 0, top = 0, right = 0, bottom = 0, every = 0;
};

// As fitPart, but within `rows` only the first row of each band is read: a pixelate of the
// whole picture reads a band's worth of it instead of all of it.
void fitPart(const imaging::Picture& picture, imaging::Picture& shown, int left, int top, int right,
             int bottom, const RepeatedRows& rows);

// The shown part [left, right) of a size `shownSize` that covers [from, to) of the picture's
// `size`: what a change of those picture pixels changes when shown.
void shownSpan(int size, int shownSize, int from, int to, int& left, int& right);

} // namespace pictorn::ui
