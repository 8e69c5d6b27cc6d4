#include "imaging/psd_writer.h"

#include "imaging/packbits.h"

namespace pictorn::imaging {

namespace {
constexpr int kMaxSide = 30000;
constexpr unsigned kChannels = 3;
} // namespace

Bytes writePsd(const Picture& picture) {
    if (picture.width > kMaxSide || picture.height > kMaxSide) {
        throw std::length_error("picture too large for a PSD file");
    }
    const auto width = static_cast<std::size_t>(picture.width);
    const auto height = static_cast<std::size_t>(picture.height);

    Bytes out;
    out.reserve(width * height * 2);
    for (const char c : {'8', 'B', 'P', 'S'}) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
    putBe16(out, 1); // version
    out.insert(out.end(), 6, 0);
    putBe16(out, kChannels);
    putBe32(out, static_cast<std::uint32_t>(height));
    putBe32(out, static_cast<std::uint32_t>(width));
    putBe16(out, 8); // bits per channel
    putBe16(out, 3); // RGB
    putBe32(out, 0); // colour mode data
    putBe32(out, 0); // image resources
    putBe32(out, 0); // layers and masks: none, the merged image below is the picture

    putBe16(out, 1); // PackBits
    // Row byte counts for every channel's rows come first; patched once each row is packed.
    const std::size_t countsAt = out.size();
    out.resize(out.size() + 2 * kChannels * height);

    std::vector<std::uint8_t> line(width);
    std::size_t countIndex = 0;
    for (unsigned channel = 0; channel < kChannels; ++channel) {
        const int shift = 16 - 8 * static_cast<int>(channel);
        for (std::size_t y = 0; y < height; ++y) {
            const std::uint32_t* src = picture.row(static_cast<int>(y));
            for (std::size_t x = 0; x < width; ++x) {
                line[x] = static_cast<std::uint8_t>(src[x] >> shift);
            }
            const std::size_t before = out.size();
            packBits(line, out);
            patchBe16(out, countsAt + 2 * countIndex++, static_cast<unsigned>(out.size() - before));
        }
    }
    return out;
}

} // namespace pictorn::imaging
