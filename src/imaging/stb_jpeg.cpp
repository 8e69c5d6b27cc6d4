#include "imaging/stb_jpeg.h"

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

namespace pictorn::imaging::stb {

bool writeJpegRgb(WriteCallback write, void* context, int width, int height,
                  const unsigned char* rgb, int quality) {
    return stbi_write_jpg_to_func(write, context, width, height, 3, rgb, quality) != 0;
}

} // namespace pictorn::imaging::stb
