#include "imaging/parallel_deflate.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include <zlib.h>

#include "imaging/adler32.h"
#include "imaging/parallel_bands.h"

namespace pictorn::imaging {

namespace {

constexpr std::size_t kWindow = 32 * 1024;
constexpr std::size_t kBandBytes = 512 * 1024;
constexpr std::size_t kBatchBytes = 64 * 1024;

struct Band {
    std::size_t firstRow = 0;
    std::size_t endRow = 0;
    Bytes compressed;
    uLong adler = 1;
    std::size_t bytes = 0;
};

class Deflater {
public:
    explicit Deflater(const DeflateSettings& s) : mode_(s.mode) {
        if (deflateInit2(&z_, mode_.level, Z_DEFLATED, -15, s.memLevel, mode_.strategy) != Z_OK) {
            throw std::runtime_error("deflateInit2 failed");
        }
        tune();
    }
    ~Deflater() { deflateEnd(&z_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void setDictionary(const std::uint8_t* data, std::size_t size) {
        deflateSetDictionary(&z_, data, static_cast<uInt>(size));
    }

    // Switching compresses what is pending in the old mode, ending a block.
    void setMode(const DeflateMode& mode, Bytes& out) {
        if (mode == mode_) {
            return;
        }
        z_.next_in = nullptr;
        z_.avail_in = 0;
        int rc = Z_BUF_ERROR;
        while (rc == Z_BUF_ERROR) {
            const std::size_t before = out.size();
            const std::size_t room = 64 * 1024;
            out.resize(before + room);
            z_.next_out = out.data() + before;
            z_.avail_out = static_cast<uInt>(room);
            rc = deflateParams(&z_, mode.level, mode.strategy);
            out.resize(before + room - z_.avail_out);
        }
        if (rc != Z_OK) {
            throw std::runtime_error("deflateParams failed");
        }
        mode_ = mode;
        tune();
    }

    void compress(const std::uint8_t* data, std::size_t size, int flush, Bytes& out) {
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = static_cast<uInt>(size);
        do {
            const std::size_t before = out.size();
            const std::size_t room = std::max<std::size_t>(16 * 1024, size / 4);
            out.resize(before + room);
            z_.next_out = out.data() + before;
            z_.avail_out = static_cast<uInt>(room);
            const int rc = deflate(&z_, flush);
            if (rc == Z_STREAM_ERROR) {
                throw std::runtime_error("deflate failed");
            }
            out.resize(before + room - z_.avail_out);
        } while (z_.avail_out == 0 || z_.avail_in > 0);
    }

private:
    // After deflateParams too: a change of level brings back that level's own search.
    void tune() {
        if (const auto& t = mode_.search)
            deflateTune(&z_, t->good, t->lazy, t->nice, t->chain);
    }

    z_stream z_{};
    DeflateMode mode_;
};

void compressBand(Band& band, bool last, std::size_t rowBytes, RowSource& source,
                  const DeflateSettings& settings) {
    Deflater deflater(settings);
    const std::size_t rowsPerBatch = std::max<std::size_t>(1, kBatchBytes / rowBytes);
    std::vector<std::uint8_t> batch(rowsPerBatch * rowBytes);

    if (band.firstRow > 0) {
        // The same bytes the previous band ends with: its rows are deterministic.
        const std::size_t primeRows = std::min(band.firstRow, (kWindow + rowBytes - 1) / rowBytes);
        std::vector<std::uint8_t> prime(primeRows * rowBytes);
        for (std::size_t r = 0; r < primeRows; ++r) {
            source.makeRow(band.firstRow - primeRows + r, prime.data() + r * rowBytes);
        }
        const std::size_t used = std::min(kWindow, prime.size());
        deflater.setDictionary(prime.data() + prime.size() - used, used);
    }

    for (std::size_t y = band.firstRow; y < band.endRow;) {
        const std::size_t n = std::min(rowsPerBatch, band.endRow - y);
        std::size_t noisy = 0;
        for (std::size_t r = 0; r < n; ++r) {
            noisy += source.makeRow(y + r, batch.data() + r * rowBytes) ? 1 : 0;
        }
        y += n;
        const std::size_t size = n * rowBytes;
        band.adler = adler32Of(static_cast<std::uint32_t>(band.adler), batch.data(), size);
        band.bytes += size;
        const bool mostlyNoisy = settings.noisyMode && 2 * noisy > n;
        deflater.setMode(mostlyNoisy ? *settings.noisyMode : settings.mode, band.compressed);
        const int flush = y < band.endRow ? Z_NO_FLUSH : (last ? Z_FINISH : Z_SYNC_FLUSH);
        deflater.compress(batch.data(), size, flush, band.compressed);
    }
}

} // namespace

Bytes deflateRows(std::size_t rows, std::size_t rowBytes, const RowSourceFactory& factory,
                  const DeflateSettings& settings) {
    // The cut depends on the size alone, never on the machine's cores, so a picture gives
    // the same file everywhere. Several bands per thread also even out bands that
    // compress at different speeds, and a thread held up by another (the window coming
    // back while the auto-save is encoded): half-megabyte bands, a dozen for 1920x1080.
    const std::size_t bandCount = std::clamp<std::size_t>(rows * rowBytes / kBandBytes, 1, rows);
    std::vector<Band> bands(bandCount);
    for (std::size_t i = 0; i < bandCount; ++i) {
        bands[i].firstRow = rows * i / bandCount;
        bands[i].endRow = rows * (i + 1) / bandCount;
    }
    forEachBand(bandCount, settings.threads, [&]() -> BandWork {
        auto source = std::shared_ptr<RowSource>(factory());
        return [&, source](std::size_t i) {
            compressBand(bands[i], i + 1 == bandCount, rowBytes, *source, settings);
        };
    });

    std::size_t size = 6;
    for (const Band& b : bands) {
        size += b.compressed.size();
    }
    Bytes out;
    out.reserve(size);
    putU8(out, 0x78); // deflate, 32 KB window
    putU8(out, 0x9C); // default level class; makes the header a multiple of 31
    uLong adler = 1;
    for (Band& b : bands) {
        out.insert(out.end(), b.compressed.begin(), b.compressed.end());
        Bytes().swap(b.compressed);
        adler = adler32_combine(adler, b.adler, static_cast<z_off_t>(b.bytes));
    }
    putBe32(out, static_cast<std::uint32_t>(adler));
    return out;
}

} // namespace pictorn::imaging
