#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "imaging/encoder.h"
#include "imaging_test_support.h"

namespace pictorn::imaging {
namespace {

using namespace testing;

TEST(JpegWriter, QualityBuysFidelityAndCostsBytes) {
    const Picture picture = smoothPicture(256, 192);
    const struct {
        int quality;
        double minPsnr;
    } cases[] = {{10, 26}, {50, 32}, {90, 38}, {100, 44}};
    std::size_t previousSize = 0;
    for (const auto& c : cases) {
        EncodeOptions options;
        options.jpegQuality = c.quality;
        const auto file = encode(picture, ImageFormat::Jpeg, options);
        const Picture decoded = decodeJpeg(file);
        EXPECT_GT(psnr(decoded, picture), c.minPsnr) << "quality " << c.quality;
        EXPECT_GT(file.size(), previousSize) << "quality " << c.quality;
        previousSize = file.size();
    }
}

TEST(JpegWriter, QualityOutsideTheRangeIsClamped) {
    const Picture picture = smoothPicture(64, 48);
    EncodeOptions low, one, high, hundred;
    low.jpegQuality = -5;
    one.jpegQuality = 1;
    high.jpegQuality = 1000;
    hundred.jpegQuality = 100;
    EXPECT_EQ(encode(picture, ImageFormat::Jpeg, low), encode(picture, ImageFormat::Jpeg, one));
    EXPECT_EQ(encode(picture, ImageFormat::Jpeg, high),
              encode(picture, ImageFormat::Jpeg, hundred));
}

TEST(JpegWriter, OddSizesDecode) {
    for (const auto& [w, h] : {std::pair{1, 1}, {3, 7}, {17, 9}, {4000, 1}, {1, 4000}}) {
        const Picture picture(w, h, rgb(200, 30, 90));
        for (const int quality : {90, 95}) { // chroma subsampled and not
            EncodeOptions options;
            options.jpegQuality = quality;
            const Picture decoded = decodeJpeg(encode(picture, ImageFormat::Jpeg, options));
            EXPECT_GT(psnr(decoded, picture), 35.0) << w << "x" << h << " q" << quality;
        }
    }
}

// Large pictures are coded in bands joined by restart markers; a band's edge must not show,
// nor the right and bottom edges where MCUs stick out of the picture.
TEST(JpegWriter, LargeScreenPictureDecodesAcrossRestartIntervals) {
    const Picture picture = screenLikePicture(1283, 1203);
    for (const auto& [quality, minPsnr] : {std::pair{50, 26.5}, {90, 35.5}, {95, 44.0}}) {
        EncodeOptions options;
        options.jpegQuality = quality;
        const auto file = encode(picture, ImageFormat::Jpeg, options);
        const std::uint8_t restartInterval[] = {0xFF, 0xDD, 0x00, 0x04};
        EXPECT_NE(std::search(file.begin(), file.end(), std::begin(restartInterval),
                              std::end(restartInterval)),
                  file.end());
        EXPECT_GT(psnr(decodeJpeg(file), picture), minPsnr) << "quality " << quality;
    }
}

} // namespace
} // namespace pictorn::imaging
