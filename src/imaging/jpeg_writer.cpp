#include "imaging/jpeg_writer.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "imaging/jpeg_entropy.h"
#include "imaging/parallel_bands.h"

namespace pictorn::imaging {

namespace {

using namespace jpeg;

// Bands of MCU rows of about this many pixels are coded on their own, in parallel, and
// joined with restart markers: a few bytes each against a file of hundreds of kilobytes.
constexpr std::size_t kBandPixels = 128 * 1024;

struct Setup {
    const Picture& picture;
    bool subsample; // 4:2:0, 16x16-pixel MCUs; otherwise 4:4:4, 8x8
    int mcuSize;    // pixels
    int mcusPerRow;
    int mcuRows;
    int rowsPerBand; // MCU rows
    Quantizer luma, chroma;
    HuffmanCodes lumaDc, lumaAc, chromaDc, chromaAc;
};

class BandCoder {
public:
    explicit BandCoder(const Setup& s) : s_(s) {}

    void code(std::size_t band, Bytes& out) {
        const int first = static_cast<int>(band) * s_.rowsPerBand;
        const int end = std::min(first + s_.rowsPerBand, s_.mcuRows);
        const std::size_t pixels =
            static_cast<std::size_t>(end - first) * s_.mcuSize * s_.mcuSize * s_.mcusPerRow;
        out.reserve(pixels / 3 + 4096);
        EntropyWriter writer(out);
        int dcY = 0, dcCb = 0, dcCr = 0; // each band starts after a restart
        for (int my = first; my < end; ++my) {
            const std::uint32_t* rows[16];
            for (int r = 0; r < s_.mcuSize; ++r) {
                // Rows below the picture repeat its last one, as columns right of it do.
                rows[r] = s_.picture.row(std::min(my * s_.mcuSize + r, s_.picture.height - 1));
            }
            for (int mx = 0; mx < s_.mcusPerRow; ++mx) {
                const std::uint32_t* at[16];
                placeMcu(rows, mx * s_.mcuSize, at);
                writer.reserveMcu();
                if (s_.subsample) {
                    convert420(at, luma_, cb_, cr_);
                    for (const Block& b : luma_) {
                        codeBlock(writer, b, s_.luma, dcY, s_.lumaDc, s_.lumaAc);
                    }
                } else {
                    convert444(at, luma_[0], cb_, cr_);
                    codeBlock(writer, luma_[0], s_.luma, dcY, s_.lumaDc, s_.lumaAc);
                }
                codeBlock(writer, cb_, s_.chroma, dcCb, s_.chromaDc, s_.chromaAc);
                codeBlock(writer, cr_, s_.chroma, dcCr, s_.chromaDc, s_.chromaAc);
            }
        }
        writer.finish();
    }

private:
    void placeMcu(const std::uint32_t* const rows[16], int x, const std::uint32_t* at[16]) {
        const int width = s_.picture.width;
        for (int r = 0; r < s_.mcuSize; ++r) {
            at[r] = rows[r] + x;
        }
        if (x + s_.mcuSize <= width) {
            return;
        }
        for (int r = 0; r < s_.mcuSize; ++r) {
            for (int c = 0; c < s_.mcuSize; ++c) {
                edge_[r][c] = rows[r][std::min(x + c, width - 1)];
            }
            at[r] = edge_[r];
        }
    }

    void codeBlock(EntropyWriter& writer, const Block& samples, const Quantizer& quantizer, int& dc,
                   const HuffmanCodes& dcCodes, const HuffmanCodes& acCodes) {
        transformBlock(samples, quantizer, coefficients_);
        writer.writeBlock(coefficients_, dc, dcCodes, acCodes);
    }

