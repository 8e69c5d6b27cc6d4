#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/picture.h"

namespace pictorn::imaging::testing {

// Pictures made in code, each standing for a kind of screen content.
Picture smoothPicture(int width, int height);               // gradients, photo-like
Picture noisePicture(int width, int height, unsigned seed); // every pixel random
Picture paletteRamp(int width, int height, int colours);    // exactly `colours` colours
Picture screenLikePicture(int width, int height); // panels, text-like strokes, >256 colours

double psnr(const Picture& a, const Picture& b);
bool samePixels(const Picture& a, const Picture& b); // compares RGB, ignores the top byte

// Independent decoders. Each fails the current test (and returns an empty picture) when
// the file does not decode.
struct PngInfo {
    Picture picture;
    int colourType = -1;
    int bitDepth = -1;
};
PngInfo decodePng(const std::vector<std::uint8_t>& file);
Picture decodeJpeg(const std::vector<std::uint8_t>& file);
struct GifInfo {
    Picture picture;
    int colourCount = 0; // entries in the colour table used
};
GifInfo decodeGif(const std::vector<std::uint8_t>& file);
Picture decodeTiff(const std::vector<std::uint8_t>& file);
// Through ImageMagick's convert, from a temporary file with the given extension.
Picture decodeWithImageMagick(const std::vector<std::uint8_t>& file, const std::string& ext);

} // namespace pictorn::imaging::testing
