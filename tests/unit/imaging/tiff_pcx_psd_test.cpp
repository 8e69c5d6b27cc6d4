#include <gtest/gtest.h>

#include "imaging/encoder.h"
#include "imaging_test_support.h"

namespace pictorn::imaging {
namespace {

using namespace testing;

std::vector<Picture> oddPictures() {
    return {noisePicture(1, 1, 1),
            noisePicture(3, 7, 2),
            noisePicture(4000, 1, 3),
            noisePicture(1, 4000, 4),
            Picture(50, 40, rgb(0xC5, 0xC5, 0xC5)),
            smoothPicture(333, 217),
            screenLikePicture(700, 300)};
}

TEST(TiffWriter, LibtiffReadsTheExactPixels) {
    // Noise overflows the LZW table within a strip; flat areas make long strings.
    for (const Picture& picture : oddPictures()) {
        EXPECT_TRUE(samePixels(decodeTiff(encode(picture, ImageFormat::Tiff)), picture))
            << picture.width << "x" << picture.height;
    }
}

TEST(PsdWriter, ImageMagickReadsTheExactPixels) {
    for (const Picture& picture : oddPictures()) {
        EXPECT_TRUE(
            samePixels(decodeWithImageMagick(encode(picture, ImageFormat::Psd), "psd"), picture))
            << picture.width << "x" << picture.height;
    }
}

TEST(PcxWriter, ImageMagickReadsTheExactPixels) {
    for (const Picture& picture : oddPictures()) {
        EXPECT_TRUE(
            samePixels(decodeWithImageMagick(encode(picture, ImageFormat::Pcx), "pcx"), picture))
            << picture.width << "x" << picture.height;
    }
}

TEST(StreamedWriters, HandTheFileOverInPieces) {
    // Written while it is encoded, a file is never whole in memory: pieces of about 64 KB, a
    // TIFF strip of noise (64 KB of pixels) as it is.
    const Picture large = noisePicture(900, 300, 5);
    for (const ImageFormat format : {ImageFormat::Pcx, ImageFormat::Psd, ImageFormat::Tiff}) {
        std::vector<std::uint8_t> file;
        std::size_t largest = 0;
        encode(large, format, {}, [&](std::span<const std::uint8_t> piece) {
            largest = std::max(largest, piece.size());
            file.insert(file.end(), piece.begin(), piece.end());
        });
        EXPECT_GT(file.size(), 700'000u) << int(format);
        EXPECT_LT(largest, 100'000u) << int(format);
        const Picture back =
            format == ImageFormat::Tiff
                ? decodeTiff(file)
                : decodeWithImageMagick(file, format == ImageFormat::Psd ? "psd" : "pcx");
        EXPECT_TRUE(samePixels(back, large)) << int(format);
    }
}

TEST(PcxWriter, UsesOnePalettePlaneUpTo256Colours) {
    for (const int colours : {1, 256, 257}) {
        const Picture picture = paletteRamp(31, 30, colours);
        const auto file = encode(picture, ImageFormat::Pcx);
        ASSERT_GT(file.size(), 128u);
        const bool indexed = colours <= 256;
        EXPECT_EQ(file[65], indexed ? 1 : 3) << colours << " colours"; // planes
        if (indexed) {
            EXPECT_EQ(file[file.size() - 769], 0x0C); // palette marker
        }
        EXPECT_TRUE(samePixels(decodeWithImageMagick(file, "pcx"), picture))
            << colours << " colours";
    }
}

} // namespace
} // namespace pictorn::imaging
