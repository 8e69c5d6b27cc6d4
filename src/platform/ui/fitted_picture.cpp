#include "platform/ui/fitted_picture.h"

#include "imaging/channel_sums.h"
#include "imaging/parallel_bands.h"
#include "imaging/streaming_rows.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pictorn::ui {

namespace {

// The picture pixels [first, last) that shown pixel i of n covers, out of `size`.
void covered(int i, int n, int size, int& first, int& last) {
    first = static_cast<int>(static_cast<std::int64_t>(i) * size / n);
    last = std::max(first + 1, static_cast<int>(static_cast<std::int64_t>(i + 1) * size / n));
}

// Rows of shown pixels per piece of work: enough that a thread is worth starting.
constexpr int kBandRows = 64;

// A shown pixel covering more pixels than a packed sum holds: per channel.
void fitSlowly(const imaging::Picture& picture, imaging::Picture& shown,
               const std::vector<int>& firstColumn, const std::vector<int>& lastColumn, int left,
               int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y) {
        int firstRow = 0, lastRow = 0;
        covered(y, shown.height, picture.height, firstRow, lastRow);
        std::uint32_t* out = shown.row(y);
        for (int x = left; x < right; ++x) {
            const int x0 = firstColumn[static_cast<std::size_t>(x - left)];
            const int x1 = lastColumn[static_cast<std::size_t>(x - left)];
            std::uint64_t r = 0, g = 0, b = 0;
            for (int sy = firstRow; sy < lastRow; ++sy) {
                const std::uint32_t* in = picture.row(sy);
                for (int sx = x0; sx < x1; ++sx) {
                    r += imaging::redOf(in[sx]);
                    g += imaging::greenOf(in[sx]);
                    b += imaging::blueOf(in[sx]);
                }
            }
            const auto n = static_cast<std::uint64_t>(lastRow - firstRow) *
                           static_cast<std::uint64_t>(x1 - x0);
            out[x] = imaging::rgb(static_cast<std::uint8_t>((r + n / 2) / n),
                                  static_cast<std::uint8_t>((g + n / 2) / n),
                                  static_cast<std::uint8_t>((b + n / 2) / n));
        }
    }
}

} // namespace

void shownSpan(int size, int shownSize, int from, int to, int& left, int& right) {
    if (size <= 0 || shownSize <= 0) {
        left = right = 0;
        return;
    }
    // Shown pixel i covers [i * size / shownSize, (i + 1) * size / shownSize), both rounded
    // down: from the one holding `from` to the last that starts before `to`.
    left = std::clamp(static_cast<int>(static_cast<std::int64_t>(from) * shownSize / size), 0,
                      shownSize);
    right =
        std::clamp(static_cast<int>((static_cast<std::int64_t>(to) * shownSize + size - 1) / size),
                   0, shownSize);
}

namespace {

// The shown pixels [left, right) that cover only picture pixels in [from, to): shown pixel i
// covers [i * size / n, (i + 1) * size / n) (at least one) when n <= size.
void innerSpan(int size, int shownSize, int from, int to, int& left, int& right) {
    const auto n = static_cast<std::int64_t>(shownSize);
    left = static_cast<int>((from * n + size - 1) / size);
    right = static_cast<int>(std::max<std::int64_t>(0, ((to + 1) * n - 1) / size));
    left = std::clamp(left, 0, shownSize);
    right = std::clamp(right, left, shownSize);
}

} // namespace

void fitPart(const imaging::Picture& picture, imaging::Picture& shown, int left, int top, int right,
             int bottom, const SolidPart& solid) {
    int innerLeft = 0, innerRight = 0, innerTop = 0, innerBottom = 0;
    if (shown.width <= picture.width && shown.height <= picture.height && !picture.empty()) {
        innerSpan(picture.width, shown.width, solid.left, solid.right, innerLeft, innerRight);
        innerSpan(picture.height, shown.height, solid.top, solid.bottom, innerTop, innerBottom);
    }
    innerLeft = std::clamp(innerLeft, left, right);
    innerRight = std::clamp(innerRight, innerLeft, right);
    innerTop = std::clamp(innerTop, top, bottom);
    innerBottom = std::clamp(innerBottom, innerTop, bottom);
    if (innerLeft == innerRight || innerTop == innerBottom) {
        fitPart(picture, shown, left, top, right, bottom);
        return;
    }
    // On both cores: the paint reads these pixels next, so they are stored through the caches.
    imaging::forEachRowBand(innerTop, innerBottom, innerRight - innerLeft, [&](int from, int to) {
        for (int y = from; y < to; ++y) {
            std::fill(shown.row(y) + innerLeft, shown.row(y) + innerRight,
                      solid.colour & imaging::kRgbMask);
        }
    });
    fitPart(picture, shown, left, top, right, innerTop);
    fitPart(picture, shown, left, innerBottom, right, bottom);
    fitPart(picture, shown, left, innerTop, innerLeft, innerBottom);
    fitPart(picture, shown, innerRight, innerTop, right, innerBottom);
}

