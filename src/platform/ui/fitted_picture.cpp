#include "platform/ui/fitted_picture.h"

#include "imaging/parallel_bands.h"

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

void fitPart(const imaging::Picture& picture, imaging::Picture& shown, int left, int top, int right,
             int bottom) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, shown.width);
    bottom = std::min(bottom, shown.height);
    if (right <= left || bottom <= top || picture.empty()) {
        return;
    }
    std::vector<int> firstColumn(static_cast<std::size_t>(right - left));
    std::vector<int> lastColumn(firstColumn.size());
    for (int x = left; x < right; ++x) {
        covered(x, shown.width, picture.width, firstColumn[static_cast<std::size_t>(x - left)],
                lastColumn[static_cast<std::size_t>(x - left)]);
    }
    const int rows = bottom - top;
    const auto bands = static_cast<std::size_t>((rows + kBandRows - 1) / kBandRows);
    const bool small = static_cast<long long>(rows) * (right - left) < 256 * 1024;
    imaging::forEachBand(bands, small ? 1 : 0, [&]() -> imaging::BandWork {
        return [&](std::size_t band) {
            const int from = top + static_cast<int>(band) * kBandRows;
            const int to = std::min(bottom, from + kBandRows);
            for (int y = from; y < to; ++y) {
                int firstRow = 0, lastRow = 0;
                covered(y, shown.height, picture.height, firstRow, lastRow);
                std::uint32_t* out = shown.row(y);
                const std::uint32_t* single =
                    lastRow - firstRow == 1 ? picture.row(firstRow) : nullptr;
                for (int x = left; x < right; ++x) {
                    const int x0 = firstColumn[static_cast<std::size_t>(x - left)];
                    const int x1 = lastColumn[static_cast<std::size_t>(x - left)];
                    // Slightly smaller, most shown pixels cover one pixel: no sums.
                    if (single && x1 - x0 == 1) {
                        out[x] = single[x0] & imaging::kRgbMask;
                        continue;
                    }
                    unsigned r = 0, g = 0, b = 0;
                    for (int sy = firstRow; sy < lastRow; ++sy) {
                        const std::uint32_t* in = picture.row(sy);
                        for (int sx = x0; sx < x1; ++sx) {
                            r += imaging::redOf(in[sx]);
                            g += imaging::greenOf(in[sx]);
                            b += imaging::blueOf(in[sx]);
                        }
                    }
                    const unsigned n = static_cast<unsigned>((lastRow - firstRow) * (x1 - x0));
                    out[x] = imaging::rgb(static_cast<std::uint8_t>((r + n / 2) / n),
                                          static_cast<std::uint8_t>((g + n / 2) / n),
                                          static_cast<std::uint8_t>((b + n / 2) / n));
                }
            }
        };
    });
}

} // namespace pictorn::ui
