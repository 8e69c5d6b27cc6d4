#pragma once

// The one function of the stb writer we use, behind our own name, so that only
// stb_jpeg.cpp sees stb's header (and its warnings).
namespace pictorn::imaging::stb {

using WriteCallback = void (*)(void* context, void* data, int size);

// RGB, 3 bytes per pixel, top-down. Returns false on failure.
bool writeJpegRgb(WriteCallback write, void* context, int width, int height,
                  const unsigned char* rgb, int quality);

} // namespace pictorn::imaging::stb