namespace {

// A shown row from its columns' 16-bit sums (4 a column, `span` columns from firstColumn[0],
// room for one more), where every shown pixel's sums fit 16 bits a channel: the sums are
// added up along the row, wrapping around 16 bits, and a shown pixel's sums are the
// difference of two of those, exact as their true value fits. `averages[n]` averages over
// n pixels.
void averageAcross(std::uint16_t* sums, std::size_t span, const std::vector<int>& firstColumn,
                   const std::vector<int>& lastColumn, const imaging::LaneAverage* averages,
                   std::size_t height, std::uint32_t* out) {
    auto at = [sums](std::size_t k) {
        return reinterpret_cast<__m128i*>(sums + 4 * k);
    };
    __m128i running = _mm_setzero_si128();
    for (std::size_t k = 0; k < span; ++k) {
        const __m128i column = _mm_loadl_epi64(at(k));
        _mm_storel_epi64(at(k), running);
        running = _mm_add_epi16(running, column);
    }
    _mm_storel_epi64(at(span), running);
    const int base = firstColumn.front();
    const int* first = firstColumn.data();
    const int* last = lastColumn.data();
    for (std::size_t i = 0, n = firstColumn.size(); i < n; ++i) {
        const auto x0 = static_cast<std::size_t>(first[i] - base);
        const auto x1 = static_cast<std::size_t>(last[i] - base);
        const __m128i sum = _mm_sub_epi16(_mm_loadl_epi64(at(x1)), _mm_loadl_epi64(at(x0)));
        out[i] = averages[(x1 - x0) * height](sum);
    }
}

// The averages over each count of pixels up to `kMost`, worked out once for every fit: a
// change of many small parts (an arrow's bands) fits each part on its own.
template <class Average, std::uint64_t kMost> const std::vector<Average>& averagesUpTo() {
    static const std::vector<Average> table = [] {
        std::vector<Average> averages;
        averages.reserve(kMost + 1);
        averages.emplace_back(1); // in place of none: no shown pixel covers none
        for (std::uint64_t n = 1; n <= kMost; ++n) {
            averages.emplace_back(n);
        }
        return averages;
    }();
    return table;
}

// Which picture row to read for row y: the first of its band where rows repeat.
struct RowSource {
    int top = 0, bottom = 0, every = 0, last = 0; // last: where the last band starts
    int operator()(int y) const {
        return every <= 0 || y < top || y >= bottom
                   ? y
                   : std::min(top + (y - top) / every * every, last);
    }
};

// The picture columns [first, last) each shown column of [left, right) covers, and where each
// run of shown columns covering one picture column apiece, side by side, ends. Every band of a
// paint asks for the same: each thread keeps what it worked out last (under Wine working it
// out for each band of a 4K paint cost a millisecond of the two cores).
struct ColumnSpans {
    int pictureWidth = -1, shownWidth = -1, left = 0, right = 0;
    std::vector<int> first, last;
    std::vector<std::size_t> runEnd;
};

const ColumnSpans& columnSpans(int pictureWidth, int shownWidth, int left, int right) {
    thread_local ColumnSpans spans;
    if (spans.pictureWidth == pictureWidth && spans.shownWidth == shownWidth &&
        spans.left == left && spans.right == right) {
        return spans;
    }
    spans.pictureWidth = -1; // until worked out whole
    const auto n = static_cast<std::size_t>(right - left);
    spans.first.resize(n);
    spans.last.resize(n);
    spans.runEnd.resize(n);
    for (int x = left; x < right; ++x) {
        covered(x, shownWidth, pictureWidth, spans.first[static_cast<std::size_t>(x - left)],
                spans.last[static_cast<std::size_t>(x - left)]);
    }
    const std::vector<int>& first = spans.first;
    const std::vector<int>& last = spans.last;
    std::vector<std::size_t>& runEnd = spans.runEnd;
    for (std::size_t i = n; i-- > 0;) {
        const bool single = last[i] - first[i] == 1;
        runEnd[i] = !single                                ? i
                    : i + 1 == n || runEnd[i + 1] == i + 1 ? i + 1
                    : first[i + 1] == last[i]              ? runEnd[i + 1]
                                                           : i + 1;
    }
    spans.pictureWidth = pictureWidth;
    spans.shownWidth = shownWidth;
    spans.left = left;
    spans.right = right;
    return spans;
}

// Rows of sums a band works in, kept by each thread from one fit to the next; sumColumns
// writes them whole before they are read.
thread_local std::vector<std::uint64_t> t_columnSums;
thread_local std::vector<std::uint16_t> t_lanes;

template <class T> T* scratch(std::vector<T>& rows, std::size_t size) {
    if (rows.size() < size) {
        rows.resize(size);
    }
    return rows.data();
}

void fitRows(const imaging::Picture& picture, imaging::Picture& shown, int left, int top, int right,
             int bottom, const RowSource& source) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, shown.width);
    bottom = std::min(bottom, shown.height);
    if (right <= left || bottom <= top || picture.empty()) {
        return;
    }
    const ColumnSpans& columns = columnSpans(picture.width, shown.width, left, right);
    const std::vector<int>& firstColumn = columns.first;
    const std::vector<int>& lastColumn = columns.last;
    const std::vector<std::size_t>& runEnd = columns.runEnd;
    const int rows = bottom - top;
    const auto bands = static_cast<std::size_t>((rows + kBandRows - 1) / kBandRows);
    const bool small = static_cast<long long>(rows) * (right - left) < 256 * 1024;
    // Every shown pixel covers at most this many of the picture's.
    const auto most =
        static_cast<std::uint64_t>((picture.width + shown.width - 1) / shown.width + 1) *
        static_cast<std::uint64_t>((picture.height + shown.height - 1) / shown.height + 1);
    if (most > imaging::kMaxPackedPixels) {
        fitSlowly(picture, shown, firstColumn, lastColumn, left, top, right, bottom);
        return;
    }
    // Where every shown pixel covers at most this many, a pixel's sums across its columns
    // fit 16 bits a channel (any fit to a sixteenth or more).
    int widest = 0, tallest = 0;
    for (std::size_t i = 0; i < firstColumn.size(); ++i) {
        widest = std::max(widest, lastColumn[i] - firstColumn[i]);
    }
    for (int y = top; y < bottom; ++y) {
        int firstRow = 0, lastRow = 0;
        covered(y, shown.height, picture.height, firstRow, lastRow);
        tallest = std::max(tallest, lastRow - firstRow);
    }
    const bool inLanes = static_cast<std::uint64_t>(widest) * static_cast<std::uint64_t>(tallest) <=
                         imaging::kMaxLanePixels;
    const auto& laneAverages = averagesUpTo<imaging::LaneAverage, imaging::kMaxLanePixels>();
    const auto& averages = averagesUpTo<imaging::PackedAverage, imaging::kMaxPackedPixels>();
    const bool stream = imaging::worthStreaming(static_cast<long long>(rows) * (right - left));
    imaging::forEachBand(bands, small ? 1 : 0, [&]() -> imaging::BandWork {
        const auto span = static_cast<std::size_t>(lastColumn.back() - firstColumn.front());
        return [&, span](std::size_t band) {
            std::uint64_t* columnSums = scratch(t_columnSums, span);
            std::uint16_t* lanes = scratch(t_lanes, 4 * (span + 1));
            const int from = top + static_cast<int>(band) * kBandRows;
            const int to = std::min(bottom, from + kBandRows);
            int previousSource = -1;
            for (int y = from; y < to; ++y) {
                int firstRow = 0, lastRow = 0;
                covered(y, shown.height, picture.height, firstRow, lastRow);
                std::uint32_t* out = shown.row(y) + left;
                // A row that covers copies of one picture row only, as the row above did, is
                // that row again, however many copies each covers (n copies of a row sum to n
                // times its sums, rounded alike): copied, past the caches when the fit is large.
                const int firstSource = source(firstRow);
                if (firstSource == source(lastRow - 1) && firstSource == previousSource) {
                    const std::uint32_t* above = shown.row(y - 1) + left;
                    if (stream) {
                        imaging::streamCopy(above, out, firstColumn.size());
                    } else {
                        std::copy(above, above + firstColumn.size(), out);
                    }
                    continue;
                }
                previousSource = firstSource == source(lastRow - 1) ? firstSource : -1;
                const auto height = static_cast<std::size_t>(lastRow - firstRow);
                if (height == 1) {
                    // Slightly smaller, most shown pixels cover one pixel each, in runs of
                    // neighbours: copied, no sums.
                    const std::uint32_t* in = picture.row(source(firstRow));
                    for (std::size_t i = 0; i < firstColumn.size();) {
                        const int x0 = firstColumn[i], x1 = lastColumn[i];
                        if (runEnd[i] > i) {
                            const std::size_t n = runEnd[i] - i;
                            // Through pointers of their own: indexed by int, the copy was
                            // not vectorized.
                            const std::uint32_t* from = in + x0;
                            std::uint32_t* to = out + i;
                            for (std::size_t k = 0; k < n; ++k) {
                                to[k] = from[k] & imaging::kRgbMask;
                            }
                            i += n;
                            continue;
                        }
                        std::uint64_t sum = 0;
                        for (int sx = x0; sx < x1; ++sx) {
                            sum += imaging::packed(in[sx]);
                        }
                        out[i++] = averages[static_cast<std::size_t>(x1 - x0)](sum);
                    }
                    continue;
                }
                // The picture's rows summed down each column, eight pixels at a time in
                // 16-bit sums, then across what each shown pixel covers.
                const int base = firstColumn.front();
                const auto rowAt = [&](int sy) {
                    return picture.row(source(sy)) + base;
                };
                if (inLanes) {
                    imaging::sumColumns(rowAt, firstRow, lastRow, span, lanes);
                    averageAcross(lanes, span, firstColumn, lastColumn, laneAverages.data(), height,
                                  out);
                    continue;
                }
                for (int sy = firstRow; sy < lastRow; sy += imaging::kRowsPerColumnSum) {
                    const int end = std::min(lastRow, sy + imaging::kRowsPerColumnSum);
                    imaging::sumColumns(rowAt, sy, end, span, lanes);
                    for (std::size_t k = 0; k < span; ++k) {
                        const std::uint64_t sum = imaging::packedSums(lanes + 4 * k);
                        columnSums[k] = sy == firstRow ? sum : columnSums[k] + sum;
                    }
                }
                for (std::size_t i = 0; i < firstColumn.size(); ++i) {
                    std::uint64_t sum = 0;
                    for (int sx = firstColumn[i]; sx < lastColumn[i]; ++sx) {
                        sum += columnSums[static_cast<std::size_t>(sx - base)];
                    }
                    out[i] =
                        averages[height * static_cast<std::size_t>(lastColumn[i] - firstColumn[i])](
                            sum);
                }
            }
            imaging::finishStreaming();
        };
    });
}

} // namespace

void fitPart(const imaging::Picture& picture, imaging::Picture& shown, int left, int top, int right,
             int bottom) {
    fitRows(picture, shown, left, top, right, bottom, {});
}

void fitPart(const imaging::Picture& picture, imaging::Picture& shown, int left, int top, int right,
             int bottom, const RepeatedRows& rows) {
    int innerLeft = 0, innerRight = 0;
    if (rows.every > 0 && shown.width <= picture.width && !picture.empty()) {
        innerSpan(picture.width, shown.width, rows.left, rows.right, innerLeft, innerRight);
    }
    innerLeft = std::clamp(innerLeft, left, right);
    innerRight = std::clamp(innerRight, innerLeft, right);
    const int bands = std::max(1, (rows.bottom - rows.top) / std::max(rows.every, 1));
    const RowSource source{rows.top, rows.bottom, rows.every, rows.top + (bands - 1) * rows.every};
    fitRows(picture, shown, left, top, innerLeft, bottom, {});
    fitRows(picture, shown, innerLeft, top, innerRight, bottom, source);
    fitRows(picture, shown, innerRight, top, right, bottom, {});
}

} // namespace pictorn::ui
