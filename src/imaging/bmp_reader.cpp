#include "imaging/bmp_reader.h"

#include <array>
#include <bit>
#include <vector>

namespace pictorn::imaging {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;

std::uint32_t le16(std::span<const std::uint8_t> d, std::size_t at) {
    return std::uint32_t{d[at]} | (std::uint32_t{d[at + 1]} << 8);
}

std::uint32_t le32(std::span<const std::uint8_t> d, std::size_t at) {
    return le16(d, at) | (le16(d, at + 2) << 16);
}

// Turns one channel mask into a shift and a scale to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    static std::optional<Channel> from(std::uint32_t mask) {
        if (mask == 0) {
            return std::nullopt;
        }
        Channel c;
        c.mask = mask;
        c.shift = std::countr_zero(mask);
        c.max = mask >> c.shift;
        if ((c.max & (c.max + 1)) != 0) {
            return std::nullopt; // not a contiguous run of bits
        }
        return c;
    }

    std::uint32_t to8(std::uint32_t v) const {
        const std::uint64_t value = (v & mask) >> shift;
        return static_cast<std::uint32_t>((value * 255 + max / 2) / max);
    }
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    unsigned bpp = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0;
    std::size_t paletteAt = 0;
    std::size_t paletteEntrySize = 4;
    std::array<std::uint32_t, 3> masks{}; // red, green, blue
};

std::optional<Header> readHeader(std::span<const std::uint8_t> d) {
    if (d.size() < 14 + 12 || d[0] != 'B' || d[1] != 'M') {
        return std::nullopt;
    }
    const std::uint32_t infoSize = le32(d, 14);
    Header h;
    if (infoSize == 12) {
        h.width = le16(d, 18);
        h.height = le16(d, 20);
        h.bpp = le16(d, 24);
        h.paletteEntrySize = 3;
    } else if (infoSize >= 40 && infoSize <= 1024 && d.size() >= 14 + std::size_t{infoSize}) {
        h.width = static_cast<std::int32_t>(le32(d, 18));
        h.height = static_cast<std::int32_t>(le32(d, 22));
        h.bpp = le16(d, 28);
        h.compression = le32(d, 30);
        h.coloursUsed = le32(d, 46);
    } else {
        return std::nullopt;
    }
    h.paletteAt = 14 + std::size_t{infoSize};
    if (le16(d, infoSize == 12 ? 22 : 26) != 1) {
        return std::nullopt; // planes
    }
    if (h.height < 0) {
        h.topDown = true;
        h.height = -h.height;
    }
    if (h.width <= 0 || h.height <= 0 ||
        static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height) > kMaxPixels) {
        return std::nullopt;
    }

    if (h.compression == kBiBitfields) {
        if (h.bpp != 16 && h.bpp != 32) {
            return std::nullopt;
        }
        std::size_t at = 14 + 40;
        if (infoSize == 40) {
            h.paletteAt += 12; // the masks follow the short header
        }
        if (d.size() < at + 12) {
            return std::nullopt;
        }
        h.masks = {le32(d, at), le32(d, at + 4), le32(d, at + 8)};
    } else if (h.compression == kBiRgb) {
        if (h.bpp == 16) {
            h.masks = {0x7C00, 0x03E0, 0x001F};
        } else if (h.bpp == 32) {
            h.masks = {0xFF0000, 0x00FF00, 0x0000FF};
        }
    } else {
        return std::nullopt; // RLE, JPEG or PNG payloads are not ours to read
    }
    switch (h.bpp) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return h;
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<std::uint32_t>> readPalette(std::span<const std::uint8_t> d,
                                                      const Header& h) {
    const std::uint32_t maxColours = 1u << h.bpp;
    const std::uint32_t count =
        (h.coloursUsed == 0 || h.coloursUsed > maxColours) ? maxColours : h.coloursUsed;
    const std::size_t bytes = std::size_t{count} * h.paletteEntrySize;
    if (h.paletteAt > d.size() || d.size() - h.paletteAt < bytes) {
        return std::nullopt;
    }
    // Indices beyond the palette show as black, as Windows does.
    std::vector<std::uint32_t> palette(maxColours, 0);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = h.paletteAt + std::size_t{i} * h.paletteEntrySize;
        palette[i] = rgb(d[at + 2], d[at + 1], d[at]);
    }
    return palette;
}

} // namespace

std::optional<Picture> decodeBmp(std::span<const std::uint8_t> data) {
    const auto header = readHeader(data);
    if (!header) {
        return std::nullopt;
    }
    const Header& h = *header;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(h.width) * h.bpp + 31) / 32) * 4;
    const std::uint64_t pixelsAt = le32(data, 10);
    if (pixelsAt > data.size() ||
        stride * static_cast<std::uint64_t>(h.height) > data.size() - pixelsAt) {
        return std::nullopt;
    }

    std::vector<std::uint32_t> palette;
    std::array<Channel, 3> channels{};
    if (h.bpp <= 8) {
        auto p = readPalette(data, h);
        if (!p) {
            return std::nullopt;
        }
        palette = std::move(*p);
    } else if (h.bpp != 24) {
        for (std::size_t i = 0; i < 3; ++i) {
            auto c = Channel::from(h.masks[i]);
            if (!c) {
                return std::nullopt;
            }
            channels[i] = *c;
        }
    }

    const int width = static_cast<int>(h.width);
    const int height = static_cast<int>(h.height);
    Picture picture(width, height);
    for (int row = 0; row < height; ++row) {
        const int y = h.topDown ? row : height - 1 - row;
        const std::uint8_t* src = data.data() + pixelsAt + stride * static_cast<std::uint64_t>(row);
        std::uint32_t* dst = picture.row(y);
        for (int x = 0; x < width; ++x) {
            switch (h.bpp) {
            case 1:
                dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1u];
                break;
            case 4:
                dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu];
                break;
            case 8:
                dst[x] = palette[src[x]];
                break;
            case 24:
                dst[x] = rgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            default: {
                const std::uint32_t v =
                    h.bpp == 16 ? (std::uint32_t{src[2 * x]} | (std::uint32_t{src[2 * x + 1]} << 8))
                                : le32(std::span(src + 4 * x, 4), 0);
                dst[x] =
                    (channels[0].to8(v) << 16) | (channels[1].to8(v) << 8) | channels[2].to8(v);
            }
            }
        }
    }
    return picture;
}

} // namespace pictorn::imaging
