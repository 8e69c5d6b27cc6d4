#include <gtest/gtest.h>

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
    for (const auto& [w, h] : {std::pair{1, 1}, {3, 7}, {4000, 1}, {1, 4000}}) {
        const Picture picture(w, h, rgb(200, 30, 90));
        const Picture decoded = decodeJpeg(encode(picture, ImageFormat::Jpeg));
        EXPECT_GT(psnr(decoded, picture), 35.0) << w << "x" << h;
    }
}

} // namespace
} // namespace pictorn::imaging
