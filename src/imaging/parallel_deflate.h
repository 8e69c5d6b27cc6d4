#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "imaging/byte_order.h"

namespace pictorn::imaging {

// Produces the uncompressed rows of a picture on demand. Each worker thread gets its own
// source, asked for rows in increasing order within a band, so it may keep state.
class RowSource {
public:
    virtual ~RowSource() = default;
    // Returns true for a noisy (photo-like) row; see DeflateSettings::noisyStrategy.
    virtual bool makeRow(std::size_t y, std::uint8_t* out) = 0;
};
using RowSourceFactory = std::function<std::unique_ptr<RowSource>()>;

// zlib's match search for a level, set with deflateTune: how long a match makes it stop
// looking (nice), how many earlier places it tries (chain), and up to which length a match's
// own strings still go into the hash (lazy; at levels 4 and up the lazy-match threshold).
struct DeflateSearch {
    int good = 4;
    int lazy = 6;
    int nice = 32;
    int chain = 32;
    bool operator==(const DeflateSearch&) const = default;
};

struct DeflateMode {
    int level = 6;
    int strategy = 0; // zlib's Z_DEFAULT_STRATEGY, Z_FILTERED (1), Z_RLE (3)...
    std::optional<DeflateSearch> search{}; // none: the level's own
    bool operator==(const DeflateMode&) const = default;
};

struct DeflateSettings {
    DeflateMode mode{};
    // Used instead of `mode` where most rows of a stretch are noisy.
    std::optional<DeflateMode> noisyMode{};
    int memLevel = 8;
    unsigned threads = 0; // 0: one per core
};

// One zlib stream of `rows` rows of `rowBytes` bytes each. Large inputs are cut into bands
// compressed in parallel: each band is primed with the 32 KB before it as its dictionary
// and ends on a byte boundary (sync flush), so the joined bands form one valid stream
// that compresses nearly as well as a serial one; the checksum is joined with
// adler32_combine. Never holds the whole uncompressed picture.
Bytes deflateRows(std::size_t rows, std::size_t rowBytes, const RowSourceFactory& factory,
                  const DeflateSettings& settings);

} // namespace pictorn::imaging
