#include <gtest/gtest.h>

#include "imaging/colour_analysis.h"
#include "imaging/encoder.h"
#include "imaging/image_format.h"
#include "imaging_test_support.h"

namespace pictorn::imaging {
namespace {

using namespace testing;

TEST(ColourAnalysis, CountsUpTo257AndIndexesOnlyWhatFitsAPalette) {
    EXPECT_EQ(countColours(Picture(9, 9, 0x123456)), 1u);
    EXPECT_EQ(countColours(paletteRamp(40, 40, 256)), 256u);
    EXPECT_EQ(countColours(paletteRamp(40, 40, 257)), 257u);
    EXPECT_EQ(countColours(noisePicture(100, 100, 1)), 257u);
    EXPECT_EQ(countColours(noisePicture(100, 100, 1), 10), 10u);

    // The top byte is not colour: 0xFF123456 and 0x00123456 are one colour.
    Picture mixed(2, 1);
    mixed.pixels = {0xFF123456u, 0x00123456u};
    const auto index = indexColours(mixed);
    ASSERT_TRUE(index.has_value());
    EXPECT_EQ(index->palette, std::vector<std::uint32_t>{0x123456u});

    const Picture exact = paletteRamp(33, 33, 256);
    const auto full = indexColours(exact);
    ASSERT_TRUE(full.has_value());
    ASSERT_EQ(full->palette.size(), 256u);
    for (std::size_t i = 0; i < exact.pixels.size(); ++i) {
        ASSERT_EQ(full->palette[full->indices[i]], exact.pixels[i]);
    }
    EXPECT_FALSE(indexColours(paletteRamp(33, 33, 257)).has_value());
}

TEST(ImageFormat, KnowsTheSevenFormatsByExtension) {
    EXPECT_EQ(formatFromExtension("bmp"), ImageFormat::Bmp);
    EXPECT_EQ(formatFromExtension(".GIF"), ImageFormat::Gif);
    EXPECT_EQ(formatFromExtension("Jpg"), ImageFormat::Jpeg);
    EXPECT_EQ(formatFromExtension(".jpeg"), ImageFormat::Jpeg);
    EXPECT_EQ(formatFromExtension("pcx"), ImageFormat::Pcx);
    EXPECT_EQ(formatFromExtension(".PnG"), ImageFormat::Png);
    EXPECT_EQ(formatFromExtension("psd"), ImageFormat::Psd);
    EXPECT_EQ(formatFromExtension(".tif"), ImageFormat::Tiff);
    EXPECT_EQ(formatFromExtension("TIFF"), ImageFormat::Tiff);
    for (const char* other : {"", ".", "..png", "png ", "jp", "webp", "tiff2"}) {
        EXPECT_FALSE(formatFromExtension(other).has_value()) << other;
    }
}

TEST(Encoder, RefusesEmptyAndInconsistentPictures) {
    Picture inconsistent(4, 4);
    inconsistent.pixels.pop_back(); // would make every writer read past the buffer
    for (const auto format :
         {ImageFormat::Bmp, ImageFormat::Gif, ImageFormat::Jpeg, ImageFormat::Pcx, ImageFormat::Png,
          ImageFormat::Psd, ImageFormat::Tiff}) {
        EXPECT_THROW(encode(Picture{}, format), std::invalid_argument);
        EXPECT_THROW(encode(Picture(0, 5), format), std::invalid_argument);
        EXPECT_THROW(encode(inconsistent, format), std::invalid_argument);
    }
    EXPECT_THROW(Picture(-1, 3), std::invalid_argument);
    EXPECT_THROW(encode(Picture(30001, 1), ImageFormat::Psd), std::length_error);
    EXPECT_THROW(encode(Picture(65535, 1), ImageFormat::Pcx), std::length_error); // odd line
}

} // namespace
} // namespace pictorn::imaging
