#include <gtest/gtest.h>

#include "imaging/colour_quantizer.h"
#include "imaging/encoder.h"
#include "imaging_test_support.h"

namespace pictorn::imaging {
namespace {

using namespace testing;

TEST(GifWriter, UpTo256ColoursAreKeptExactlyWithTheSmallestTable) {
    const struct {
        int colours;
        int tableSize;
    } cases[] = {{1, 2}, {2, 2}, {3, 4}, {5, 8}, {129, 256}, {256, 256}};
    for (const auto& c : cases) {
        const Picture picture = paletteRamp(61, 47, c.colours);
        const GifInfo gif = decodeGif(encode(picture, ImageFormat::Gif));
        EXPECT_EQ(gif.colourCount, c.tableSize) << c.colours << " colours";
        EXPECT_TRUE(samePixels(gif.picture, picture)) << c.colours << " colours";
    }
}

TEST(GifWriter, LongStreamsSurviveTableResetsAtEverySize) {
    // Random indices fill the 4096-entry table quickly, so the stream goes through many
    // clear codes and every code width; odd sizes check the row handling.
    for (const auto& [w, h] : {std::pair{1, 1}, {3, 7}, {4000, 1}, {1, 4000}, {400, 300}}) {
        Picture picture(w, h);
        const Picture noise = noisePicture(w, h, 9);
        for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
            picture.pixels[i] = (noise.pixels[i] & 0xFF) * 0x010101u; // 256 greys
        }
        const GifInfo gif = decodeGif(encode(picture, ImageFormat::Gif));
        EXPECT_TRUE(samePixels(gif.picture, picture)) << w << "x" << h;
    }
}

TEST(GifWriter, RichPicturesAreQuantizedWithLittleLoss) {
    const Picture smooth = smoothPicture(200, 150);
    const GifInfo gif = decodeGif(encode(smooth, ImageFormat::Gif));
    EXPECT_EQ(gif.colourCount, 256);
    EXPECT_GT(psnr(gif.picture, smooth), 34.0);

    EncodeOptions dithered;
    dithered.gifDither = true;
    const GifInfo ditheredGif = decodeGif(encode(smooth, ImageFormat::Gif, dithered));
    EXPECT_GT(psnr(ditheredGif.picture, smooth), 30.0);
    EXPECT_FALSE(samePixels(ditheredGif.picture, gif.picture));
}

TEST(ColourQuantizer, KeepsDistinctColoursWhenThereAreFewEnough) {
    const Picture picture = paletteRamp(20, 20, 40);
    const auto palette = choosePalette(picture, 64);
    EXPECT_EQ(palette.size(), 40u);
    EXPECT_TRUE(samePixels(picture, [&] {
        Picture mapped(20, 20);
        const ColourIndex index = mapToPalette(picture, palette, false);
        for (std::size_t i = 0; i < mapped.pixels.size(); ++i) {
            mapped.pixels[i] = palette[index.indices[i]];
        }
        return mapped;
    }()));
}

} // namespace
} // namespace pictorn::imaging
