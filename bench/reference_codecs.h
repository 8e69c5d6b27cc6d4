#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/picture.h"

// The reference implementations our writers are measured against, and the decoders that
// read the corpus and check results.
namespace bench {

using pictorn::imaging::Picture;
using Bytes = std::vector<std::uint8_t>;

std::optional<Picture> readPngFile(const std::string& path);
Bytes libpngEncode(const Picture& picture, int level, bool adaptiveFilter);
Bytes libjpegEncode(const Picture& picture, int quality);
Bytes stbJpegEncode(const Picture& picture, int quality); // our writer before its own
std::optional<Picture> libjpegDecode(const Bytes& file);
std::optional<Picture> giflibDecode(const Bytes& file);
std::optional<Picture> decodePngBytes(const Bytes& file);

double psnr(const Picture& a, const Picture& b);

} // namespace bench
