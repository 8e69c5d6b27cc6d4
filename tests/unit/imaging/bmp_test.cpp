#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>

#include "imaging/bmp_reader.h"
#include "imaging/encoder.h"
#include "imaging_test_support.h"

namespace pictorn::imaging {
namespace {

using namespace testing;

// A BMP built field by field, as other programs write them.
std::vector<std::uint8_t> handMadeBmp(int width, int height, int bpp,
                                      std::vector<std::uint8_t> pixels,
                                      std::vector<std::uint8_t> palette = {}) {
    std::vector<std::uint8_t> f;
    auto le = [&](std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) {
            f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    const auto offset = static_cast<std::uint32_t>(14 + 40 + palette.size());
    f.push_back('B');
    f.push_back('M');
    le(offset + static_cast<std::uint32_t>(pixels.size()), 4);
    le(0, 4);
    le(offset, 4);
    le(40, 4);
    le(static_cast<std::uint32_t>(width), 4);
    le(static_cast<std::uint32_t>(height), 4);
    le(1, 2);
    le(static_cast<std::uint32_t>(bpp), 2);
    le(0, 4);
    le(static_cast<std::uint32_t>(pixels.size()), 4);
    le(0, 8);                                              // resolution
    le(static_cast<std::uint32_t>(palette.size() / 4), 4); // colours used
    le(0, 4);
    f.insert(f.end(), palette.begin(), palette.end());
    f.insert(f.end(), pixels.begin(), pixels.end());
    return f;
}

TEST(Bmp, WriteThenReadGivesTheSamePixels) {
    for (const Picture& picture :
         {noisePicture(1, 1, 1), noisePicture(3, 7, 2), noisePicture(4000, 1, 3),
          noisePicture(1, 4000, 4), noisePicture(5, 2, 5), noisePicture(300, 200, 6)}) {
        const auto file = encode(picture, ImageFormat::Bmp);
        // Made piece by piece for writing, the same file without ever being whole.
        std::vector<std::uint8_t> pieces;
        std::size_t largest = 0;
        encode(picture, ImageFormat::Bmp, {}, [&](std::span<const std::uint8_t> piece) {
            pieces.insert(pieces.end(), piece.begin(), piece.end());
            largest = std::max(largest, piece.size());
        });
        EXPECT_EQ(pieces, file);
        EXPECT_LT(largest, 80u * 1024);
        const auto stride = (picture.width * 3 + 3) / 4 * 4;
        EXPECT_EQ(file.size(), 54u + std::size_t(stride) * picture.height);
        const auto back = decodeBmp(file);
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(samePixels(*back, picture)) << picture.width << "x" << picture.height;
        EXPECT_TRUE(samePixels(decodeWithImageMagick(file, "bmp"), picture));
    }
}

TEST(Bmp, ReadsTopDown32BitAndPalettizedFiles) {
    // 2x2, top-down (negative height), 32-bit B,G,R,x with junk in the x byte.
    const auto topDown =
        handMadeBmp(2, -2, 32, {1, 2, 3, 0xFF, 4, 5, 6, 0, 7, 8, 9, 1, 10, 11, 12, 2});
    const auto a = decodeBmp(topDown);
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->at(0, 0), 0x030201u);
    EXPECT_EQ(a->at(1, 1), 0x0C0B0Au);

    // 3x2, 8-bit, bottom-up, rows padded to 4 bytes; palette entries are B,G,R,0.
    const std::vector<std::uint8_t> palette{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
    const auto eightBit = handMadeBmp(3, 2, 8, {0, 1, 2, 0, 2, 1, 0, 0}, palette);
    const auto b = decodeBmp(eightBit);
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(b->at(0, 1), 0xFF0000u); // bottom row comes first in the file
    EXPECT_EQ(b->at(2, 0), 0xFF0000u);
    EXPECT_EQ(b->at(0, 0), 0x0000FFu);

    // 1-bit: 9 pixels, set bits pick the second palette entry.
    const auto oneBit =
        handMadeBmp(9, 1, 1, {0b10100000, 0b10000000, 0, 0}, {0, 0, 0, 0, 255, 255, 255, 0});
    const auto c = decodeBmp(oneBit);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->at(0, 0), 0xFFFFFFu);
    EXPECT_EQ(c->at(1, 0), 0u);
    EXPECT_EQ(c->at(8, 0), 0xFFFFFFu);
}

TEST(Bmp, RejectsTruncatedAndGarbageInputWithoutReadingPastIt) {
    const auto good = encode(noisePicture(17, 5, 3), ImageFormat::Bmp);
    for (std::size_t n = 0; n < good.size(); ++n) {
        // An exact-size copy, so ASan sees any read past the end.
        const std::vector<std::uint8_t> cut(good.begin(),
                                            good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(decodeBmp(cut).has_value()) << n << " bytes";
    }

    auto hostile = handMadeBmp(2, 2, 24, std::vector<std::uint8_t>(16, 0));
    hostile[18] = 0xFF; // width 0x..FF: far more pixels than the file holds
    hostile[21] = 0x7F;
    EXPECT_FALSE(decodeBmp(hostile).has_value());

    std::mt19937 random(42);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> junk = good;
        for (int k = 0; k < 4; ++k) {
            junk[random() % 60] = static_cast<std::uint8_t>(random()); // headers only
        }
        junk.resize(random() % junk.size() + 1);
        (void)decodeBmp(junk); // must simply not crash or over-read
    }
}

} // namespace
} // namespace pictorn::imaging
