#include "imaging/png_filters.h"

#include "imaging/picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace pictorn::imaging {

namespace {

// Measured on real screenshots (UI, photo in a browser, flat X apps): rows where at least
// this share of pixels repeats its left neighbour are UI, and compress best unfiltered,
// because LZ77 then finds the repeated glyphs and widgets; predictors would turn them
// into residuals that differ with their surroundings.
constexpr unsigned kUiRunShare = 80;
// Below this share a row is photographic: its stretch of the stream gets zlib's
// Z_FILTERED strategy, which codes noisy residuals better.
constexpr unsigned kPhotoRunShare = 50;

// Each filter in its own straight loop over the unfiltered bytes, so the compiler can
// vectorize it; `up` is never null here (a zero row stands in for the first row).
void subFilter(const std::uint8_t* row, std::size_t bytes, std::size_t bpp, std::uint8_t* dst) {
    std::copy(row, row + bpp, dst);
    for (std::size_t i = bpp; i < bytes; ++i) {
        dst[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]);
    }
}

void upFilter(const std::uint8_t* row, const std::uint8_t* up, std::size_t bytes,
              std::uint8_t* dst) {
    for (std::size_t i = 0; i < bytes; ++i) {
        dst[i] = static_cast<std::uint8_t>(row[i] - up[i]);
    }
}

void averageFilter(const std::uint8_t* row, const std::uint8_t* up, std::size_t bytes,
                   std::size_t bpp, std::uint8_t* dst) {
    for (std::size_t i = 0; i < bpp; ++i) {
        dst[i] = static_cast<std::uint8_t>(row[i] - (up[i] >> 1));
    }
    for (std::size_t i = bpp; i < bytes; ++i) {
        dst[i] = static_cast<std::uint8_t>(row[i] - ((row[i - bpp] + up[i]) >> 1));
    }
}

void paethFilter(const std::uint8_t* row, const std::uint8_t* up, std::size_t bytes,
                 std::size_t bpp, std::uint8_t* dst) {
    for (std::size_t i = 0; i < bpp; ++i) {
        dst[i] = static_cast<std::uint8_t>(row[i] - up[i]); // left and upper-left are 0
    }
    for (std::size_t i = bpp; i < bytes; ++i) {
        const int a = row[i - bpp], b = up[i], c = up[i - bpp];
        const int pa = std::abs(b - c);         // |p - a| with p = a + b - c
        const int pb = std::abs(a - c);         // |p - b|
        const int pc = std::abs(a + b - c - c); // |p - c|
        const int predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
        dst[i] = static_cast<std::uint8_t>(row[i] - predicted);
    }
}

struct Scratch {
    std::vector<std::uint8_t> zeros;
    std::array<std::vector<std::uint8_t>, 4> filtered; // Sub, Up, Average, Paeth
    std::vector<float> xLogX;                          // x * log2(x)

    void prepare(std::size_t bytes) {
        if (zeros.size() < bytes) {
            zeros.assign(bytes, 0);
            for (auto& f : filtered) {
                f.resize(bytes);
            }
            xLogX.resize(bytes + 1);
            for (std::size_t x = 1; x <= bytes; ++x) {
                xLogX[x] = static_cast<float>(double(x) * std::log2(double(x)));
            }
        }
    }

    // Order-0 entropy of the bytes, in bits: a closer guess at the Huffman-coded size
    // than libpng's sum of magnitudes, and it picks better filters for photos.
    float entropyBits(const std::uint8_t* bytes, std::size_t n) const {
        // Counted in four tables: in a run of one value (common in screenshots) each count
        // would otherwise wait for the one before it to be stored.
        std::array<std::array<std::uint32_t, 256>, 4> counts{};
        std::size_t i = 0;
        for (; i + 4 <= n; i += 4) {
            ++counts[0][bytes[i]];
            ++counts[1][bytes[i + 1]];
            ++counts[2][bytes[i + 2]];
            ++counts[3][bytes[i + 3]];
        }
        for (; i < n; ++i) {
            ++counts[0][bytes[i]];
        }
        float sum = 0;
        for (std::size_t v = 0; v < 256; ++v) {
            sum += xLogX[counts[0][v] + counts[1][v] + counts[2][v] + counts[3][v]];
        }
        return xLogX[n] - sum;
    }
};

} // namespace

unsigned pixelRunShare(const std::uint32_t* pixels, std::size_t count) {
    // No branch a pixel: screenshots mix runs and changes unpredictably.
    std::size_t repeats = 0;
    for (std::size_t i = 1; i < count; ++i) {
        repeats += static_cast<std::size_t>(((pixels[i] ^ pixels[i - 1]) & kRgbMask) == 0);
    }
    return count > 1 ? static_cast<unsigned>(100 * repeats / (count - 1)) : 100;
}

bool filterRow(PngFilterChoice choice, const std::uint8_t* row, const std::uint8_t* previous,
               std::size_t bytes, std::size_t bpp, unsigned runShare, std::uint8_t* out) {
    static thread_local Scratch scratch;
    const bool photoLike = runShare < kPhotoRunShare;
    const bool filtered = choice == PngFilterChoice::Adaptive ||
                          (choice == PngFilterChoice::Screenshot && runShare < kUiRunShare);
    out[0] = static_cast<std::uint8_t>(PngFilter::None);
    if (!filtered) {
        std::copy(row, row + bytes, out + 1);
        return photoLike;
    }

    scratch.prepare(bytes);
    const std::uint8_t* up = previous != nullptr ? previous : scratch.zeros.data();
    subFilter(row, bytes, bpp, scratch.filtered[0].data());
    upFilter(row, up, bytes, scratch.filtered[1].data());
    averageFilter(row, up, bytes, bpp, scratch.filtered[2].data());
    paethFilter(row, up, bytes, bpp, scratch.filtered[3].data());

    const std::uint8_t* best = row;
    float bestBits = scratch.entropyBits(row, bytes);
    for (std::size_t k = 0; k < 4; ++k) {
        const float bits = scratch.entropyBits(scratch.filtered[k].data(), bytes);
        if (bits < bestBits) {
            bestBits = bits;
            best = scratch.filtered[k].data();
            out[0] = static_cast<std::uint8_t>(k + 1);
        }
    }
    std::copy(best, best + bytes, out + 1);
    return photoLike;
}

} // namespace pictorn::imaging
