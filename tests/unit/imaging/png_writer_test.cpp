#include <gtest/gtest.h>

#include "imaging/adler32.h"
#include "imaging/encoder.h"
#include "imaging/png_writer.h"
#include "imaging_test_support.h"

#include <zlib.h>

namespace pictorn::imaging {
namespace {

using namespace testing;

TEST(PngWriter, TruecolourPicturesDecodeToTheSamePixelsAtAnySize) {
    const Picture pictures[] = {noisePicture(1, 1, 1),    noisePicture(3, 7, 2),
                                noisePicture(4000, 1, 3), noisePicture(1, 4000, 4),
                                smoothPicture(301, 203),  screenLikePicture(640, 480)};
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(std::to_string(picture.width) + "x" + std::to_string(picture.height));
        const PngInfo png = decodePng(encode(picture, ImageFormat::Png));
        EXPECT_TRUE(samePixels(png.picture, picture));
    }
}

TEST(PngWriter, EveryFilterChoiceGivesTheSamePixelsAndCoresDoNotChangeTheFile) {
    // Big enough to be cut into bands compressed in parallel and joined; stripes of noise
    // between UI-like rows switch the deflate strategy within bands.
    Picture picture = screenLikePicture(1500, 1200);
    const Picture noise = noisePicture(1500, 1200, 5);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        if ((i / 1500) % 100 < 30) {
            picture.pixels[i] = noise.pixels[i];
        }
    }
    PngSettings none, adaptive;
    none.filter = PngFilterChoice::None;
    adaptive.filter = PngFilterChoice::Adaptive;
    // The defaults, and the auto-save's quicker deflate modes.
    for (const PngSettings& choice : {none, adaptive, PngSettings{}, quickPngSettings()}) {
        const PngFilterChoice filter = choice.filter;
        std::vector<std::uint8_t> first;
        for (const unsigned threads : {1u, 2u, 3u}) {
            PngSettings settings = choice;
            settings.deflate.threads = threads;
            settings.allowIndexed = false;
            const auto file = writePng(picture, settings);
            const PngInfo png = decodePng(file);
            EXPECT_EQ(png.colourType, 2);
            EXPECT_TRUE(samePixels(png.picture, picture))
                << "filter " << int(filter) << ", threads " << threads;
            if (first.empty()) {
                first = file;
            }
            EXPECT_EQ(file, first) << "threads " << threads;
        }
    }
}

TEST(PngWriter, StreamChecksumIsZlibsFromAnyStartAndLength) {
    // Lengths around the sixteen-byte steps and the sums' reduction every 5552 bytes, all
    // bytes 255 (the largest sums) and noise, from zlib's start value and from others.
    std::vector<std::uint8_t> bytes(20000, 255);
    const Picture noise = noisePicture(1000, 2, 7);
    std::copy(noise.pixels.begin(), noise.pixels.end(),
              reinterpret_cast<std::uint32_t*>(bytes.data()));
    for (const std::uint32_t start : {1u, 0xFFF0FFF0u, 0x12345678u % 65521u}) {
        for (const std::size_t length : {0, 1, 15, 16, 17, 5551, 5552, 5553, 11104, 19999}) {
            for (const std::size_t from : {std::size_t{0}, std::size_t{20000 - length}}) {
                EXPECT_EQ(adler32Of(start, bytes.data() + from, length),
                          adler32(start, bytes.data() + from, static_cast<uInt>(length)))
                    << start << " " << length << " " << from;
            }
        }
    }
}

TEST(PngWriter, FewColoursAreWrittenAsAPaletteOfTheSmallestDepth) {
    const struct {
        int colours;
        int bitDepth;
    } cases[] = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 4}, {16, 4}, {17, 8}, {256, 8}};
    for (const auto& c : cases) {
        // Odd widths leave partly used bytes at the end of packed rows.
        const Picture picture = paletteRamp(37, 29, c.colours);
        const PngInfo png = decodePng(encode(picture, ImageFormat::Png));
        EXPECT_EQ(png.colourType, 3) << c.colours << " colours";
        EXPECT_EQ(png.bitDepth, c.bitDepth) << c.colours << " colours";
        EXPECT_TRUE(samePixels(png.picture, picture)) << c.colours << " colours";
    }
    const Picture rich = paletteRamp(37, 29, 257);
    const PngInfo png = decodePng(encode(rich, ImageFormat::Png));
    EXPECT_EQ(png.colourType, 2);
    EXPECT_TRUE(samePixels(png.picture, rich));
}

TEST(PngWriter, LargeFlatPictureIsIndexedAndLossless) {
    Picture picture = screenLikePicture(2000, 1100);
    for (auto& p : picture.pixels) {
        p &= 0xE0E0C0u; // few colours left
    }
    const PngInfo png = decodePng(encode(picture, ImageFormat::Png));
    EXPECT_EQ(png.colourType, 3);
    EXPECT_TRUE(samePixels(png.picture, picture));
}

} // namespace
} // namespace pictorn::imaging