    const Setup& s_;
    Block luma_[4], cb_, cr_, coefficients_;
    std::uint32_t edge_[16][16];
};

void putSegment(Bytes& out, unsigned marker, std::size_t payload) {
    putU8(out, 0xFF);
    putU8(out, marker);
    putBe16(out, static_cast<unsigned>(payload + 2));
}

void putHuffmanTable(Bytes& out, unsigned classAndId, const HuffmanSpec& spec) {
    putU8(out, classAndId);
    out.insert(out.end(), spec.counts.begin(), spec.counts.end());
    out.insert(out.end(), spec.symbols, spec.symbols + spec.symbolCount);
}

Bytes header(const Setup& s, const std::array<std::uint8_t, 64> (&tables)[2]) {
    Bytes out;
    putU8(out, 0xFF);
    putU8(out, 0xD8); // start of image
    putSegment(out, 0xE0, 14);
    for (const char c : {'J', 'F', 'I', 'F', '\0'}) {
        putU8(out, static_cast<unsigned char>(c));
    }
    putBe16(out, 0x0101); // version 1.1
    putU8(out, 0);        // no unit: the densities give the aspect ratio
    putBe16(out, 1);
    putBe16(out, 1);
    putBe16(out, 0); // no thumbnail

    putSegment(out, 0xDB, 2 * 65);
    for (int t = 0; t < 2; ++t) {
        putU8(out, static_cast<unsigned>(t)); // 8-bit entries, table t
        for (const std::uint8_t natural : kZigzag) {
            putU8(out, tables[t][natural]);
        }
    }

    putSegment(out, 0xC0, 6 + 3 * 3); // baseline DCT
    putU8(out, 8);
    putBe16(out, static_cast<unsigned>(s.picture.height));
    putBe16(out, static_cast<unsigned>(s.picture.width));
    putU8(out, 3);
    for (unsigned id = 1; id <= 3; ++id) {
        putU8(out, id);
        putU8(out, id == 1 && s.subsample ? 0x22 : 0x11);
        putU8(out, id == 1 ? 0 : 1);
    }

    const HuffmanSpec* specs[] = {&kLumaDc, &kLumaAc, &kChromaDc, &kChromaAc};
    std::size_t dhtSize = 0;
    for (const HuffmanSpec* spec : specs) {
        dhtSize += 17 + static_cast<std::size_t>(spec->symbolCount);
    }
    putSegment(out, 0xC4, dhtSize);
    putHuffmanTable(out, 0x00, kLumaDc);
    putHuffmanTable(out, 0x10, kLumaAc);
    putHuffmanTable(out, 0x01, kChromaDc);
    putHuffmanTable(out, 0x11, kChromaAc);

    if (s.rowsPerBand < s.mcuRows) {
        putSegment(out, 0xDD, 2); // restart interval, in MCUs
        putBe16(out, static_cast<unsigned>(s.rowsPerBand * s.mcusPerRow));
    }

    putSegment(out, 0xDA, 1 + 3 * 2 + 3); // start of scan
    putU8(out, 3);
    for (unsigned id = 1; id <= 3; ++id) {
        putU8(out, id);
        putU8(out, id == 1 ? 0x00 : 0x11); // DC and AC table ids
    }
    putU8(out, 0);  // first coefficient
    putU8(out, 63); // last coefficient
    putU8(out, 0);  // no successive approximation
    return out;
}

} // namespace

Bytes writeJpeg(const Picture& picture, int quality) {
    if (picture.empty()) {
        throw std::invalid_argument("cannot write an empty picture");
    }
    if (picture.width > 65535 || picture.height > 65535) {
        throw std::length_error("picture too large for a JPEG file"); // sizes are 16-bit
    }
    quality = std::clamp(quality, 1, 100);
    const std::array<std::uint8_t, 64> tables[2] = {lumaQuantTable(quality),
                                                    chromaQuantTable(quality)};
    const bool subsample = quality <= 90; // finer chroma only where the user asks for the most
    const int mcuSize = subsample ? 16 : 8;
    const int mcusPerRow = (picture.width + mcuSize - 1) / mcuSize;
    const int mcuRows = (picture.height + mcuSize - 1) / mcuSize;
    const std::size_t mcuRowPixels = static_cast<std::size_t>(mcusPerRow) * mcuSize * mcuSize;
    // The restart interval counts MCUs in 16 bits.
    const int rowsPerBand = static_cast<int>(std::clamp<std::size_t>(
        kBandPixels / mcuRowPixels, 1, static_cast<std::size_t>(65535 / mcusPerRow)));
    const Setup setup{picture,
                      subsample,
                      mcuSize,
                      mcusPerRow,
                      mcuRows,
                      rowsPerBand,
                      makeQuantizer(tables[0].data()),
                      makeQuantizer(tables[1].data()),
                      makeCodes(kLumaDc),
                      makeCodes(kLumaAc),
                      makeCodes(kChromaDc),
                      makeCodes(kChromaAc)};

    const std::size_t bandCount =
        static_cast<std::size_t>((mcuRows + rowsPerBand - 1) / rowsPerBand);
    std::vector<Bytes> bands(bandCount);
    forEachBand(bandCount, 0, [&]() -> BandWork {
        auto coder = std::make_shared<BandCoder>(setup);
        return [&bands, coder](std::size_t i) {
            coder->code(i, bands[i]);
        };
    });

    Bytes out = header(setup, tables);
    std::size_t size = out.size() + 2;
    for (const Bytes& b : bands) {
        size += b.size() + 2;
    }
    out.reserve(size);
    for (std::size_t i = 0; i < bandCount; ++i) {
        out.insert(out.end(), bands[i].begin(), bands[i].end());
        Bytes().swap(bands[i]);
        if (i + 1 < bandCount) {
            putU8(out, 0xFF);
            putU8(out, 0xD0 + static_cast<unsigned>(i % 8)); // restart marker
        }
    }
    putU8(out, 0xFF);
    putU8(out, 0xD9); // end of image
    return out;
}

} // namespace pictorn::imaging
